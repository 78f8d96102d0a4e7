// Text printed on a terminal: control characters escaped, long values cut.
#include "model/printable_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintableText, EscapesControlCharactersAndCutsWithoutSplittingAnEscape) {
  const std::string sixty(60, 'a');
  const struct {
    std::string text;
    std::size_t most;
    std::string shown;
  } cases[] = {
      {"BOILER 3\tleft", std::string::npos, "BOILER 3\tleft"},
      {"\x1b[2J\r\n\x7f", std::string::npos, "\\x1b[2J\\x0d\\x0a\\x7f"},
      {"\xc2\x9b" "31m \xc2\x85", std::string::npos, "\\u009b31m \\u0085"},
      {"80 \xc2\xb0" "C \xef\xbf\xbd", std::string::npos, "80 \xc2\xb0" "C \xef\xbf\xbd"},
      {"\x9b" "x\xff\xc3", std::string::npos, "\\x9bx\\xff\\xc3"},
      {sixty + "b", 60, sixty + "…"},
      {std::string(57, 'a') + "\x1b", 60, std::string(57, 'a') + "…"},
      {std::string(56, 'a') + "\x1b", 60, std::string(56, 'a') + "\\x1b"},
      {std::string(59, 'a') + "\xc2\xb0\xc2\xb0", 60, std::string(59, 'a') + "\xc2\xb0…"},
  };
  for (const auto& c : cases) EXPECT_EQ(kdv::model::printable_text(c.text, c.most), c.shown) << c.text;
}

}  // namespace
