#include "edit/rxconf.h"

#include <algorithm>
#include <cmath>

#include "edit/confval.h"
#include "edit/diag.h"
#include "link/comms.h"
#include "model/editor_rules.h"
#include "transfer/download.h"
#include "transfer/upload.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace rxconf {

using namespace globals;

namespace {

// A list editor over one byte field whose list position is code + shift.
// Offers the list, stores the choice and sends it with `command`; the field
// gets its old value back when the send fails.
void EDITCODE(byte& field, const std::vector<std::string>& items, int y, int shift,
              const std::function<comms::Outcome()>& command, int title_spaces = 3) {
  const byte old = field;
  const std::optional<int> p = CHOOSE(CELLTITLE(title_spaces), items, y, field + shift);
  if (!p) return;
  field = static_cast<byte>(*p - shift);
  if (!SENDCHANGE(command)) field = old;
}

comms::Outcome SEND_COMMS() { return comms::Link().SET_COMMS(RECNO); }

// The serial settings follow the receiver's switches unless its comms mode
// is software-defined.
bool SERIAL_EDITABLE(int r) {
  if (RECEIVER[r]->COMM_MODE) return true;
  wind::READONLY();
  return false;
}

}  // namespace

void MENULOOP(byte screen, byte x, byte y, const std::function<void()>& values,
              const std::function<void(byte)>& act) {
  const wind::MENU_CURSOR cursor(x, y);
  byte option;
  do {
    values();
    scrn::BACKGND(0);
    option = wind::SEL(screen);
    act(option);
  } while (option != 0xFF);
}

void CLEARWORKING() {
  crt::GotoXY(1, 25);
  crt::Write(std::string(12, ' '));
}

std::string CELLTITLE(int spaces) {
  return std::string(static_cast<std::size_t>(spaces), ' ') +
         wind::SCREEN[wind::SCNO].CELL[wind::XCUR][wind::YCUR].TITLE.str();
}

bool SENDCHANGE(const std::function<comms::Outcome()>& command) {
  if (!ONLINE) return true;
  wind::WRTWORKING();
  const comms::Outcome outcome = command();
  CLEARWORKING();
  if (outcome.ok()) return true;
  wind::WRTERROR(outcome.text);
  return false;
}

std::optional<int> CHOOSE(const std::string& title, const std::vector<std::string>& items, int y,
                          int current) {
  const int n = static_cast<int>(items.size());
  wind::DRAWWINDOW(30, static_cast<byte>(y), title, items);
  // A stored code no item stands for highlights the first item.
  const int first = current >= 1 && current <= n ? current : 1;
  return wind::SELECTION(items, static_cast<byte>(first));
}

void CONFIGURE_RX(Session& session) {
  MENULOOP(1, 1, 1, [&session] { confval::RXCONFIGVAL(session); }, [&](byte option) {
    switch (option) {
      case 0x11: DFAULT(); break;
      case 0x12: TAG(); break;
      case 0x13: DATAFMT(); break;
      case 0x14: DFSCALE(RECNO, RX().TRANSMITTER[TXNO].TXTYPE); break;
      case 0x15: NOFTX(); break;
      case 0x16: TEMPUNITS(); break;
      case 0x17:
        if (RX().TRANSMITTER[TXNO].TXTYPE == 1) HERTZ();
        break;
      case 0x18: CHECKSUM_MODE(); break;
      case 0x19: CHECKSUM_BASE(RECNO); break;
      case 0x21:
      case 0x24:
      case 0x29: wind::READONLY(); break;
      case 0x22: ADDRESS(RECNO, 1); break;
      case 0x23: ADDRESS(RECNO, 2); break;
      case 0x25: BAUDRATE(RECNO); break;
      case 0x26: SBITS(RECNO); break;
      case 0x27: DATABITS(RECNO); break;
      case 0x28: PARITY(RECNO); break;
      case 0x2A: diag::DIAGNOSTIC(RECNO); break;
      default: break;
    }
  });
}

void BAUDRATE(int r) {
  if (!SERIAL_EDITABLE(r)) return;
  EDITCODE(RECEIVER[r]->MOD_BAUD,
           {"        300         ", "        600         ", "       1200         ",
            "       2400         ", "       4800         ", "       9600         ",
            "      19200         "},
           10, 0, SEND_COMMS, 2);
}

void SBITS(int r) {
  if (!SERIAL_EDITABLE(r)) return;
  EDITCODE(RECEIVER[r]->MOD_STOP, {"         1          ", "         2          "}, 15, 0, SEND_COMMS);
}

void DATABITS(int r) {
  if (!SERIAL_EDITABLE(r)) return;
  EDITCODE(RECEIVER[r]->MOD_DBITS, {"         7          ", "         8          "}, 15, 1, SEND_COMMS);
}

void PARITY(int r) {
  if (!SERIAL_EDITABLE(r)) return;
  EDITCODE(RECEIVER[r]->MOD_PARITY,
           {"   " + MESSAGE[31] + "       ", "   " + MESSAGE[32] + "        ",
            "   " + MESSAGE[33] + "       "},
           15, 1, SEND_COMMS);
}

void NOFTX() {
  RECIEVER_DATA& R = RX();
  const byte old = R.NO_OF_TX;
  const std::optional<int> p = CHOOSE(CELLTITLE(),
                                      {"         1         ", "         2         ",
                                       "         3         ", "         4         "},
                                      15, R.NO_OF_TX);
  if (p) R.NO_OF_TX = static_cast<byte>(*p);
  // Also after Escape: a current transmitter beyond the count (possible
  // after an offline reset) goes back to 1.
  if (R.NO_OF_TX < TXNO) TXNO = 1;
  if (!p) return;
  if (!SENDCHANGE([] { return comms::Link().SET_NO_TX(RECNO); })) R.NO_OF_TX = old;
}

void TEMPUNITS() {
  const std::string deg(1, DEGREE);
  EDITCODE(RX().UNITS,
           {"        " + deg + "C        ", "        " + deg + "F        ", "         K         "},
           15, 0, [] { return comms::Link().SET_TEMP(RECNO); });
}

void HERTZ() {
  EDITCODE(RX().LINE_REJ, {"       50Hz           ", "       60Hz           "}, 15, 1,
           [] { return comms::Link().SET_LINEREJ(RECNO); });
}

void CHECKSUM_MODE() {
  EDITCODE(RX().CHECK_MODE, {"        AUTO        ", "       MANUAL       "}, 15, 1,
           [] { return comms::Link().SET_CSUMMODE(RECNO); });
}

void CHECKSUM_BASE(int r) {
  RECIEVER_DATA& R = *RECEIVER[r];
  const std::optional<int> p = CHOOSE("    Display As...   ",
                                      {"      Decimal       ", "        Hex         "}, 15,
                                      R.CKSUM_BASE + 1);
  if (p) R.CKSUM_BASE = static_cast<byte>(*p - 1);
}

void ADDRESS(int r, int link) {
  RECIEVER_DATA& R = *RECEIVER[r];
  if (!R.ADD_MODE) {
    wind::READONLY();
    return;
  }
  byte& field = link == 1 ? R.MOD_ADDRESSA : R.MOD_ADDRESSB;
  const byte old = field;
  const std::optional<double> entry = wind::GETNUM(link == 1 ? " Address Link A" : " Address Link B", old, 1);
  if (!entry) return;
  field = static_cast<byte>(std::trunc(*entry));
  if (!SENDCHANGE([r] { return comms::Link().SET_ADDRESS(r); })) field = old;
}

void TAG() {
  RECIEVER_DATA& R = RX();
  wind::DRAWWINDOW(30, 15, CELLTITLE(), {"", ""});
  const Text<25> old = R.TAG_FIELD;
  const std::optional<std::string> entered = wind::GETNAME(R.TAG_FIELD);
  // The receiver's tag is always 25 characters, padded with spaces; after
  // Escape the old tag is padded all the same.
  R.TAG_FIELD = entered.value_or(old.str()) + std::string(29, ' ');
  if (!entered) return;
  if (!SENDCHANGE([] { return comms::Link().SET_TAG(RECNO); })) R.TAG_FIELD = old;
}

void DATAFMT() {
  RECIEVER_DATA& R = RX();
  std::vector<std::string> items;
  for (int i = 1; i <= 16; ++i) items.push_back("  " + DFORMATSTG[i]);
  const byte before = R.DATA_FORMAT;
  // A code that names no format stands at the first position, so that even
  // Escape leaves a valid format behind (that of the first position).
  const int old = std::max(DFORMAT_POSITION(before), 1);
  const std::optional<int> chosen = CHOOSE(CELLTITLE(), items, 5, old);
  R.DATA_FORMAT = DFORMAT_CODE(chosen.value_or(old));
  if (!ONLINE || !chosen) return;
  wind::WRTWORKING();
  const comms::Outcome outcome = comms::Link().SET_DATAFMT(RECNO);
  CLEARWORKING();
  if (!outcome.ok()) {
    wind::WRTERROR(outcome.text);
    R.DATA_FORMAT = before;
  } else if (UNIPOLAR(R.DATA_FORMAT)) {
    SETUNIPOLAR(RECNO);
  }
  // The receiver rescales every channel for a new format: send them all.
  download::DOWNLOAD();
}

void DFSCALE(int r, byte type) {
  if (CHOOSE(" Reset Scalings?  ", {"        NO        ", "        YES       "}, 15, 1) != 2) return;
  if (!ONLINE) {
    INIT_SCALES(r, type);
    return;
  }
  wind::WRTWORKING();
  const comms::Outcome reset = comms::Link().SEND_RESET(r, type + 8);
  CLEARWORKING();
  if (!reset.ok())
    wind::WRTERROR(reset.text);
  else
    comms::Link().SEND_CONFIRM(RECNO);
  upload::UPLOAD();
}

void DFAULT() {
  RECNO = 0;
  const std::optional<int> type = CHOOSE("     Tx Type      ", {"       571        ", "       572        "}, 15, 1);
  if (!type) return;
  wind::WRTWORKING();
  const comms::Outcome outcome = RESET_RX(RECNO, static_cast<byte>(*type));
  crt::Window(1, 1, 80, 25);
  CLEARWORKING();
  if (!outcome.ok()) wind::WRTERROR(outcome.text);
}

comms::Outcome RESET_RX(int r, byte type) {
  if (ONLINE) {
    comms::Outcome outcome = comms::Link().SEND_RESET(r, type);
    if (!outcome.ok()) return outcome;
    INITRX(r, type);
    outcome = upload::UPLOAD();
    CHNO = 1;
    TXNO = 1;
    // No confirm after a failed upload: its failure is the outcome.
    if (outcome.ok()) outcome = comms::Link().SEND_CONFIRM(r);
    return outcome;
  }
  wind::MSGBOX(25, 15, 30, 6, 8, "OFFLINE RESET",
               {"Database Reset", "Download required if", "receiver is to be reset"});
  INITRX(r, type);
  return {};
}

}  // namespace rxconf
