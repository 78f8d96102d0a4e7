// The file-name field, the listing of saved configurations and the
// change-directory command.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/disk.h"
#include "ui/crt.h"
#include "ui/wind.h"

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

// The ".gdt" files (regular files, links followed) of the working directory,
// sorted so the listing reads the same every time.
std::vector<std::string> saved_configurations() {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code type_ec;
    if (name.ends_with(".gdt") && it->is_regular_file(type_ec)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A name as its column of the listing shows it: right-aligned, cut to the
// column, control characters as "?", so no name can move the cursor.
std::string listed(std::string name) {
  constexpr std::size_t COLUMN = 17;
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }, '?');
  name.resize(std::min(name.size(), COLUMN));
  return std::string(COLUMN - name.size(), ' ').append(name);
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

void DIRECTORY() {
  crt::Window(10, 7, 70, 15);
  crt::ClrScr();
  wind::SETWINDOW(10, 7, 60, 10);
  crt::GotoXY(18, 1);
  // The title stays on its row, clear of the frame.
  crt::Write((" Directory " + globals::NAME).substr(0, 42));
  crt::Window(10, 9, 68, 15);
  crt::GotoXY(1, 1);
  int shown = 0, lines = 0;
  for (const std::string& name : saved_configurations()) {
    crt::Write(listed(name));
    if (++shown % 3 != 0) continue;
    crt::WriteLn();
    if (++lines % 6 != 0) continue;
    crt::Write("More, press any key...");
    crt::ReadKey();
    crt::WriteLn();
  }
  crt::WriteLn();
  crt::Write("No More Files");
}

void DIRECT() {
  wind::TXT[0] = "    Directory    ";
  wind::TXT[1] = "";
  wind::TXT[2] = "";
  wind::DRAWWINDOW(30, 15, 2);
  for (;;) {
    globals::NAME = GETNAME(globals::NAME);
    if (globals::NAME.empty()) {
      // An empty entry goes back to the start directory, and says so.
      std::error_code ec;
      std::filesystem::current_path(globals::PATH.str(), ec);
      globals::NAME = globals::PATH;
      return;
    }
    if (::chdir(globals::NAME.str().c_str()) == 0) return;
    crt::GotoXY(1, 4);
    crt::Write("     ERROR  \a");
  }
}

}  // namespace disk
