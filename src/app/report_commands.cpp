#include "app/report_commands.h"

#include <ctime>
#include <string>

#include "model/globals.h"
#include "model/session.h"
#include "report/hardc.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace project1 {

namespace {

hardc::DATE today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

void HCOPY(globals::Session& session) {
  const wind::MENU_CURSOR cursor(session, 1, 1);
  session.REPORT_RX = session.RECNO;
  for (;;) {
    const std::string destination = hardc::destination_name(session.LPT, session.HCFILE);
    session.DISP[1][1] = session.LPT >= 1 && session.LPT <= 3 ? "   " + destination : session.HCFILE.str();
    session.DISP[1][2] = "";
    scrn::BACKGND(session, 0);
    const auto code = wind::SEL(session, 6);
    if (code == 17) session.HCFILE = PPORT(session, session.HCFILE).view();
    if (code == 18) OUTPT(session, hardc::destination_name(session.LPT, session.HCFILE));
    if (code == 255) break;
  }
}

Text<255> PPORT(globals::Session& session, const Text<255>& FILE1) {
  Text<255> result = FILE1;
  wind::LINES lines;
  for (int i = 1; i <= 3; ++i) lines.push_back("     LPT" + std::to_string(i) + "           ");
  lines.emplace_back("     FILE          ");
  wind::DRAWWINDOW(session, 30, 15, "   " + session.SCREEN[session.SCNO].CELL[session.XCUR][session.YCUR].TITLE, lines);
  // Escape keeps the destination (and still asks for the file name when it
  // is the file).
  session.LPT = wind::SELECTION(session, lines, session.LPT).value_or(session.LPT);
  if (session.LPT == 4) {
    wind::DRAWWINDOW(session, 30, 15, "    Filename       ", {"", "", "", ""});
    result = wind::GETNAME(FILE1).value_or(FILE1.str());
  }
  return result;
}

void OUTPT(const globals::Session& session, std::string_view NAME) {
  const hardc::DATE date = today();
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::TextColor(15);
  crt::Write(session.MESSAGE[53]);
  crt::Present();  // the working text shows while a printer takes the report
  if (hardc::PRINT(NAME, hardc::REPORT_TEXT(session, session.REPORT_RX, date)))
    wind::SAYDONE(session, "  Hardcopy ");
  else
    wind::SAYERROR(session, " Could not produce output ");
}

}  // namespace project1
