#include "model/code_page_437.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

using kdv::model::from_unicode;
using kdv::model::kUnicodeTable;

namespace {

TEST(CodePage437, BoxDrawingAndUnitSigns) {
  const std::pair<std::uint8_t, char32_t> expected[] = {
      {0xC9, U'╔'}, {0xCD, U'═'}, {0xBB, U'╗'}, {0xBA, U'║'}, {0xC8, U'╚'}, {0xBC, U'╝'},
      {0xCC, U'╠'}, {0xB9, U'╣'}, {0xDA, U'┌'}, {0xC4, U'─'}, {0xBF, U'┐'}, {0xB3, U'│'},
      {0xC0, U'└'}, {0xD9, U'┘'}, {0xC3, U'├'}, {0xB4, U'┤'}, {0xC2, U'┬'}, {0xC1, U'┴'},
      {0xC5, U'┼'}, {0xF8, U'°'}, {0xEA, U'Ω'}, {0xFB, U'√'}, {0x10, U'►'}, {0x7F, U'⌂'}};
  for (auto [byte, unicode] : expected) EXPECT_EQ(kUnicodeTable[byte], unicode) << int(byte);
}

TEST(CodePage437, AsciiIsItselfAndEveryOtherByteIsItsOwnGlyph) {
  for (int b = 0x20; b < 0x7F; ++b) EXPECT_EQ(kUnicodeTable[b], char32_t(b));
  // Only byte 0 (shown blank) shares its glyph with the space.
  std::set<char32_t> seen;
  for (int b = 1; b < 256; ++b) EXPECT_TRUE(seen.insert(kUnicodeTable[b]).second) << b;
  EXPECT_EQ(kUnicodeTable[0], U' ');
}

TEST(CodePage437, TypedCharactersMapBackToTheirByte) {
  for (int b = 0x80; b < 256; ++b)
    EXPECT_EQ(from_unicode(kUnicodeTable[b]), std::optional<std::uint8_t>(b)) << b;
  EXPECT_EQ(from_unicode(U'\u2126'), 0xEA);  // ohm sign
  EXPECT_EQ(from_unicode(U'€'), std::nullopt);
  EXPECT_EQ(from_unicode(U'☺'), std::nullopt);  // never a control byte
  EXPECT_EQ(from_unicode(U'A'), std::nullopt);
}

}  // namespace
