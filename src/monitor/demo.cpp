#include "monitor/demo.h"

#include <functional>
#include <string>

#include "edit/chconf.h"
#include "edit/confval.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "model/colours.h"
#include "model/globals.h"
#include "model/messages.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::monitor {

using namespace kdv::model;

namespace {

std::string BLANKS(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void WRITEAT(int x, int y, std::string_view text) {
  kdv::ui::GotoXY(x, y);
  kdv::ui::Write(text);
}

// Writes text on the error colour, then returns to the background colour.
void WRITEALERT(const kdv::model::Session& session, std::string_view text) {
  kdv::ui::TextBackground(session.ERRBAR);
  kdv::ui::Write(text);
  kdv::ui::TextBackground(session.BACK);
}

// The alarm state after a value: the high or low text on the error colour,
// or blanks. low_tail is what follows the low text (the lists pad it to the
// width of the high text).
void WRITEALARM(kdv::model::Session& session, ALARM_STATE alarm, std::string_view low_tail) {
  switch (alarm) {
    case HIGH:
      kdv::ui::Write(' ');
      WRITEALERT(session, session.MESSAGE[kMessageAlarmHigh].str() + " ");
      break;
    case LOW:
      kdv::ui::Write(' ');
      WRITEALERT(session, session.MESSAGE[kMessageAlarmLow].str().append(low_tail));
      break;
    default:
      kdv::ui::Write(BLANKS(8));
      break;
  }
}

// A highway state: the healthy text and its padding, or the failed text on
// the error colour.
void WRITEHIGHWAY(kdv::model::Session& session, bool healthy, std::string_view healthy_tail, std::string_view failed_tail) {
  if (healthy)
    kdv::ui::Write(session.MESSAGE[kMessageHealthy].str().append(healthy_tail));
  else
    WRITEALERT(session, session.MESSAGE[kMessageFailed].str().append(failed_tail));
}

std::string_view HHTTEXT(kdv::model::Session& session, const kdv::link::Outcome& read) {
  return session.MESSAGE[read.hand_held ? kMessageHandHeldActive : kMessageHandHeldInactive].view();
}

TRANSMITTER_DATA& CURRENTTX(kdv::model::Session& session) { return session.RX().TRANSMITTER[session.TXNO]; }

// The reading of a pass on the link, after the cold-junction temperature;
// type is set to the transmitter type the reply reports.
using Reading = std::function<kdv::link::Outcome(kdv::link::Link&, int& type)>;
// Draws a pass with the transmitter type and the pass's outcome.
using Drawing = std::function<void(int type, const kdv::link::Outcome&)>;

// The live loop both monitors share. Each pass shows the working text,
// reads the cold-junction temperature and then the values, draws them while
// the pass succeeded (draw), and shows an error or a failed transmitter for
// 5 seconds. The loop ends only in a pass in which the link gave up (Escape
// or no reply); that pass's error is not shown.
void LIVELOOP(kdv::model::Session& session, const Reading& read, const Drawing& draw) {
  int type = 1;
  for (;;) {
    kdv::ui::Window(1, 1, 80, 25);
    kdv::ui::TextBackground(kBlack);
    WRITEAT(1, 25, session.MESSAGE[kMessageWorking].view());
    kdv::link::Outcome pass;
    {
      kdv::link::Link link(session);
      pass = link.READ_CJ(session.RECNO, session.TXNO);
      if (pass.ok()) pass = read(link, type);
    }
    const bool last = pass.abandoned();
    WRITEAT(1, 25, BLANKS(19));
    kdv::ui::TextBackground(session.BACK);
    draw(type, pass);
    WRITEAT(5, 23, BLANKS(27));
    kdv::ui::GotoXY(80, 25);
    if ((!pass.ok() || pass.old_values) && !last) {
      kdv::ui::GotoXY(5, 23);
      WRITEALERT(session, pass.text.view());
      WRITEAT(80, 25, "\a");
      kdv::ui::Delay(5000);
    }
    if (last) return;
  }
}

// The value column and panel labels of the single-channel monitor.
void MONINPUTVALS(Session& session) {
  const TRANSMITTER_DATA& tx = CURRENTTX(session);
  const CHANNEL_DATA& ch = tx.CHANNEL[session.CHNO];
  session.RTD = tx.TXTYPE == 1 && ISRTD(session.RX().TRANSMITTER[session.TXNO]);
  kdv::ui::BACKGND(session, 0);

  auto& col = session.DISP[1];
  col[1] = "     " + kdv::ui::STG(session.TXNO, 2);
  col[2] = "     " + kdv::ui::STG(session.CHNO, 2);
  col[3] = kdv::edit::UNITSSTR(session.RX().UNITS);
  col[4] = kdv::edit::IPTYPESTRING(tx.TXTYPE, ch.INPUT_TYPE);
  if (tx.TXTYPE == 1 && session.RTD && session.CHNO == 16) {
    col[4] = session.MESSAGE[ch.INPUT_TYPE == 15 ? kMessageCjSensorUnknown : kMessageCjSensor].view();
    for (int row = 5; row <= 10; ++row) col[row] = session.MESSAGE[kMessageNotApplicable].view();
  } else {
    // A drive outside 0..2 (a damaged file) has no name: not applicable.
    const bool drive_applies = tx.TXTYPE == 1 && ch.INPUT_TYPE != 15 && ch.THC_DRIVE <= 2;
    col[5] = session.MESSAGE[drive_applies ? kMessageDriveUpscale + ch.THC_DRIVE : kMessageNotApplicable].view();
    col[6] = kdv::ui::FSTR(session, ch.HIGH_ALARM, 3);
    col[7] = kdv::ui::FSTR(session, ch.LOW_ALARM, 3);
    col[8] = kdv::ui::FSTR(session, ch.SCALE_IPZERO, 3);
    col[9] = kdv::ui::FSTR(session, ch.SCALE_OPZERO, 3);
    col[10] = kdv::ui::FSTR(session, ch.SCALE_GAIN, 3);
  }
  col[11] = "";

  WRITEAT(47, 8, "Channel " + kdv::ui::STG(session.CHNO, 2) + "  ");
  WRITEAT(47, 10, session.MESSAGE[kMessageAlarm].view());
  WRITEAT(47, 12, session.MESSAGE[kMessageCjTemp].view());
  WRITEAT(47, 14, session.MESSAGE[kMessageHighway].str() + " 1    ");
  WRITEAT(47, 16, session.MESSAGE[kMessageHighway].str() + " 2    ");
  WRITEAT(47, 18, "QDU 57    ");
}

// The live panel of the single-channel monitor.
void MONIPPANEL(kdv::model::Session& session, int type, const kdv::link::Outcome& pass) {
  const RECIEVER_DATA& rx = session.RX();
  const TRANSMITTER_DATA& tx = CURRENTTX(session);
  const CHANNEL_DATA& ch = tx.CHANNEL[session.CHNO];
  if (pass.ok()) {
    WRITEAT(61, 8, ch.VALUE.str() + " ");
    kdv::ui::GotoXY(65, 10);
    WRITEALARM(session, ch.ALARM, " ");
    WRITEAT(61, 12, type == 1 ? tx.CJTEMP.str() + " " + tx.CJUNIT.str() : "      N/A");
    kdv::ui::GotoXY(65, 14);
    WRITEHIGHWAY(session, rx.HW1, "    ", " ");
    kdv::ui::GotoXY(65, 16);
    WRITEHIGHWAY(session, rx.HW2, "    ", " ");
    WRITEAT(60, 18, HHTTEXT(session, pass));
  }
}

// All channels of the current transmitter in two columns, and the status
// rows below them.
void MONALLLIST(kdv::model::Session& session, int type, const kdv::link::Outcome& pass) {
  if (!pass.ok()) return;
  const RECIEVER_DATA& rx = session.RX();
  const TRANSMITTER_DATA& tx = CURRENTTX(session);
  const int count = (3 - type) * 8;
  const int half = count / 2;
  for (int i = 1; i <= count; ++i) {
    const int x = i <= half ? 8 : 47;
    const int row = i <= half ? i + 7 : i + 7 - half;
    WRITEAT(x, row, "Channel " + kdv::ui::STG(i, 2) + "  ");
    WRITEAT(x + 12, row, tx.CHANNEL[i].VALUE.view());
    WRITEALARM(session, tx.CHANNEL[i].ALARM, "  ");
  }
  const int status = half + 8;
  WRITEAT(8, status, session.MESSAGE[kMessageCjTemp].view());
  WRITEAT(20, status, type == 1 ? tx.CJTEMP.str() + tx.CJUNIT.str() : "      N/A   ");
  WRITEAT(47, status, session.MESSAGE[kMessageEldInput].view());
  WRITEAT(59, status, session.MESSAGE[rx.ELD ? kMessageEldActive : kMessageEldInactive].str() + " ");
  WRITEAT(8, status + 1, session.MESSAGE[kMessageHighway].str() + " 1");
  WRITEAT(47, status + 1, session.MESSAGE[kMessageHighway].str() + " 2");
  kdv::ui::GotoXY(23, status + 1);
  WRITEHIGHWAY(session, rx.HW1, "   ", "");
  kdv::ui::GotoXY(62, status + 1);
  WRITEHIGHWAY(session, rx.HW2, "    ", "");
  WRITEAT(8, status + 2, "QDU 57     ");
  WRITEAT(18, status + 2, HHTTEXT(session, pass));
}

// Cells of the monitor input menu: 0x10 x column + row.
constexpr int kInputCellTransmitter = 0x11, kInputCellChannel = 0x12, kInputCellTempUnits = 0x13,
              kInputCellInputType = 0x14, kInputCellDrive = 0x15, kInputCellHighAlarm = 0x16,
              kInputCellLowAlarm = 0x17, kInputCellInputZero = 0x18, kInputCellOutputZero = 0x19,
              kInputCellGain = 0x1A, kInputCellLiveMonitor = 0x1B;
// Cells of the monitor all menu.
constexpr int kAllCellTransmitter = 0x12, kAllCellStart = 0x14;

}  // namespace

void MONIP(kdv::model::Session& session) {
  LIVELOOP(
      session,
      [&session](kdv::link::Link& link, int& type) {
        return link.READ_INPUT(session.RECNO, session.TXNO, session.CHNO, type);
      },
      [&session](int type, const kdv::link::Outcome& pass) { MONIPPANEL(session, type, pass); });
}

void MONALL(kdv::model::Session& session) {
  LIVELOOP(
      session, [&session](kdv::link::Link& link, int& type) { return link.READ_VALS(session.RECNO, session.TXNO, type); },
      [&session](int type, const kdv::link::Outcome& pass) { MONALLLIST(session, type, pass); });
  kdv::ui::BACKGND(session, 1);
}

void MONINPUT(Session& session) {
  const kdv::ui::MENU_CURSOR cursor(session, 1, 1);
  for (;;) {
    MONINPUTVALS(session);
    const int code = kdv::ui::SEL(session, 4);
    if (code == kdv::ui::kMenuEscape) break;
    switch (code) {
      case kInputCellTransmitter: kdv::edit::TRANNO(session); break;
      case kInputCellChannel: kdv::edit::CHANO(session); break;
      case kInputCellTempUnits: kdv::edit::TEMPUNITS(session); break;
      case kInputCellInputType: kdv::edit::INPUTYPE(session); break;
      case kInputCellDrive: kdv::edit::OCDRIVE(session); break;
      case kInputCellHighAlarm: kdv::edit::HALARM(session); break;
      case kInputCellLowAlarm: kdv::edit::LALARM(session); break;
      case kInputCellInputZero: kdv::edit::IPZERO(session); break;
      case kInputCellOutputZero: kdv::edit::OPZERO(session); break;
      case kInputCellGain: kdv::edit::GAIN(session); break;
      case kInputCellLiveMonitor: MONIP(session); break;
      default: break;
    }
  }
}

void TEXTDEMO(kdv::model::Session& session) {
  kdv::ui::BACKGND(session, 1);
  const kdv::ui::MENU_CURSOR cursor(session, 1, 4);
  for (bool done = false; !done;) {
    session.DISP[1][1] = kdv::ui::STG(session.RECNO, 5);
    session.DISP[1][2] = kdv::ui::STG(session.TXNO, 5);
    session.DISP[1][3] = "   578  ";
    session.DISP[1][4] = "";
    switch (kdv::ui::SEL(session, 3)) {
      case kAllCellTransmitter:
        kdv::edit::TRANNO(session);
        kdv::ui::BACKGND(session, 1);
        break;
      case kAllCellStart: MONALL(session); break;
      case kdv::ui::kMenuEscape: done = true; break;
      default: break;
    }
  }
}

}  // namespace kdv::monitor
