#include "app/port_choice.h"

#include <algorithm>
#include <string>

#include "link/comms.h"
#include "model/globals.h"
#include "ui/wind.h"

namespace kdv::app {

using namespace kdv::model;

namespace {

// The highest number of lines a choice window can show within the screen.
constexpr int MAX_LIST_LINES = 19;

// Three blanks and the label of the highlighted cell of the current menu.
std::string TITLE_FROM_MENU(const kdv::model::Session& session) { return "   " + session.SCREEN[session.SCNO].CELL[session.XCUR][session.YCUR].TITLE; }

}  // namespace

void CLEARPORT(Session& session) {
  for (auto& name : session.COM_PORT_NAME) name = "";
}

void COMPORTSCAN(Session& session) {
  CLEARPORT(session);
  session.NO_OF_PORTS = 0;
  session.SELECTED_PORT_NAME.clear();
  // The whole list, however long: a stable name such as a /dev/serial/by-id
  // path is some 60 characters on its own.
  const std::string list = kdv::link::GETSERIALPORTNAMES();
  std::string_view rest = list;
  int count = 0;
  if (!rest.empty()) {
    std::size_t p;
    do {
      p = rest.find(',');
      session.COM_PORT_NAME[count + 1] = rest.substr(0, p);
      if (p != std::string_view::npos) rest.remove_prefix(p + 1);
      ++count;
    } while (p != std::string_view::npos && count < session.COM_PORT_NAME.high);
  }
  session.NO_OF_PORTS = static_cast<byte>(count);
  if (count > 0) session.SELECTED_PORT_NAME = session.COM_PORT_NAME[1];
}

void COMPORT1(Session& session) {
  COMPORTSCAN(session);
  if (session.NO_OF_PORTS == 0) {
    SAY_NO_PORT(session);
    return;
  }
  // A list too long for row 15 moves up; more lines than the screen holds are
  // not offered.
  const int count = std::min<int>(session.NO_OF_PORTS, MAX_LIST_LINES);
  kdv::ui::LINES lines;
  for (int i = 1; i <= count; ++i) {
    const std::string& name = session.COM_PORT_NAME[i];
    // Seven blanks on each side; a long name gives up leading blanks so that
    // as much of it as fits stays on its 19-character line.
    const std::size_t lead = std::min<std::size_t>(7, 19 - std::min<std::size_t>(19, name.size()));
    lines.push_back(std::string(lead, ' ') + name + std::string(7, ' '));
  }
  kdv::ui::DRAWWINDOW(session, 30, std::min(15, 21 - count), TITLE_FROM_MENU(session), lines);
  // The chosen line's own name, whole: lines that show the same 19
  // characters (all /dev/serial/by-id names begin alike) are different ports.
  // Escape takes the first port.
  session.SELECTED_PORT_NAME = session.COM_PORT_NAME[kdv::ui::SELECTION(session, lines, 1).value_or(1)];
  kdv::link::INIT_COMPORT(session.SELECTED_PORT_NAME);  // opened once, and closed again
  session.DISP[2][3] = PORT_CELL_TEXT(session);
}

void ONLINPROG(kdv::model::Session& session) {
  const kdv::ui::LINES modes = {"     Offline       ", "     Online        "};
  kdv::ui::DRAWWINDOW(session, 30, 15, TITLE_FROM_MENU(session), modes);
  const std::optional<byte> s = kdv::ui::SELECTION(session, modes, session.ONLINE ? 2 : 1);
  if (s == 1) session.ONLINE = false;
  if (s == 2) session.ONLINE = true;
}

void SAY_NO_PORT(const kdv::model::Session& session) {
  const kdv::ui::LINES ok = {"        OK        "};
  kdv::ui::DRAWWINDOW(session, 30, 13, "COM PORT NOT EXIST", ok);
  kdv::ui::SELECTION(session, ok, 1);
}

Text<16> PORT_CELL_TEXT(const kdv::model::Session& session) { return "    " + session.SELECTED_PORT_NAME; }

}  // namespace kdv::app
