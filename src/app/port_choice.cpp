#include "app/port_choice.h"

#include <algorithm>
#include <string>

#include "link/serial_port.h"
#include "model/records.h"
#include "ui/popups.h"

namespace kdv::app {

using namespace kdv::model;

namespace {

// Three blanks and the label of the highlighted cell of the current menu.
std::string title_from_menu(const kdv::model::Session& session) { return "   " + session.screens[session.screen_number].cells[session.cursor_column][session.cursor_row].label; }

}  // namespace

void clear_port_list(Session& session) {
  for (auto& name : session.port_names) name = "";
}

void scan_ports(Session& session) {
  clear_port_list(session);
  session.port_count = 0;
  session.selected_port.clear();
  // The whole list, however long: a stable name such as a /dev/serial/by-id
  // path is some 60 characters on its own.
  const std::string list = kdv::link::serial_port_names();
  std::string_view rest = list;
  int count = 0;
  if (!rest.empty()) {
    std::size_t p;
    do {
      p = rest.find(',');
      session.port_names[count + 1] = rest.substr(0, p);
      if (p != std::string_view::npos) rest.remove_prefix(p + 1);
      ++count;
    } while (p != std::string_view::npos && count < session.port_names.kHigh);
  }
  session.port_count = static_cast<Byte>(count);
  if (count > 0) session.selected_port = session.port_names[1];
}

void choose_port(Session& session) {
  // The port in use stays so until another line is chosen: neither the
  // rescan nor Escape moves the link to a different line, even when its
  // port is no longer listed.
  const std::string in_use = session.selected_port;
  scan_ports(session);
  if (session.port_count == 0) {
    say_no_port(session);
    session.selected_port = in_use;
    return;
  }
  kdv::ui::ChoiceLines lines;
  for (int i = 1; i <= session.port_count; ++i) {
    const std::string& name = session.port_names[i];
    // Seven blanks on each side; a long name gives up leading blanks so that
    // as much of it as fits stays on its 19-character line.
    const std::size_t lead = std::min<std::size_t>(7, 19 - std::min<std::size_t>(19, name.size()));
    lines.push_back(std::string(lead, ' ') + name + std::string(7, ' '));
  }
  // A list too long for row 15 moves up; one longer than the window scrolls.
  const int shown = std::min<int>(session.port_count, kdv::ui::kChoiceWindowLines);
  kdv::ui::draw_choice_window(session, 30, std::min(15, 21 - shown), title_from_menu(session), lines);
  // The chosen line's own name, whole: lines that show the same 19
  // characters (all /dev/serial/by-id names begin alike) are different ports.
  const std::optional<Byte> chosen = kdv::ui::choice_list(session, lines, 1);
  session.selected_port = chosen ? std::string(session.port_names[*chosen]) : in_use;
  kdv::link::make_port(session.selected_port);  // opened once, and closed again
  session.value_column[2][3] = port_cell_text(session);
}

void choose_online(kdv::model::Session& session) {
  const kdv::ui::ChoiceLines modes = {"     Offline       ", "     Online        "};
  kdv::ui::draw_choice_window(session, 30, 15, title_from_menu(session), modes);
  const std::optional<Byte> s = kdv::ui::choice_list(session, modes, session.online ? 2 : 1);
  if (s == 1) session.online = false;
  if (s == 2) session.online = true;
}

void say_no_port(const kdv::model::Session& session) {
  const kdv::ui::ChoiceLines ok = {"        OK        "};
  kdv::ui::draw_choice_window(session, 30, 13, "COM PORT NOT EXIST", ok);
  kdv::ui::choice_list(session, ok, 1);
}

kdv::model::Text<16> port_cell_text(const kdv::model::Session& session) { return "    " + session.selected_port; }

}  // namespace kdv::app
