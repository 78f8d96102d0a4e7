#include "app/report_commands.h"

#include <ctime>
#include <string>

#include "model/colours.h"
#include "model/globals.h"
#include "model/messages.h"
#include "model/session.h"
#include "report/hardc.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::app {

namespace {

kdv::report::DATE today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// Cells of the report menu: 0x10 x column + row.
constexpr int kCellOutputTo = 0x11, kCellPrintReport = 0x12;

}  // namespace

void HCOPY(kdv::model::Session& session) {
  const kdv::ui::MENU_CURSOR cursor(session, 1, 1);
  session.REPORT_RX = session.RECNO;
  for (;;) {
    const std::string destination = kdv::report::destination_name(session.LPT, session.HCFILE);
    session.DISP[1][1] = session.LPT >= 1 && session.LPT <= 3 ? "   " + destination : session.HCFILE.str();
    session.DISP[1][2] = "";
    kdv::ui::BACKGND(session, 0);
    const auto code = kdv::ui::SEL(session, 6);
    if (code == kCellOutputTo) session.HCFILE = PPORT(session, session.HCFILE).view();
    if (code == kCellPrintReport) OUTPT(session, kdv::report::destination_name(session.LPT, session.HCFILE));
    if (code == kdv::ui::kMenuEscape) break;
  }
}

Text<255> PPORT(kdv::model::Session& session, const Text<255>& FILE1) {
  Text<255> result = FILE1;
  kdv::ui::LINES lines;
  for (int i = 1; i <= 3; ++i) lines.push_back("     LPT" + std::to_string(i) + "           ");
  lines.emplace_back("     FILE          ");
  kdv::ui::DRAWWINDOW(session, 30, 15, "   " + session.SCREEN[session.SCNO].CELL[session.XCUR][session.YCUR].TITLE, lines);
  // Escape keeps the destination (and still asks for the file name when it
  // is the file).
  session.LPT = kdv::ui::SELECTION(session, lines, session.LPT).value_or(session.LPT);
  if (session.LPT == 4) {
    kdv::ui::DRAWWINDOW(session, 30, 15, "    Filename       ", {"", "", "", ""});
    result = kdv::ui::GETNAME(FILE1).value_or(FILE1.str());
  }
  return result;
}

void OUTPT(const kdv::model::Session& session, std::string_view NAME) {
  const kdv::report::DATE date = today();
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kdv::model::kBlack);
  kdv::ui::TextColor(kdv::model::kWhite);
  kdv::ui::Write(session.MESSAGE[kdv::model::kMessageWorking]);
  kdv::ui::Present();  // the working text shows while a printer takes the report
  if (kdv::report::PRINT(NAME, kdv::report::REPORT_TEXT(session, session.REPORT_RX, date)))
    kdv::ui::SAYDONE(session, "  Hardcopy ");
  else
    kdv::ui::SAYERROR(session, " Could not produce output ");
}

}  // namespace kdv::app
