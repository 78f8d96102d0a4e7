// Turns the bytes a terminal sends for the keyboard into the program's key
// codes: ordinary keys as their code page 437 byte, extended keys (arrows,
// Delete, Alt-X ...) as 0 followed by the PC scan code. A pure function of
// the bytes and its sequence table, so every terminal's sequences can be
// tested byte string by byte string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kdv::ui {

// PC scan codes of the extended keys the decoder knows.
namespace scan {
inline constexpr std::uint8_t kShiftTab = 15;
inline constexpr std::uint8_t kF1 = 59;  // F1..F10 are 59..68
inline constexpr std::uint8_t kHome = 71;
inline constexpr std::uint8_t kUp = 72;
inline constexpr std::uint8_t kPageUp = 73;
inline constexpr std::uint8_t kLeft = 75;
inline constexpr std::uint8_t kRight = 77;
inline constexpr std::uint8_t kEnd = 79;
inline constexpr std::uint8_t kDown = 80;
inline constexpr std::uint8_t kPageDown = 81;
inline constexpr std::uint8_t kInsert = 82;
inline constexpr std::uint8_t kDelete = 83;
inline constexpr std::uint8_t kF11 = 133;
inline constexpr std::uint8_t kF12 = 134;
// Alt with a letter: the scan code of the letter's key.
std::uint8_t alt_letter(char letter);  // 0 when not a letter
}  // namespace scan

class KeyDecoder {
 public:
  // utf8: the terminal sends UTF-8, so typed characters outside ASCII are
  // decoded and mapped back to code page 437 (others are dropped).
  explicit KeyDecoder(bool utf8) : utf8_(utf8) {}

  // Adds a sequence the terminal description (terminfo) names for a key.
  void learn(std::string_view bytes, std::uint8_t scan);

  // Decodes keys from the front of bytes and appends their codes to codes.
  // Returns how many bytes were used. With more_may_follow, bytes that could
  // still grow into a longer sequence (a lone Escape, half a sequence) are
  // left for the next call; without it they are settled: a lone Escape is
  // the Escape key, half a sequence is dropped.
  std::size_t decode(std::string_view bytes, bool more_may_follow,
                     std::vector<std::uint8_t>& codes) const;

 private:
  struct Step {
    std::size_t used;  // 0: wait for more bytes
    std::uint8_t code[2];
    int count;
  };
  Step step(std::string_view in, bool more) const;
  Step escape(std::string_view in, bool more) const;
  Step utf8_char(std::string_view in, bool more) const;

  struct Learned {
    std::string bytes;
    std::uint8_t scan;
  };
  bool utf8_;
  std::vector<Learned> learned_;
};

}  // namespace kdv::ui
