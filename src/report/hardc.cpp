// The report menu, the destination choice and the report run.
#include "report/hardc.h"

#include <ctime>

#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace hardc {

namespace {

// "LPT1".."LPT3" for a printer choice, otherwise the file name.
std::string destination_name() {
  return LPT >= 1 && LPT <= 3 ? "LPT" + std::to_string(LPT) : HCFILE.str();
}

DATE today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

void INITHARDCOPY() {
  RX = 0;
  HCFILE = "out.txt";
  LPT = 1;
}

void HCOPY() {
  const auto saved_x = wind::XCUR, saved_y = wind::YCUR;
  wind::XCUR = 1;
  wind::YCUR = 1;
  RX = globals::RECNO;
  for (;;) {
    wind::DISP[1][1] = LPT >= 1 && LPT <= 3 ? "   " + destination_name() : HCFILE.str();
    wind::DISP[1][2] = "";
    scrn::BACKGND(0);
    const auto code = wind::SEL(6);
    if (code == 17) HCFILE = PPORT(HCFILE).view();
    if (code == 18) OUTPT(destination_name());
    if (code == 255) break;
  }
  wind::XCUR = saved_x;
  wind::YCUR = saved_y;
}

Text<255> PPORT(const Text<255>& FILE1) {
  Text<255> result = FILE1;
  wind::TXT[0] = "   " + wind::SCREEN[wind::SCNO].CELL[wind::XCUR][wind::YCUR].TITLE;
  for (int i = 1; i <= 3; ++i) wind::TXT[i] = "     LPT" + std::to_string(i) + "           ";
  wind::TXT[4] = "     FILE          ";
  wind::DRAWWINDOW(30, 15, 4);
  LPT = wind::SELECTION(4, LPT, LPT);
  if (LPT == 4) {
    wind::TXT[0] = "    Filename       ";
    for (int i = 1; i <= 4; ++i) wind::TXT[i] = "";
    wind::DRAWWINDOW(30, 15, 4);
    result = wind::GETNAME(FILE1);
  }
  return result;
}

void OUTPT(std::string_view NAME) {
  const DATE date = today();
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::TextColor(15);
  crt::Write(globals::MESSAGE[53]);
  crt::Present();  // the working text shows while a printer takes the report
  if (PRINT(NAME, REPORT_TEXT(RX, date)))
    wind::SAYDONE("  Hardcopy ");
  else
    wind::SAYERROR(" Could not produce output ");
}

}  // namespace hardc
