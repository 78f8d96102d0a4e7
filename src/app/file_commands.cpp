#include "app/file_commands.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "files/file_pair.h"
#include "files/saved_files.h"
#include "model/records.h"
#include "transfer/download.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::app {

namespace {

constexpr std::size_t kNameCapacity = 255;
constexpr std::size_t kNameColumns = 15;      // characters shown
constexpr std::size_t kNameTypedMax = 24;  // characters that can be entered

// Characters a file or directory name may be typed with; "\" arrives as "/".
bool accepted(std::uint8_t k) {
  return k == ' ' || k == '.' || k == ':' || k == '@' || k == '_' || k == '/' ||
         (k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
}

// The listing, then the small name box of the command.
void name_box(const kdv::model::Session& session, std::string_view title) {
  list_directory(session);
  kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows);
  kdv::ui::draw_choice_window(session, 30, 18, title, {"", ""});
}

// Asks for names until `act` succeeds with one (true) or the field is left
// empty (false). After a failure: a bell and `failure` on the box's row 4.
template <class Act>
bool ask_until(kdv::model::Session& session, std::string_view failure, Act act) {
  for (;;) {
    const kdv::model::Text<255> entered = file_name_field(session.file_base_name);
    if (entered.empty()) return false;
    session.file_base_name = kdv::files::base_name(entered);
    if (act(session.file_base_name.str())) return true;
    kdv::ui::write_text('\a');
    kdv::ui::go_to_xy(2, 4);
    kdv::ui::write_text(failure);
  }
}

// After a load while online: the configuration is only in memory, so offer
// to send it to the receiver.
void offer_download(kdv::model::Session& session) {
  kdv::ui::draw_background(session, 0);
  kdv::ui::draw_menu(session, session.cursor_column, session.cursor_row);
  kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows);
  kdv::ui::go_to_xy(3, 21);
  kdv::ui::write_text("After Loading configuration is not");
  kdv::ui::go_to_xy(3, 22);
  kdv::ui::write_text("automatically updated.");
  const kdv::ui::ChoiceLines answers = {"       Yes        ", "       No         "};
  kdv::ui::draw_choice_window(session, 30, 15, "    Download ?    ", answers);
  if (kdv::ui::choice_list(session, answers, 2) == 1) kdv::transfer::download_configuration(session);
}

}  // namespace

kdv::model::Text<255> file_name_field(const kdv::model::Text<255>& initial) {
  // buf holds the text and blanks after it; p is the 1-based cursor position.
  std::string buf(kNameCapacity, ' ');
  buf.replace(0, initial.size(), initial.view());
  std::size_t len = initial.size();
  std::size_t p = 1;
  std::uint8_t key = 0xFF;
  kdv::model::Text<255> result;
  kdv::ui::cursor_on();
  do {
    const std::size_t first = p > kNameColumns ? p - kNameColumns + 1 : 1;
    kdv::ui::go_to_xy(2, 3);
    kdv::ui::write_text(std::string_view(buf).substr(first - 1, kNameColumns));
    kdv::ui::go_to_xy(static_cast<int>(p - first + 2), 3);
    const std::uint8_t previous = key;
    key = kdv::ui::read_key();
    if (key == '\\') key = '/';
    if (accepted(key) && p != kNameTypedMax + 1 && previous != 0) {
      buf[p - 1] = static_cast<char>(key);
      len = p++;
    }
    const bool del = key == kdv::ui::kKeyBackspace || (key == kdv::ui::kScanDelete && previous == 0);
    if (del && p != 1) len = --p - 1;
    if (key != kdv::ui::kKeyEnter) std::fill(buf.begin() + static_cast<long>(p - 1), buf.end(), ' ');
    result = std::string_view(buf).substr(0, len);
    if (key == kdv::ui::kKeyEscape) {
      result = "";
      key = kdv::ui::kKeyEnter;
    }
  } while (key != kdv::ui::kKeyEnter);
  kdv::ui::go_to_xy(1, 4);
  kdv::ui::write_text(std::string(19, ' '));
  kdv::ui::cursor_off();
  return result;
}

void list_directory(const kdv::model::Session& session) {
  kdv::ui::set_text_window(10, 7, 70, 15);
  kdv::ui::clear_window();
  kdv::ui::frame_window(10, 7, 60, 10);
  kdv::ui::go_to_xy(18, 1);
  // The title stays on its row, clear of the frame.
  kdv::ui::write_text((" Directory " + session.working_directory).substr(0, 42));
  kdv::ui::set_text_window(10, 9, 68, 15);
  kdv::ui::go_to_xy(1, 1);
  int shown = 0, lines = 0;
  for (const std::string& name : kdv::files::saved_configurations()) {
    kdv::ui::write_text(kdv::files::listed(name));
    if (++shown % 3 != 0) continue;
    kdv::ui::write_line();
    if (++lines % 6 != 0) continue;
    kdv::ui::write_text("More, press any key...");
    kdv::ui::read_key();
    kdv::ui::write_line();
  }
  kdv::ui::write_line();
  kdv::ui::write_text("No More Files");
}

void change_directory(kdv::model::Session& session) {
  kdv::ui::draw_choice_window(session, 30, 15, "    Directory    ", {"", ""});
  for (;;) {
    session.working_directory = file_name_field(session.working_directory);
    if (session.working_directory.empty()) {
      // An empty entry goes back to the start directory, and says so.
      std::error_code ec;
      std::filesystem::current_path(session.start_directory.str(), ec);
      session.working_directory = session.start_directory;
      return;
    }
    if (::chdir(session.working_directory.str().c_str()) == 0) return;
    kdv::ui::go_to_xy(1, 4);
    kdv::ui::write_text("     ERROR  \a");
  }
}

void save(kdv::model::Session& session) {
  name_box(session, "      Save          ");
  ask_until(session, "Disk Access Error", [&session](const std::string& base) {
    return kdv::files::write_pair(base, session.held_flags, *session.receivers[0]);
  });
}

void load(kdv::model::Session& session) {
  name_box(session, "      Load        ");
  const bool loaded = ask_until(session, "Invalid Filename", [&session](const std::string& base) {
    return kdv::files::read_pair(base, session.held_flags, *session.receivers[0]);
  });
  session.transmitter_number = 1;
  session.channel_number = 1;
  if (session.online && loaded) offer_download(session);
}

}  // namespace kdv::app
