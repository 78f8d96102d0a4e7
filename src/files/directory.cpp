// The file-name field, the listing of saved configurations and the
// change-directory command.
#include <string>

#include "files/disk.h"
#include "ui/crt.h"

namespace disk {

namespace {

constexpr std::size_t BUFFER = 255;
constexpr std::size_t FIELD = 15;      // characters shown
constexpr std::size_t LAST_TYPED = 24;  // characters that can be entered

// Characters a file or directory name may be typed with; "\" arrives as "/".
bool accepted(std::uint8_t k) {
  return k == ' ' || k == '.' || k == ':' || k == '@' || k == '_' || k == '/' ||
         (k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
}

}  // namespace

Text<255> GETNAME(const Text<255>& S) {
  // buf holds the text and blanks after it; p is the 1-based cursor position.
  std::string buf(BUFFER, ' ');
  buf.replace(0, S.size(), S.view());
  std::size_t len = S.size();
  std::size_t p = 1;
  std::uint8_t key = 0xFF;
  Text<255> result;
  crt::CURSORON();
  do {
    const std::size_t first = p > FIELD ? p - FIELD + 1 : 1;
    crt::GotoXY(2, 3);
    crt::Write(std::string_view(buf).substr(first - 1, FIELD));
    crt::GotoXY(static_cast<int>(p - first + 2), 3);
    const std::uint8_t previous = key;
    key = crt::ReadKey();
    if (key == '\\') key = '/';
    if (accepted(key) && p != LAST_TYPED + 1 && previous != 0) {
      buf[p - 1] = static_cast<char>(key);
      len = p++;
    }
    const bool del = key == crt::KEY_BACKSPACE || (key == crt::SCAN_DELETE && previous == 0);
    if (del && p != 1) len = --p - 1;
    if (key != crt::KEY_ENTER) std::fill(buf.begin() + static_cast<long>(p - 1), buf.end(), ' ');
    result = std::string_view(buf).substr(0, len);
    if (key == crt::KEY_ESC) {
      result = "";
      key = crt::KEY_ENTER;
    }
  } while (key != crt::KEY_ENTER);
  crt::GotoXY(1, 4);
  crt::Write(std::string(19, ' '));
  crt::CURSOROFF();
  return result;
}

}  // namespace disk
