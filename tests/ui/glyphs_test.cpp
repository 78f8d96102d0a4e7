#include "ui/glyphs.h"

#include <gtest/gtest.h>

#include <set>

using kdv::ui::Acs;
using kdv::ui::Glyph;

namespace {

TEST(Glyphs, BoxDrawingAndUnitSigns) {
  const std::pair<std::uint8_t, char32_t> expected[] = {
      {0xC9, U'╔'}, {0xCD, U'═'}, {0xBB, U'╗'}, {0xBA, U'║'}, {0xC8, U'╚'}, {0xBC, U'╝'},
      {0xCC, U'╠'}, {0xB9, U'╣'}, {0xDA, U'┌'}, {0xC4, U'─'}, {0xBF, U'┐'}, {0xB3, U'│'},
      {0xC0, U'└'}, {0xD9, U'┘'}, {0xC3, U'├'}, {0xB4, U'┤'}, {0xC2, U'┬'}, {0xC1, U'┴'},
      {0xC5, U'┼'}, {0xF8, U'°'}, {0xEA, U'Ω'}, {0xFB, U'√'}, {0x10, U'►'}, {0x7F, U'⌂'}};
  for (auto [byte, unicode] : expected) EXPECT_EQ(kdv::model::kUnicodeTable[byte], unicode) << int(byte);
}

TEST(Glyphs, AsciiIsItselfAndEveryOtherByteIsItsOwnGlyph) {
  for (int b = 0x20; b < 0x7F; ++b) EXPECT_EQ(kdv::model::kUnicodeTable[b], char32_t(b));
  // Only byte 0 (shown blank) shares its glyph with the space.
  std::set<char32_t> seen;
  for (int b = 1; b < 256; ++b) EXPECT_TRUE(seen.insert(kdv::model::kUnicodeTable[b]).second) << b;
  EXPECT_EQ(kdv::model::kUnicodeTable[0], U' ');
}

TEST(Glyphs, FallbackGoesFromUnicodeToLineCharactersToAscii) {
  auto none = [](char32_t) { return false; };
  auto ascii_only = [](char32_t c) { return c < 0x80; };
  auto latin1 = [](char32_t c) { return c < 0x100; };

  // Double lines become single line characters.
  EXPECT_EQ(kdv::ui::render(0xC9, none), (Glyph{Glyph::kAcs, 0, Acs::kUpperLeftCorner, 0}));
  EXPECT_EQ(kdv::ui::render(0xCD, none).acs, Acs::kHorizontalLine);
  EXPECT_EQ(kdv::ui::render(0xBA, none).acs, Acs::kVerticalLine);
  EXPECT_EQ(kdv::ui::render(0xCC, none).acs, Acs::kLeftTee);
  EXPECT_EQ(kdv::ui::render(0xB9, none).acs, Acs::kRightTee);
  EXPECT_EQ(kdv::ui::render(0xCE, none).acs, Acs::kPlus);
  EXPECT_EQ(kdv::ui::render(0xF8, ascii_only).acs, Acs::kDegree);
  // No line character: ASCII.
  EXPECT_EQ(kdv::ui::render(0xEA, ascii_only), (Glyph{Glyph::kAscii, 0, Acs::kNone, 'O'}));
  EXPECT_EQ(kdv::ui::render(0xFB, ascii_only).ascii, 'V');
  EXPECT_EQ(kdv::ui::render(0x82, ascii_only).ascii, 'e');
  // What the locale can show stays Unicode.
  EXPECT_EQ(kdv::ui::render('A', ascii_only), (Glyph{Glyph::kUnicode, U'A', Acs::kNone, 0}));
  EXPECT_EQ(kdv::ui::render(0xF8, latin1).unicode, U'°');
  EXPECT_EQ(kdv::ui::render(0xC9, latin1).kind, Glyph::kAcs);
  EXPECT_EQ(kdv::ui::render(0xFB, latin1).kind, Glyph::kAscii);
}

TEST(Glyphs, EveryByteHasAPrintableFallback) {
  for (int b = 0; b < 256; ++b) {
    const Glyph g = kdv::ui::render(static_cast<std::uint8_t>(b), [](char32_t) { return false; });
    if (g.kind == Glyph::kAscii) {
      EXPECT_TRUE(g.ascii >= 0x20 && g.ascii < 0x7F) << b;
    }
  }
  // Every single or double line character keeps a line shape.
  for (int b = 0xB3; b <= 0xDA; ++b) EXPECT_NE(kdv::ui::kAcsTable[b], Acs::kNone) << b;
}

TEST(Glyphs, TypedCharactersMapBackToTheirByte) {
  for (int b = 0x80; b < 256; ++b)
    EXPECT_EQ(kdv::model::from_unicode(kdv::model::kUnicodeTable[b]), std::optional<std::uint8_t>(b)) << b;
  EXPECT_EQ(kdv::model::from_unicode(U'\u2126'), 0xEA);  // ohm sign
  EXPECT_EQ(kdv::model::from_unicode(U'€'), std::nullopt);
  EXPECT_EQ(kdv::model::from_unicode(U'☺'), std::nullopt);  // never a control byte
  EXPECT_EQ(kdv::model::from_unicode(U'A'), std::nullopt);
}

}  // namespace
