// Fixed-capacity text: at most N bytes of code page 437 with a current
// length. Assigning a longer text keeps its first N bytes, as the receiver
// records and the configuration files expect.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kdv::model {

// A byte of a record or a frame: code page 437 text or a number.
using Byte = std::uint8_t;

template <std::size_t N>
class Text {
  static_assert(N >= 1 && N <= 255, "a text holds 1 to 255 bytes");

 public:
  static constexpr std::size_t kCapacity = N;

  constexpr Text() = default;
  constexpr Text(std::string_view s) { assign(s); }  // NOLINT: texts convert like strings
  constexpr Text(const char* s) { assign(std::string_view(s)); }  // NOLINT
  Text(const std::string& s) { assign(std::string_view(s)); }  // NOLINT

  template <std::size_t M>
  constexpr Text(const Text<M>& other) {  // NOLINT
    assign(other.view());
  }

  constexpr Text& operator=(std::string_view s) {
    assign(s);
    return *this;
  }
  constexpr Text& operator=(const char* s) { return *this = std::string_view(s); }
  Text& operator=(const std::string& s) { return *this = std::string_view(s); }

  constexpr void assign(std::string_view s) {
    len_ = static_cast<std::uint8_t>(std::min(s.size(), N));
    std::copy_n(s.data(), len_, bytes_.begin());
  }

  // Sets the length directly (used by the file loader); clamped to N.
  constexpr void set_length(std::size_t n) { len_ = static_cast<std::uint8_t>(std::min(n, N)); }

  constexpr std::size_t size() const { return len_; }
  constexpr std::size_t length() const { return len_; }
  constexpr bool empty() const { return len_ == 0; }
  constexpr std::string_view view() const { return {bytes_.data(), len_}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const { return view(); }  // NOLINT

  // Characters 0-based, within the current length.
  constexpr char operator[](std::size_t i) const { return bytes_[i]; }
  constexpr char& operator[](std::size_t i) { return bytes_[i]; }

  // The whole storage, including bytes past the current length (file images).
  constexpr const std::array<char, N>& storage() const { return bytes_; }
  constexpr std::array<char, N>& storage() { return bytes_; }

  friend constexpr bool operator==(const Text& a, std::string_view b) { return a.view() == b; }
  friend std::string operator+(const Text& a, std::string_view b) { return a.str().append(b); }
  friend std::string operator+(std::string_view a, const Text& b) {
    return std::string(a).append(b.view());
  }

 private:
  std::uint8_t len_ = 0;
  std::array<char, N> bytes_{};
};

// Two texts of one capacity are equal when their characters are (bytes past
// the length do not count).
template <std::size_t N>
constexpr bool operator==(const Text<N>& a, const Text<N>& b) {
  return a.view() == b.view();
}

}  // namespace kdv::model
