#include "ui/glyphs.h"

#include <string_view>

namespace kdv::ui {

namespace {

struct AcsEntry {
  std::string_view bytes;
  Acs acs;
};

// Every line character maps to its single-line shape: a double corner is a
// corner, a double T is a T.
constexpr AcsEntry kAcsEntries[] = {
    {"\xDA\xC9\xD5\xD6", Acs::kUpperLeftCorner},
    {"\xBF\xBB\xB7\xB8", Acs::kUpperRightCorner},
    {"\xC0\xC8\xD3\xD4", Acs::kLowerLeftCorner},
    {"\xD9\xBC\xBD\xBE", Acs::kLowerRightCorner},
    {"\xC3\xCC\xC6\xC7", Acs::kLeftTee},
    {"\xB4\xB9\xB5\xB6", Acs::kRightTee},
    {"\xC2\xCB\xD1\xD2", Acs::kTopTee},
    {"\xC1\xCA\xCF\xD0", Acs::kBottomTee},
    {"\xC5\xCE\xD7\xD8", Acs::kPlus},
    {"\xC4\xCD", Acs::kHorizontalLine},
    {"\xB3\xBA", Acs::kVerticalLine},
    {"\xB0\xB1\xB2", Acs::kCheckerBoard},
    {"\xDB", Acs::kBlock},
    {"\xF8", Acs::kDegree},
    {"\xF1", Acs::kPlusMinus},
    {"\x07\xF9\xFA", Acs::kBullet},
    {"\x04", Acs::kDiamond},
    {"\xF3", Acs::kLessEqual},
    {"\xF2", Acs::kGreaterEqual},
    {"\xE3", Acs::kPi},
    {"\x9C", Acs::kSterling},
    {"\x18\x1E", Acs::kUpArrow},
    {"\x19\x1F", Acs::kDownArrow},
    {"\x1B\x11", Acs::kLeftArrow},
    {"\x1A\x10", Acs::kRightArrow},
};

constexpr std::array<Acs, 256> make_acs() {
  std::array<Acs, 256> t{};
  for (const AcsEntry& e : kAcsEntries)
    for (char b : e.bytes) t[static_cast<std::uint8_t>(b)] = e.acs;
  return t;
}

// ASCII look-alikes for bytes 0-31 and 128-255 (32-127 are themselves).
constexpr std::string_view kAsciiLow = " oo****.#o#mf***><|!PS-|^v><L-^v";
constexpr std::string_view kAsciiHigh =
    "CueaaaaceeeiiiAA"   // 80
    "EaAooouuyOUcLYPf"   // 90
    "aiounNao?--%%!<>"   // A0
    "###|++++++|+++++"   // B0: shades, lines, corners
    "++++-++++++++-++"   // C0
    "+++++++++++#####"   // D0
    "aBGpSsutFOOd8fen"   // E0
    "=+><()/~o..Vn2# ";  // F0
static_assert(kAsciiLow.size() == 32 && kAsciiHigh.size() == 128);

constexpr std::array<char, 256> make_ascii() {
  std::array<char, 256> t{};
  for (int b = 0; b < 256; ++b) {
    if (b < 32)
      t[b] = kAsciiLow[b];
    else if (b < 127)
      t[b] = static_cast<char>(b);
    else if (b == 127)
      t[b] = '^';
    else
      t[b] = kAsciiHigh[b - 128];
  }
  return t;
}

}  // namespace

constexpr std::array<Acs, 256> kAcsTable = make_acs();
constexpr std::array<char, 256> kAsciiTable = make_ascii();

}  // namespace kdv::ui
