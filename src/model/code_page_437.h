// Code page 437, the character set of the records, the screen files and the
// screen: its Unicode table and the conversion of texts to and from UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kdv::model {

// The Unicode character of every byte. Bytes 0-31 and 127 are the glyphs a
// PC screen shows for them; byte 0 and 255 show as blanks.
extern const std::array<char32_t, 256> kUnicodeTable;

// The byte 128..255 for a typed Unicode character, if code page 437 has it.
// ASCII needs no translation; bytes 0..31 and 127 are never produced, so a
// typed symbol can never become a control key.
std::optional<std::uint8_t> from_unicode(char32_t c);

// A record's bytes as UTF-8 text: bytes 128..255 as their characters, every
// other byte as the character of the same number, so control bytes stay
// control characters and every text converts back byte for byte.
std::string to_utf8(std::string_view bytes);

// UTF-8 text as code page 437 bytes, the reverse of to_utf8.
struct FromUtf8 {
  std::string bytes;
  // The first character code page 437 lacks (or U+FFFD for a byte sequence
  // that is not UTF-8); nothing when the whole text converted.
  std::optional<char32_t> missing;
};
FromUtf8 from_utf8(std::string_view text);

// The UTF-8 character starting at text[i]; i is left behind it. U+FFFD for
// a malformed or overlong sequence, whose bytes i is left behind.
char32_t next_character(std::string_view text, std::size_t& i);

// A character as UTF-8.
std::string utf8_of(char32_t c);

}  // namespace kdv::model
