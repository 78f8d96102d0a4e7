#include <gtest/gtest.h>

#include "edit/value_column.h"

using namespace kdv::edit;

namespace {

TEST(HexText, DigitsAndOutOfRangeLeadingDigit) {
  EXPECT_EQ(to_hex(4660, 4), "1234");
  EXPECT_EQ(to_hex(0xBEEF, 4), "BEEF");
  // 70000 = 17 x 4096 + 368: the first digit value 17 cannot be shown, and
  // 17 x 4096 is taken away before the next digit.
  EXPECT_EQ(to_hex(70000, 4), "?170");
  EXPECT_EQ(to_hex(255, 1), "?");
  EXPECT_EQ(to_hex(10, 1), "A");
  EXPECT_EQ(to_hex(123, 0), "");
  EXPECT_EQ(to_hex(0xFFFFFFFF, 8), "FFFFFFFF");
}

TEST(HexText, NegativeValuesShowQuestionMarksWithoutOverrunning) {
  EXPECT_EQ(to_hex(-1, 4), "000?");
  EXPECT_EQ(to_hex(1e300, 8).size(), 8u);
  EXPECT_EQ(to_hex(5, 200).size(), 8u);  // never more than 8 digits
}

TEST(BinaryText, BinaryDigitsAndReversal) {
  EXPECT_EQ(to_binary(5, 8), "00000101");
  EXPECT_EQ(reversed(to_binary(5, 8), 8), "10100000");
  EXPECT_EQ(to_binary(65, 8), "01000001");
  EXPECT_EQ(to_binary(256, 8), "?0000000");
  EXPECT_EQ(to_binary(1, 32).size(), 32u);
  EXPECT_EQ(reversed("abcdef", 3), "cba");
  EXPECT_EQ(reversed("ab", 5), "ba");  // never reads past the text
}

TEST(InputTypeName, TablesAndInvalidCodes) {
  EXPECT_EQ(input_type_name(1, 0), "     mV         ");
  EXPECT_EQ(input_type_name(1, 14), "RTD Temp Output ");
  EXPECT_EQ(input_type_name(1, 15), "Invalid");
  EXPECT_EQ(input_type_name(1, 16), "  S THC no CJ  ");
  EXPECT_EQ(input_type_name(1, 27), "  B THC with CJ ");
  EXPECT_EQ(input_type_name(1, 28), "Invalid");
  EXPECT_EQ(input_type_name(2, 0), "      mA        ");
  EXPECT_EQ(input_type_name(2, 1), "Invalid");
  EXPECT_EQ(input_type_name(2, 13), "   RTD ohmic    ");
  EXPECT_EQ(input_type_name(2, 15), "     SQRT       ");
  EXPECT_EQ(input_type_name(0, 13), "   RTD ohmic    ");
}

TEST(ChecksumText, DecimalOrHex) {
  EXPECT_EQ(checksum_text(4660, 0), "     4660");
  EXPECT_EQ(checksum_text(4660, 1), "     1234  hex");
  EXPECT_EQ(checksum_text(70000, 1), "     ?170  hex");
}

}  // namespace
