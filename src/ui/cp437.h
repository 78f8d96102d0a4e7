// Code page 437, the character set of the screen model, and how each of its
// 256 bytes is shown on a terminal: as its Unicode character where the
// locale can show it, else as a curses line-drawing character, else as the
// nearest plain ASCII character. Double lines fall back to single lines.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/cp437.h"

namespace kdv::ui {

// Line-drawing and symbol characters a terminal without Unicode may still
// have in its alternate character set (curses' ACS).
enum class Acs : std::uint8_t {
  NONE,
  ULCORNER, URCORNER, LLCORNER, LRCORNER,
  LTEE, RTEE, TTEE, BTEE, PLUS, HLINE, VLINE,
  CKBOARD, BLOCK, DEGREE, PLMINUS, BULLET, DIAMOND,
  LEQUAL, GEQUAL, PI, STERLING,
  UARROW, DARROW, LARROW, RARROW,
};

extern const std::array<Acs, 256> ACS;
extern const std::array<char, 256> ASCII;

struct Glyph {
  enum Kind : std::uint8_t { UNICODE, ACS, ASCII } kind;
  char32_t unicode;  // kind UNICODE
  Acs acs;           // kind ACS
  char ascii;        // kind ASCII
  friend bool operator==(const Glyph&, const Glyph&) = default;
};

// How to show byte b: Unicode when unicode_ok says the terminal can show
// that character, else the ACS character, else ASCII.
template <class CanShow>
Glyph Render(std::uint8_t b, CanShow unicode_ok) {
  if (unicode_ok(UNICODE[b])) return {Glyph::UNICODE, UNICODE[b], Acs::NONE, 0};
  if (ACS[b] != Acs::NONE) return {Glyph::ACS, 0, ACS[b], 0};
  return {Glyph::ASCII, 0, Acs::NONE, ASCII[b]};
}

}  // namespace kdv::ui
