#include "ui/cp437.h"

#include <string_view>

namespace kdv::ui {

namespace {

struct AcsEntry {
  std::string_view bytes;
  Acs acs;
};

// Every line character maps to its single-line shape: a double corner is a
// corner, a double T is a T.
constexpr AcsEntry ACS_ENTRIES[] = {
    {"\xDA\xC9\xD5\xD6", Acs::ULCORNER},
    {"\xBF\xBB\xB7\xB8", Acs::URCORNER},
    {"\xC0\xC8\xD3\xD4", Acs::LLCORNER},
    {"\xD9\xBC\xBD\xBE", Acs::LRCORNER},
    {"\xC3\xCC\xC6\xC7", Acs::LTEE},
    {"\xB4\xB9\xB5\xB6", Acs::RTEE},
    {"\xC2\xCB\xD1\xD2", Acs::TTEE},
    {"\xC1\xCA\xCF\xD0", Acs::BTEE},
    {"\xC5\xCE\xD7\xD8", Acs::PLUS},
    {"\xC4\xCD", Acs::HLINE},
    {"\xB3\xBA", Acs::VLINE},
    {"\xB0\xB1\xB2", Acs::CKBOARD},
    {"\xDB", Acs::BLOCK},
    {"\xF8", Acs::DEGREE},
    {"\xF1", Acs::PLMINUS},
    {"\x07\xF9\xFA", Acs::BULLET},
    {"\x04", Acs::DIAMOND},
    {"\xF3", Acs::LEQUAL},
    {"\xF2", Acs::GEQUAL},
    {"\xE3", Acs::PI},
    {"\x9C", Acs::STERLING},
    {"\x18\x1E", Acs::UARROW},
    {"\x19\x1F", Acs::DARROW},
    {"\x1B\x11", Acs::LARROW},
    {"\x1A\x10", Acs::RARROW},
};

constexpr std::array<Acs, 256> make_acs() {
  std::array<Acs, 256> t{};
  for (const AcsEntry& e : ACS_ENTRIES)
    for (char b : e.bytes) t[static_cast<std::uint8_t>(b)] = e.acs;
  return t;
}

// ASCII look-alikes for bytes 0-31 and 128-255 (32-127 are themselves).
constexpr std::string_view ASCII_LOW = " oo****.#o#mf***><|!PS-|^v><L-^v";
constexpr std::string_view ASCII_HIGH =
    "CueaaaaceeeiiiAA"   // 80
    "EaAooouuyOUcLYPf"   // 90
    "aiounNao?--%%!<>"   // A0
    "###|++++++|+++++"   // B0: shades, lines, corners
    "++++-++++++++-++"   // C0
    "+++++++++++#####"   // D0
    "aBGpSsutFOOd8fen"   // E0
    "=+><()/~o..Vn2# ";  // F0
static_assert(ASCII_LOW.size() == 32 && ASCII_HIGH.size() == 128);

constexpr std::array<char, 256> make_ascii() {
  std::array<char, 256> t{};
  for (int b = 0; b < 256; ++b) {
    if (b < 32)
      t[b] = ASCII_LOW[b];
    else if (b < 127)
      t[b] = static_cast<char>(b);
    else if (b == 127)
      t[b] = '^';
    else
      t[b] = ASCII_HIGH[b - 128];
  }
  return t;
}

}  // namespace

constexpr std::array<Acs, 256> ACS = make_acs();
constexpr std::array<char, 256> ASCII = make_ascii();

}  // namespace kdv::ui
