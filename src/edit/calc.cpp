#include "edit/calc.h"

#include "edit/chconf.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "ui/wind.h"

namespace calc {

using namespace globals;

namespace {

CHANNEL_DATA& channel() { return RX().TRANSMITTER[TXNO].CHANNEL[CHNO]; }

double offset() { return GETOFFSET(RX().DATA_FORMAT, channel().INPUT_TYPE); }

// An input value with the unit of the current channel's input.
std::string INPUTSTR(double x) { return wind::FSTR(x, static_cast<byte>(RX().TRANSMITTER[TXNO].TXTYPE - 1)); }

// An output value: the IEEE formats carry decimals, the integer formats none.
std::string OUTPUTSTR(double x) { return wind::FIXSTR(x, 10, RX().DATA_FORMAT <= 1 ? 4 : 0); }

// The gain that maps the working values' signal span onto their output
// span above output zero opzero; the stored gain when the span is empty.
double GAINOF(const WORKING& w, double opzero) {
  if (w.SIGFSD == w.SIGZERO) return channel().SCALE_GAIN;
  return (w.OPFSD - opzero) / (w.SIGFSD - w.SIGZERO);
}

// A working value entered under the title of the highlighted cell; an entry
// that gives a gain the link cannot carry is refused.
void ENTER(WORKING& w, double WORKING::*value) {
  const std::optional<double> entry = wind::GETNUM(rxconf::CELLTITLE(), w.*value, 0, [&w, value](double e) {
    WORKING t = w;
    t.*value = e;
    return comms::CARRIES(GAINOF(t, channel().SCALE_OPZERO));
  });
  if (entry) w.*value = *entry;
}

// Switches to another transmitter or channel through `choose`. The scaling
// of the channel shown until now goes to the receiver online, unless the
// list was left with Escape after it had moved the selection itself; the
// working values start again from the channel now selected.
void SWITCH(WORKING& w, bool (*choose)()) {
  const byte t = TXNO, c = CHNO;
  const bool chosen = choose();
  w = SETSTART();
  if (!ONLINE || (!chosen && (t != TXNO || c != CHNO))) return;
  wind::WRTWORKING();
  const comms::Outcome outcome = comms::Link().SET_SCALES(RECNO, t, c);
  if (!outcome.ok()) wind::WRTERROR(outcome.text);
}

}  // namespace

double GETOFFSET(byte data_format, byte input_type) {
  if (!UNIPOLAR(data_format)) return 0.0;
  if (input_type == 0) return 100.0;
  if (input_type == 13 || input_type == 15) return 0.0;
  return 500.0;
}

double CALCOUT(double input) {
  const CHANNEL_DATA& ch = channel();
  return (offset() + input - ch.SCALE_IPZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
}

void CALCGAIN(double sigzero, double sigfsd, double opfsd) {
  CHANNEL_DATA& ch = channel();
  ch.SCALE_GAIN = GAINOF({.SIGZERO = sigzero, .SIGFSD = sigfsd, .OPFSD = opfsd}, ch.SCALE_OPZERO);
}

WORKING SETSTART() {
  const CHANNEL_DATA& ch = channel();
  WORKING w;
  w.SIGFSD = 100.0;
  w.SIGZERO = ch.SCALE_IPZERO - offset();
  w.OPFSD = (w.SIGFSD - w.SIGZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
  w.EXIN = 1.0;
  return w;
}

void CALCVALS(double sigzero, double sigfsd, double opfsd, double exin, double exout) {
  const CHANNEL_DATA& ch = channel();
  auto& D = wind::DISP;
  D[1][1] = " ";
  D[1][2] = INPUTSTR(sigzero);
  D[1][3] = INPUTSTR(sigfsd);
  D[1][4] = OUTPUTSTR(ch.SCALE_OPZERO);
  D[1][5] = OUTPUTSTR(opfsd);
  D[1][6] = " ";
  D[1][7] = wind::FIXSTR(exin, 10, 4);
  D[1][8] = OUTPUTSTR(exout);
  D[2][1] = "";
  D[2][2] = "      " + wind::STG(TXNO, 1);
  D[2][3] = "     " + wind::STG(CHNO, 2);
  D[2][4] = INPUTSTR(ch.SCALE_IPZERO);
  D[2][5] = wind::FIXSTR(ch.SCALE_OPZERO, 10, 4);
  D[2][6] = wind::FIXSTR(ch.SCALE_GAIN, 10, 4);
  D[2][7] = INPUTSTR(offset());
}

void INZERO(WORKING& w) {
  ENTER(w, &WORKING::SIGZERO);
  channel().SCALE_IPZERO = offset() + w.SIGZERO;
}

void INFSD(WORKING& w) { ENTER(w, &WORKING::SIGFSD); }

void OUTFSD(WORKING& w) {
  const double old = w.OPFSD;
  ENTER(w, &WORKING::OPFSD);
  if (UNIPOLAR(RX().DATA_FORMAT) && w.OPFSD < 0) {
    w.OPFSD = old;
    wind::SAYNONEGATIVES();
  }
}

void EXINPUT(double& exin) {
  if (const std::optional<double> entry = wind::GETNUM(rxconf::CELLTITLE(), exin, 0)) exin = *entry;
}

void CALCSCALES(const Session& session) {
  WORKING w = SETSTART();
  rxconf::MENULOOP(10, 1, 2, [&w] {
    CALCGAIN(w.SIGZERO, w.SIGFSD, w.OPFSD);
    w.EXOUT = CALCOUT(w.EXIN);
    CALCVALS(w.SIGZERO, w.SIGFSD, w.OPFSD, w.EXIN, w.EXOUT);
  }, [&](byte option) {
    switch (option) {
      case 0x12: INZERO(w); break;
      case 0x13: INFSD(w); break;
      case 0x14:
        chconf::OPZERO(session, [&w](double opzero) { return comms::CARRIES(GAINOF(w, opzero)); });
        break;
      case 0x15: OUTFSD(w); break;
      case 0x17: EXINPUT(w.EXIN); break;
      case 0x22: SWITCH(w, chconf::TRANNO); break;
      case 0x23: SWITCH(w, chconf::CHANO); break;
      case 0x24:
      case 0x25:
      case 0x26:
      case 0x27: wind::READONLY2(); break;
      default: break;
    }
  });
  wind::WRTWORKING();
  if (!ONLINE) return;
  const comms::Outcome outcome = comms::Link().SET_SCALES(RECNO, TXNO, CHNO);
  if (!outcome.ok()) wind::WRTERROR(outcome.text);
}

}  // namespace calc
