#include <gtest/gtest.h>

#include "edit/confval.h"

using namespace kdv::edit;

namespace {

TEST(Tohex, DigitsAndOutOfRangeLeadingDigit) {
  EXPECT_EQ(TOHEX(4660, 4), "1234");
  EXPECT_EQ(TOHEX(0xBEEF, 4), "BEEF");
  // 70000 = 17 x 4096 + 368: the first digit value 17 cannot be shown, and
  // 17 x 4096 is taken away before the next digit.
  EXPECT_EQ(TOHEX(70000, 4), "?170");
  EXPECT_EQ(TOHEX(255, 1), "?");
  EXPECT_EQ(TOHEX(10, 1), "A");
  EXPECT_EQ(TOHEX(123, 0), "");
  EXPECT_EQ(TOHEX(0xFFFFFFFF, 8), "FFFFFFFF");
}

TEST(Tohex, NegativeValuesShowQuestionMarksWithoutOverrunning) {
  EXPECT_EQ(TOHEX(-1, 4), "000?");
  EXPECT_EQ(TOHEX(1e300, 8).size(), 8u);
  EXPECT_EQ(TOHEX(5, 200).size(), 8u);  // never more than 8 digits
}

TEST(Tobin, BinaryDigitsAndReversal) {
  EXPECT_EQ(TOBIN(5, 8), "00000101");
  EXPECT_EQ(FLIPSTR(TOBIN(5, 8), 8), "10100000");
  EXPECT_EQ(TOBIN(65, 8), "01000001");
  EXPECT_EQ(TOBIN(256, 8), "?0000000");
  EXPECT_EQ(TOBIN(1, 32).size(), 32u);
  EXPECT_EQ(FLIPSTR("abcdef", 3), "cba");
  EXPECT_EQ(FLIPSTR("ab", 5), "ba");  // never reads past the text
}

TEST(Iptypestring, TablesAndInvalidCodes) {
  EXPECT_EQ(IPTYPESTRING(1, 0), "     mV         ");
  EXPECT_EQ(IPTYPESTRING(1, 14), "RTD Temp Output ");
  EXPECT_EQ(IPTYPESTRING(1, 15), "Invalid");
  EXPECT_EQ(IPTYPESTRING(1, 16), "  S THC no CJ  ");
  EXPECT_EQ(IPTYPESTRING(1, 27), "  B THC with CJ ");
  EXPECT_EQ(IPTYPESTRING(1, 28), "Invalid");
  EXPECT_EQ(IPTYPESTRING(2, 0), "      mA        ");
  EXPECT_EQ(IPTYPESTRING(2, 1), "Invalid");
  EXPECT_EQ(IPTYPESTRING(2, 13), "   RTD ohmic    ");
  EXPECT_EQ(IPTYPESTRING(2, 15), "     SQRT       ");
  EXPECT_EQ(IPTYPESTRING(0, 13), "   RTD ohmic    ");
}

TEST(Checksumstr, DecimalOrHex) {
  EXPECT_EQ(CHECKSUMSTR(4660, 0), "     4660");
  EXPECT_EQ(CHECKSUMSTR(4660, 1), "     1234  hex");
  EXPECT_EQ(CHECKSUMSTR(70000, 1), "     ?170  hex");
}

}  // namespace
