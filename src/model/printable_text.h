// Text that is safe to print on a terminal: control characters cannot move
// the cursor, change colours or start an escape sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kdv::model {

// How many characters of a value a message shows.
inline constexpr std::size_t kMessageValueLength = 60;

// UTF-8 text with every control character shown escaped: C0 but the tab,
// and DEL, as "\x1b"; C1 as "\u009b"; a byte that is no part of a UTF-8
// character as "\xff". Everything else is kept. With `most`, the text is
// cut after that many characters (an escape never split) and "…" follows.
std::string printable_text(std::string_view text, std::size_t most = std::string_view::npos);

}  // namespace kdv::model
