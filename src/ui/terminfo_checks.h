// What the terminfo database says of the terminal: whether a type is
// usable, its string capabilities and its alternate-set line characters.
// Private to the ncurses terminal.
#pragma once

#include <cstdint>
#include <string>

namespace kdv::ui {

// What the terminfo database says of a terminal type. Asked before newterm,
// which keeps some memory when it fails.
enum class Description : std::uint8_t { kMissing, kNoCursorAddressing, kUsable };
[[nodiscard]] Description describe(const std::string& name, int fd);

// A string capability of the current terminal; empty when it has none.
[[nodiscard]] std::string terminfo_string(const char* name);
// A parameterised capability applied to one number; empty if it fails.
[[nodiscard]] std::string terminfo_with_number(const char* capability, int n);
// The line characters the terminal's alternate set has, by their letters.
[[nodiscard]] std::string line_letters();

}  // namespace kdv::ui
