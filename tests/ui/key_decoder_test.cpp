#include "ui/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kdv::ui::KeyDecoder;
namespace scan = kdv::ui::scan;

namespace {

using Codes = std::vector<std::uint8_t>;

Codes whole(const KeyDecoder& d, std::string_view bytes) {
  Codes codes;
  EXPECT_EQ(d.decode(bytes, false, codes), bytes.size());
  return codes;
}

// As a terminal delivers them at worst: one byte per read, the Escape delay
// running out only after the last one.
Codes byte_by_byte(const KeyDecoder& d, std::string_view bytes) {
  Codes codes;
  std::string pending;
  for (char c : bytes) {
    pending.push_back(c);
    pending.erase(0, d.decode(pending, true, codes));
  }
  d.decode(pending, false, codes);
  return codes;
}

Codes ext(std::uint8_t scan_code) { return {0, scan_code}; }

struct Case {
  const char* what;
  std::string bytes;
  Codes codes;
};

void check(const KeyDecoder& d, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(whole(d, c.bytes), c.codes) << c.what;
    EXPECT_EQ(byte_by_byte(d, c.bytes), c.codes) << c.what << " (byte by byte)";
  }
}

TEST(KeyDecoder, Xterm) {
  check(KeyDecoder(true), {
      {"up, normal cursor keys", "\x1b[A", ext(72)},
      {"down", "\x1b[B", ext(80)},
      {"right", "\x1b[C", ext(77)},
      {"left", "\x1b[D", ext(75)},
      {"up, application cursor keys", "\x1bOA", ext(72)},
      {"down, application", "\x1bOB", ext(80)},
      {"delete", "\x1b[3~", ext(0x53)},
      {"alt-x (Alt sends Escape)", "\x1bx", ext(45)},
      {"alt-shift-x", "\x1bX", ext(45)},
      {"alt-up", "\x1b[1;3A", ext(72)},
      {"ctrl-down", "\x1b[1;5B", ext(80)},
      {"shift-delete", "\x1b[3;2~", ext(0x53)},
      {"home, end", "\x1b[H\x1b[F", {0, scan::kHome, 0, scan::kEnd}},
      {"F1, F5, F12", "\x1bOP\x1b[15~\x1b[24~", {0, 59, 0, 63, 0, 134}},
      {"backspace sends DEL", "\x7f", {8}},
      {"enter", "\r", {13}},
      {"typed text around a key", "a\x1b[Bb", {'a', 0, 80, 'b'}},
  });
}

TEST(KeyDecoder, TmuxAndScreen) {
  check(KeyDecoder(true), {
      {"up", "\x1bOA", ext(72)},
      {"home", "\x1b[1~", ext(scan::kHome)},
      {"end", "\x1b[4~", ext(scan::kEnd)},
      {"delete", "\x1b[3~", ext(0x53)},
      {"page up, page down", "\x1b[5~\x1b[6~", {0, 73, 0, 81}},
      {"alt-left", "\x1b[1;3D", ext(75)},
      {"alt-x", "\x1bx", ext(45)},
  });
}

TEST(KeyDecoder, LinuxConsolePuttyAndRxvt) {
  check(KeyDecoder(false), {
      {"console up", "\x1b[A", ext(72)},
      {"console F1 and F5", "\x1b[[A\x1b[[E", {0, 59, 0, 63}},
      {"console home, delete", "\x1b[1~\x1b[3~", {0, 71, 0, 83}},
      {"putty F1, F4", "\x1b[11~\x1b[14~", {0, 59, 0, 62}},
      {"rxvt home", "\x1b[7~", ext(71)},
      {"rxvt alt-up", "\x1b\x1b[A", ext(72)},
      {"shift-tab", "\x1b[Z", ext(15)},
  });
}

TEST(KeyDecoder, EscapeOnItsOwn) {
  const KeyDecoder d(true);
  Codes codes;
  // While more bytes may follow, a lone Escape waits.
  EXPECT_EQ(d.decode("\x1b", true, codes), 0u);
  EXPECT_TRUE(codes.empty());
  check(d, {
      {"escape", "\x1b", {27}},
      {"escape twice", "\x1b\x1b", {27, 27}},
      {"escape then enter", "\x1b\r", {27, 13}},
      {"escape then a digit", "\x1b" "5", {27, '5'}},
      {"escape then [ typed slowly", "\x1b[", {27, '['}},
      {"escape then O typed slowly is Alt-O", "\x1bO", ext(24)},
  });
}

TEST(KeyDecoder, NothingUnknownOrBrokenReachesTheProgram) {
  check(KeyDecoder(true), {
      {"unknown function key", "\x1b[99~x", {'x'}},
      {"device attributes report", "\x1b[?1;2c", {}},
      {"sequence broken off by a control byte", "\x1b[1\x01", {1}},
      {"half a sequence when the delay ran out", "\x1b[1;", {}},
      {"NUL would start an extended key", std::string("\0a", 2), {'a'}},
      {"newline reads as Enter", "\n", {13}},
  });
}

TEST(KeyDecoder, TypedUtf8BecomesCodePage437) {
  check(KeyDecoder(true), {
      {"degree sign", "\xc2\xb0", {0xF8}},
      {"omega", "\xce\xa9", {0xEA}},
      {"square root", "\xe2\x88\x9a", {0xFB}},
      {"e acute then a", "\xc3\xa9" "a", {0x82, 'a'}},
      {"euro sign has no byte", "\xe2\x82\xac", {}},
      {"stray continuation byte", "\x80z", {'z'}},
      {"truncated character", "\xe2\x88", {}},
      {"lead byte interrupted", "\xc3z", {'z'}},
  });
  // Without UTF-8 bytes above 127 mean nothing reliable and are dropped.
  check(KeyDecoder(false), {{"8-bit byte", "\xb0" "a", {'a'}}});
}

TEST(KeyDecoder, SequencesFromTheTerminalDescription) {
  KeyDecoder d(true);
  d.learn("\x1b[P", scan::kDelete);  // a vt-style delete the table does not know
  d.learn("\x7f", scan::kDelete);    // single bytes keep their meaning
  check(d, {
      {"learned delete", "\x1b[P", ext(0x53)},
      {"DEL is still backspace", "\x7f", {8}},
  });
}

TEST(KeyDecoder, AltLetterScanCodes) {
  EXPECT_EQ(scan::alt_letter('q'), 16);
  EXPECT_EQ(scan::alt_letter('p'), 25);
  EXPECT_EQ(scan::alt_letter('a'), 30);
  EXPECT_EQ(scan::alt_letter('l'), 38);
  EXPECT_EQ(scan::alt_letter('Z'), 44);
  EXPECT_EQ(scan::alt_letter('x'), 45);
  EXPECT_EQ(scan::alt_letter('m'), 50);
  EXPECT_EQ(scan::alt_letter('1'), 0);
}

}  // namespace
