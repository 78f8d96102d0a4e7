#include "app/file_commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "files/disk.h"
#include "model/globals.h"
#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::app {

namespace {

constexpr std::size_t BUFFER = 255;
constexpr std::size_t FIELD = 15;      // characters shown
constexpr std::size_t LAST_TYPED = 24;  // characters that can be entered

// Characters a file or directory name may be typed with; "\" arrives as "/".
bool accepted(std::uint8_t k) {
  return k == ' ' || k == '.' || k == ':' || k == '@' || k == '_' || k == '/' ||
         (k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
}

// The listing, then the small name box of the command.
void name_box(const kdv::model::Session& session, std::string_view title) {
  DIRECTORY(session);
  kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS);
  kdv::ui::DRAWWINDOW(session, 30, 18, title, {"", ""});
}

// Asks for names until `act` succeeds with one (true) or the field is left
// empty (false). After a failure: a bell and `failure` on the box's row 4.
template <class Act>
bool ask_until(kdv::model::Session& session, std::string_view failure, Act act) {
  for (;;) {
    const Text<255> entered = GETNAME(session.FILENAME);
    if (entered.empty()) return false;
    session.FILENAME = kdv::files::BASENAME(entered);
    if (act(session.FILENAME.str())) return true;
    kdv::ui::Write('\a');
    kdv::ui::GotoXY(2, 4);
    kdv::ui::Write(failure);
  }
}

// After a load while online: the configuration is only in memory, so offer
// to send it to the receiver.
void offer_download(kdv::model::Session& session) {
  kdv::ui::BACKGND(session, 0);
  kdv::ui::FILLSCN(session, session.XCUR, session.YCUR);
  kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS);
  kdv::ui::GotoXY(3, 21);
  kdv::ui::Write("After Loading configuration is not");
  kdv::ui::GotoXY(3, 22);
  kdv::ui::Write("automatically updated.");
  const kdv::ui::LINES answers = {"       Yes        ", "       No         "};
  kdv::ui::DRAWWINDOW(session, 30, 15, "    Download ?    ", answers);
  if (kdv::ui::SELECTION(session, answers, 2) == 1) kdv::transfer::DOWNLOAD(session);
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
  kdv::ui::CURSORON();
  do {
    const std::size_t first = p > FIELD ? p - FIELD + 1 : 1;
    kdv::ui::GotoXY(2, 3);
    kdv::ui::Write(std::string_view(buf).substr(first - 1, FIELD));
    kdv::ui::GotoXY(static_cast<int>(p - first + 2), 3);
    const std::uint8_t previous = key;
    key = kdv::ui::ReadKey();
    if (key == '\\') key = '/';
    if (accepted(key) && p != LAST_TYPED + 1 && previous != 0) {
      buf[p - 1] = static_cast<char>(key);
      len = p++;
    }
    const bool del = key == kdv::ui::KEY_BACKSPACE || (key == kdv::ui::SCAN_DELETE && previous == 0);
    if (del && p != 1) len = --p - 1;
    if (key != kdv::ui::KEY_ENTER) std::fill(buf.begin() + static_cast<long>(p - 1), buf.end(), ' ');
    result = std::string_view(buf).substr(0, len);
    if (key == kdv::ui::KEY_ESC) {
      result = "";
      key = kdv::ui::KEY_ENTER;
    }
  } while (key != kdv::ui::KEY_ENTER);
  kdv::ui::GotoXY(1, 4);
  kdv::ui::Write(std::string(19, ' '));
  kdv::ui::CURSOROFF();
  return result;
}

void DIRECTORY(const kdv::model::Session& session) {
  kdv::ui::Window(10, 7, 70, 15);
  kdv::ui::ClrScr();
  kdv::ui::SETWINDOW(10, 7, 60, 10);
  kdv::ui::GotoXY(18, 1);
  // The title stays on its row, clear of the frame.
  kdv::ui::Write((" Directory " + session.NAME).substr(0, 42));
  kdv::ui::Window(10, 9, 68, 15);
  kdv::ui::GotoXY(1, 1);
  int shown = 0, lines = 0;
  for (const std::string& name : kdv::files::saved_configurations()) {
    kdv::ui::Write(kdv::files::listed(name));
    if (++shown % 3 != 0) continue;
    kdv::ui::WriteLn();
    if (++lines % 6 != 0) continue;
    kdv::ui::Write("More, press any key...");
    kdv::ui::ReadKey();
    kdv::ui::WriteLn();
  }
  kdv::ui::WriteLn();
  kdv::ui::Write("No More Files");
}

void DIRECT(kdv::model::Session& session) {
  kdv::ui::DRAWWINDOW(session, 30, 15, "    Directory    ", {"", ""});
  for (;;) {
    session.NAME = GETNAME(session.NAME);
    if (session.NAME.empty()) {
      // An empty entry goes back to the start directory, and says so.
      std::error_code ec;
      std::filesystem::current_path(session.PATH.str(), ec);
      session.NAME = session.PATH;
      return;
    }
    if (::chdir(session.NAME.str().c_str()) == 0) return;
    kdv::ui::GotoXY(1, 4);
    kdv::ui::Write("     ERROR  \a");
  }
}

void SAVE(kdv::model::Session& session) {
  name_box(session, "      Save          ");
  ask_until(session, "Disk Access Error", [&session](const std::string& base) {
    return kdv::files::WRITE_PAIR(base, session.GLOBDAT, *session.RECEIVER[0]);
  });
}

void LOAD(kdv::model::Session& session) {
  name_box(session, "      Load        ");
  const bool loaded = ask_until(session, "Invalid Filename", [&session](const std::string& base) {
    return kdv::files::READ_PAIR(base, session.GLOBDAT, *session.RECEIVER[0]);
  });
  session.TXNO = 1;
  session.CHNO = 1;
  if (session.ONLINE && loaded) offer_download(session);
}

}  // namespace kdv::app
