#include "edit/rxconf.h"

#include <algorithm>
#include <cmath>

#include "edit/confval.h"
#include "edit/diag.h"
#include "link/comms.h"
#include "model/editor_rules.h"
#include "model/messages.h"
#include "transfer/download.h"
#include "transfer/upload.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

// A list editor over one byte field whose list position is code + shift.
// Offers the list, stores the choice and sends it with `command`; the field
// gets its old value back when the send fails.
void EDITCODE(const Session& session, byte& field, const std::vector<std::string>& items, int y, int shift,
              const std::function<kdv::link::Outcome()>& command, int title_spaces = 3) {
  const byte old = field;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session, title_spaces), items, y, field + shift);
  if (!p) return;
  field = static_cast<byte>(*p - shift);
  if (!SENDCHANGE(session, command)) field = old;
}

kdv::link::Outcome SEND_COMMS(Session& session) { return kdv::link::Link(session).SET_COMMS(session.RECNO); }

// The serial settings follow the receiver's switches unless its comms mode
// is software-defined.
bool SERIAL_EDITABLE(const Session& session, int r) {
  if (session.RECEIVER[r]->COMM_MODE) return true;
  kdv::ui::READONLY(session);
  return false;
}

// Cells of the receiver setup menu: 0x10 x column + row.
constexpr byte kCellDefaults = 0x11, kCellTag = 0x12, kCellDataFormat = 0x13, kCellResetScaling = 0x14,
               kCellTransmitters = 0x15, kCellTempUnits = 0x16, kCellLineFrequency = 0x17,
               kCellChecksumMode = 0x18, kCellChecksum = 0x19;
constexpr byte kCellAddressMode = 0x21, kCellAddressLinkA = 0x22, kCellAddressLinkB = 0x23, kCellCommsMode = 0x24,
               kCellBaudRate = 0x25, kCellStopBits = 0x26, kCellDataBits = 0x27, kCellParity = 0x28,
               kCellModbusMode = 0x29, kCellDiagnostics = 0x2A;

}  // namespace

void MENULOOP(kdv::model::Session& session, byte screen, byte x, byte y, const std::function<void()>& values,
              const std::function<void(byte)>& act) {
  const kdv::ui::MENU_CURSOR cursor(session, x, y);
  byte option;
  do {
    values();
    kdv::ui::BACKGND(session, 0);
    option = kdv::ui::SEL(session, screen);
    act(option);
  } while (option != kdv::ui::kMenuEscape);
}

void CLEARWORKING() {
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(std::string(12, ' '));
}

std::string CELLTITLE(const kdv::model::Session& session, int spaces) {
  return std::string(static_cast<std::size_t>(spaces), ' ') +
         session.SCREEN[session.SCNO].CELL[session.XCUR][session.YCUR].TITLE.str();
}

bool SENDCHANGE(const Session& session, const std::function<kdv::link::Outcome()>& command) {
  if (!session.ONLINE) return true;
  kdv::ui::WRTWORKING(session);
  const kdv::link::Outcome outcome = command();
  CLEARWORKING();
  if (outcome.ok()) return true;
  kdv::ui::WRTERROR(session, outcome.text);
  return false;
}

std::optional<int> CHOOSE(const kdv::model::Session& session, const std::string& title, const std::vector<std::string>& items, int y,
                          int current) {
  const int n = static_cast<int>(items.size());
  kdv::ui::DRAWWINDOW(session, 30, static_cast<byte>(y), title, items);
  // A stored code no item stands for highlights the first item.
  const int first = current >= 1 && current <= n ? current : 1;
  return kdv::ui::SELECTION(session, items, static_cast<byte>(first));
}

void CONFIGURE_RX(Session& session) {
  MENULOOP(session, 1, 1, 1, [&session] { kdv::edit::RXCONFIGVAL(session); }, [&](byte option) {
    switch (option) {
      case kCellDefaults: DFAULT(session); break;
      case kCellTag: TAG(session); break;
      case kCellDataFormat: DATAFMT(session); break;
      case kCellResetScaling: DFSCALE(session, session.RECNO, session.RX().TRANSMITTER[session.TXNO].TXTYPE); break;
      case kCellTransmitters: NOFTX(session); break;
      case kCellTempUnits: TEMPUNITS(session); break;
      case kCellLineFrequency:
        if (session.RX().TRANSMITTER[session.TXNO].TXTYPE == 1) HERTZ(session);
        break;
      case kCellChecksumMode: CHECKSUM_MODE(session); break;
      case kCellChecksum: CHECKSUM_BASE(session, session.RECNO); break;
      case kCellAddressMode:
      case kCellCommsMode:
      case kCellModbusMode: kdv::ui::READONLY(session); break;
      case kCellAddressLinkA: ADDRESS(session, session.RECNO, 1); break;
      case kCellAddressLinkB: ADDRESS(session, session.RECNO, 2); break;
      case kCellBaudRate: BAUDRATE(session, session.RECNO); break;
      case kCellStopBits: SBITS(session, session.RECNO); break;
      case kCellDataBits: DATABITS(session, session.RECNO); break;
      case kCellParity: PARITY(session, session.RECNO); break;
      case kCellDiagnostics: kdv::edit::DIAGNOSTIC(session, session.RECNO); break;
      default: break;
    }
  });
}

void BAUDRATE(Session& session, int r) {
  if (!SERIAL_EDITABLE(session, r)) return;
  EDITCODE(session, session.RECEIVER[r]->MOD_BAUD,
           {"        300         ", "        600         ", "       1200         ",
            "       2400         ", "       4800         ", "       9600         ",
            "      19200         "},
           10, 0, [&session] { return SEND_COMMS(session); }, 2);
}

void SBITS(Session& session, int r) {
  if (!SERIAL_EDITABLE(session, r)) return;
  EDITCODE(session, session.RECEIVER[r]->MOD_STOP, {"         1          ", "         2          "}, 15, 0,
           [&session] { return SEND_COMMS(session); });
}

void DATABITS(Session& session, int r) {
  if (!SERIAL_EDITABLE(session, r)) return;
  EDITCODE(session, session.RECEIVER[r]->MOD_DBITS, {"         7          ", "         8          "}, 15, 1,
           [&session] { return SEND_COMMS(session); });
}

void PARITY(Session& session, int r) {
  if (!SERIAL_EDITABLE(session, r)) return;
  EDITCODE(session, session.RECEIVER[r]->MOD_PARITY,
           {"   " + session.MESSAGE[kMessageParityNone] + "       ",
            "   " + session.MESSAGE[kMessageParityOdd] + "        ",
            "   " + session.MESSAGE[kMessageParityEven] + "       "},
           15, 1, [&session] { return SEND_COMMS(session); });
}

void NOFTX(Session& session) {
  RECIEVER_DATA& R = session.RX();
  const byte old = R.NO_OF_TX;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session),
                                      {"         1         ", "         2         ",
                                       "         3         ", "         4         "},
                                      15, R.NO_OF_TX);
  if (p) R.NO_OF_TX = static_cast<byte>(*p);
  // Also after Escape: a current transmitter beyond the count (possible
  // after an offline reset) goes back to 1.
  if (R.NO_OF_TX < session.TXNO) session.TXNO = 1;
  if (!p) return;
  if (!SENDCHANGE(session, [&session] { return kdv::link::Link(session).SET_NO_TX(session.RECNO); }))
    R.NO_OF_TX = old;
}

void TEMPUNITS(Session& session) {
  const std::string deg(1, DEGREE);
  EDITCODE(session, session.RX().UNITS,
           {"        " + deg + "C        ", "        " + deg + "F        ", "         K         "},
           15, 0, [&session] { return kdv::link::Link(session).SET_TEMP(session.RECNO); });
}

void HERTZ(Session& session) {
  EDITCODE(session, session.RX().LINE_REJ, {"       50Hz           ", "       60Hz           "}, 15, 1,
           [&session] { return kdv::link::Link(session).SET_LINEREJ(session.RECNO); });
}

void CHECKSUM_MODE(Session& session) {
  EDITCODE(session, session.RX().CHECK_MODE, {"        AUTO        ", "       MANUAL       "}, 15, 1,
           [&session] { return kdv::link::Link(session).SET_CSUMMODE(session.RECNO); });
}

void CHECKSUM_BASE(Session& session, int r) {
  RECIEVER_DATA& R = *session.RECEIVER[r];
  const std::optional<int> p = CHOOSE(session, "    Display As...   ",
                                      {"      Decimal       ", "        Hex         "}, 15,
                                      R.CKSUM_BASE + 1);
  if (p) R.CKSUM_BASE = static_cast<byte>(*p - 1);
}

void ADDRESS(Session& session, int r, int link) {
  RECIEVER_DATA& R = *session.RECEIVER[r];
  if (!R.ADD_MODE) {
    kdv::ui::READONLY(session);
    return;
  }
  byte& field = link == 1 ? R.MOD_ADDRESSA : R.MOD_ADDRESSB;
  const byte old = field;
  const std::optional<double> entry = kdv::ui::GETNUM(session, link == 1 ? " Address Link A" : " Address Link B", old, 1);
  if (!entry) return;
  field = static_cast<byte>(std::trunc(*entry));
  if (!SENDCHANGE(session, [&session, r] { return kdv::link::Link(session).SET_ADDRESS(r); })) field = old;
}

void TAG(Session& session) {
  RECIEVER_DATA& R = session.RX();
  kdv::ui::DRAWWINDOW(session, 30, 15, CELLTITLE(session), {"", ""});
  const Text<25> old = R.TAG_FIELD;
  const std::optional<std::string> entered = kdv::ui::GETNAME(R.TAG_FIELD);
  // The receiver's tag is always 25 characters, padded with spaces; after
  // Escape the old tag is padded all the same.
  R.TAG_FIELD = entered.value_or(old.str()) + std::string(29, ' ');
  if (!entered) return;
  if (!SENDCHANGE(session, [&session] { return kdv::link::Link(session).SET_TAG(session.RECNO); }))
    R.TAG_FIELD = old;
}

void DATAFMT(Session& session) {
  RECIEVER_DATA& R = session.RX();
  std::vector<std::string> items;
  for (int i = 1; i <= 16; ++i) items.push_back("  " + DFORMATSTG[i]);
  const byte before = R.DATA_FORMAT;
  // A code that names no format stands at the first position, so that even
  // Escape leaves a valid format behind (that of the first position).
  const int old = std::max(DFORMAT_POSITION(before), 1);
  const std::optional<int> chosen = CHOOSE(session, CELLTITLE(session), items, 5, old);
  R.DATA_FORMAT = DFORMAT_CODE(chosen.value_or(old));
  if (!session.ONLINE || !chosen) return;
  kdv::ui::WRTWORKING(session);
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_DATAFMT(session.RECNO);
  CLEARWORKING();
  if (!outcome.ok()) {
    kdv::ui::WRTERROR(session, outcome.text);
    R.DATA_FORMAT = before;
  } else if (UNIPOLAR(R.DATA_FORMAT)) {
    SETUNIPOLAR(R);
  }
  // The receiver rescales every channel for a new format: send them all.
  kdv::transfer::DOWNLOAD(session);
}

void DFSCALE(Session& session, int r, byte type) {
  if (CHOOSE(session, " Reset Scalings?  ", {"        NO        ", "        YES       "}, 15, 1) != 2) return;
  if (!session.ONLINE) {
    INIT_SCALES(*session.RECEIVER[r], type);
    return;
  }
  kdv::ui::WRTWORKING(session);
  const kdv::link::Outcome reset = kdv::link::Link(session).SEND_RESET(r, type + 8);
  CLEARWORKING();
  if (!reset.ok())
    kdv::ui::WRTERROR(session, reset.text);
  else
    kdv::link::Link(session).SEND_CONFIRM(session.RECNO);
  kdv::transfer::UPLOAD(session);
}

void DFAULT(Session& session) {
  session.RECNO = 0;
  const std::optional<int> type = CHOOSE(session, "     Tx Type      ", {"       571        ", "       572        "}, 15, 1);
  if (!type) return;
  kdv::ui::WRTWORKING(session);
  const kdv::link::Outcome outcome = RESET_RX(session, session.RECNO, static_cast<byte>(*type));
  kdv::ui::Window(1, 1, 80, 25);
  CLEARWORKING();
  if (!outcome.ok()) kdv::ui::WRTERROR(session, outcome.text);
}

kdv::link::Outcome RESET_RX(Session& session, int r, byte type) {
  if (session.ONLINE) {
    kdv::link::Outcome outcome = kdv::link::Link(session).SEND_RESET(r, type);
    if (!outcome.ok()) return outcome;
    INITRX(*session.RECEIVER[r], type);
    outcome = kdv::transfer::UPLOAD(session);
    session.CHNO = 1;
    session.TXNO = 1;
    // No confirm after a failed upload: its failure is the outcome.
    if (outcome.ok()) outcome = kdv::link::Link(session).SEND_CONFIRM(r);
    return outcome;
  }
  kdv::ui::MSGBOX(session, 25, 15, 30, 6, 8, "OFFLINE RESET",
               {"Database Reset", "Download required if", "receiver is to be reset"});
  INITRX(*session.RECEIVER[r], type);
  return {};
}

}  // namespace kdv::edit
