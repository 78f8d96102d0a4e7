#include "model/printable_text.h"

#include <cstdint>
#include <cstdio>

#include "model/code_page_437.h"

namespace kdv::model {

namespace {

std::string escape(const char* format, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string printable_text(std::string_view text, std::size_t most) {
  std::string out;
  std::size_t shown = 0;  // characters in out
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t code = kdv::model::next_character(text, i);
    const std::string_view bytes = text.substr(start, i - start);
    std::string piece;
    if (code == U'\uFFFD' && bytes != "\uFFFD") {
      for (const char b : bytes) piece += escape("\\x%02x", static_cast<std::uint8_t>(b));
    } else if ((code < 0x20 && code != '\t') || code == 0x7F) {
      piece = escape("\\x%02x", static_cast<unsigned>(code));
    } else if (code >= 0x80 && code <= 0x9F) {
      piece = escape("\\u%04x", static_cast<unsigned>(code));
    }
    // An escape is as many characters as its bytes; a character kept is one.
    const std::size_t width = piece.empty() ? 1 : piece.size();
    if (most != std::string_view::npos && shown + width > most) return out + "…";
    out += piece.empty() ? bytes : std::string_view(piece);
    shown += width;
  }
  return out;
}

}  // namespace kdv::model
