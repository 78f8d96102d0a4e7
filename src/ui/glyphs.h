// Code page 437, the character set of the screen model, and how each of its
// 256 bytes is shown on a terminal: as its Unicode character where the
// locale can show it, else as a curses line-drawing character, else as the
// nearest plain ASCII character. Double lines fall back to single lines.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/code_page_437.h"

namespace kdv::ui {

// Line-drawing and symbol characters a terminal without Unicode may still
// have in its alternate character set (curses' ACS).
enum class Acs : std::uint8_t {
  kNone,
  kUpperLeftCorner, kUpperRightCorner, kLowerLeftCorner, kLowerRightCorner,
  kLeftTee, kRightTee, kTopTee, kBottomTee, kPlus, kHorizontalLine, kVerticalLine,
  kCheckerBoard, kBlock, kDegree, kPlusMinus, kBullet, kDiamond,
  kLessEqual, kGreaterEqual, kPi, kSterling,
  kUpArrow, kDownArrow, kLeftArrow, kRightArrow,
};

extern const std::array<Acs, 256> kAcsTable;
extern const std::array<char, 256> kAsciiTable;

struct Glyph {
  enum Kind : std::uint8_t { kUnicode, kAcs, kAscii } kind;
  char32_t unicode;  // kind UNICODE
  Acs acs;           // kind ACS
  char ascii;        // kind ASCII
  friend bool operator==(const Glyph&, const Glyph&) = default;
};

// How to show byte b: Unicode when unicode_ok says the terminal can show
// that character, else the ACS character, else ASCII.
template <class CanShow>
Glyph render(std::uint8_t b, CanShow unicode_ok) {
  if (unicode_ok(kdv::model::kUnicodeTable[b])) return {Glyph::kUnicode, kdv::model::kUnicodeTable[b], Acs::kNone, 0};
  if (kAcsTable[b] != Acs::kNone) return {Glyph::kAcs, 0, kAcsTable[b], 0};
  return {Glyph::kAscii, 0, Acs::kNone, kAsciiTable[b]};
}

}  // namespace kdv::ui
