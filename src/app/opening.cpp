#include "app/project1.h"

#include "app/file_commands.h"
#include "app/port_choice.h"
#include "app/report_commands.h"
#include "app/signoff.h"
#include "edit/chconf.h"
#include "edit/copy_menu.h"
#include "edit/rxconf.h"
#include "model/globals.h"
#include "monitor/demo.h"
#include "transfer/download.h"
#include "transfer/upload.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::app {

using namespace kdv::model;

namespace {

// The main menu's screen in the menu model.
constexpr int MAIN_SCREEN = 2;

// Cells of the main menu: 0x10 x column + row.
constexpr int kCellUpload = 0x11, kCellReceiverSetup = 0x12, kCellChannelSetup = 0x13, kCellCopy = 0x14,
              kCellDownload = 0x15, kCellLoadFile = 0x16, kCellSaveFile = 0x17, kCellSignOff = 0x18;
constexpr int kCellDirectory = 0x21, kCellLinkMode = 0x22, kCellSerialPort = 0x23, kCellMonitorInput = 0x24,
              kCellMonitorAll = 0x25, kCellReport = 0x26;

// Runs the command of a main menu selection code; codes without a command
// (Escape among them) do nothing and the menu is drawn again.
void DISPATCH(Session& session, int code) {
  switch (code) {
    case kCellUpload: kdv::transfer::UPLOAD(session); break;
    case kCellReceiverSetup: kdv::edit::CONFIGURE_RX(session); break;
    case kCellChannelSetup: kdv::edit::CONFIGURE_CH(session); break;
    case kCellCopy: kdv::edit::COPYRX(session); break;
    case kCellDownload: kdv::transfer::DOWNLOAD(session); break;
    case kCellLoadFile: LOAD(session); break;
    case kCellSaveFile: SAVE(session); break;
    case kCellSignOff: SIGNOFF(session); break;
    case kCellDirectory: DIRECT(session); break;
    case kCellLinkMode: ONLINPROG(session); break;
    case kCellSerialPort: COMPORT1(session); break;
    case kCellMonitorInput: kdv::monitor::MONINPUT(session); break;
    case kCellMonitorAll: kdv::monitor::TEXTDEMO(session); break;
    case kCellReport: HCOPY(session); break;
    default: break;
  }
}

// One pass of the main menu: value column, background, menu, command.
void MAINMENU(Session& session) {
  OPENINGVALS(session);
  kdv::ui::BACKGND(session, 0);
  DISPATCH(session, kdv::ui::SEL(session, MAIN_SCREEN));
}

}  // namespace

void OPENINGVALS(Session& session) {
  for (int row = 1; row <= 9; ++row) session.DISP[1][row] = "";
  session.DISP[2][1] = session.NAME.view();
  session.DISP[2][2] = session.ONLINE ? "   Online    " : "  Offline    ";
  session.DISP[2][3] = PORT_CELL_TEXT(session);
  for (int row = 4; row <= 7; ++row) session.DISP[2][row] = "";
}

void OPENING(Session& session) {
  session.XCUR = 1;
  session.YCUR = 1;
  OPENINGVALS(session);
  kdv::ui::BACKGND(session, 0);
  if (session.NO_OF_PORTS == 0) {
    SAY_NO_PORT(session);
  } else {
    const kdv::ui::LINES answers = {"        NO        ", "        YES       "};
    kdv::ui::DRAWWINDOW(session, 30, 13, "    Upload  Data  ", answers);
    if (kdv::ui::SELECTION(session, answers, 1) == 2) {
      kdv::ui::Delay(500);
      kdv::transfer::UPLOAD(session);
    }
  }
  for (;;) MAINMENU(session);
}

}  // namespace kdv::app
