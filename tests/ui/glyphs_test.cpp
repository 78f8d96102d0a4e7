#include "ui/glyphs.h"

#include <gtest/gtest.h>

using kdv::ui::Acs;
using kdv::ui::Glyph;

namespace {

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

}  // namespace
