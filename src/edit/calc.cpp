#include "edit/calc.h"

#include "edit/chconf.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "ui/wind.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

CHANNEL_DATA& channel(kdv::model::Session& session) {
  return session.RX().TRANSMITTER[session.TXNO].CHANNEL[session.CHNO];
}

double offset(kdv::model::Session& session) {
  return GETOFFSET(session.RX().DATA_FORMAT, channel(session).INPUT_TYPE);
}

// An input value with the unit of the current channel's input.
std::string INPUTSTR(kdv::model::Session& session, double x) {
  return kdv::ui::FSTR(session, x, static_cast<byte>(session.RX().TRANSMITTER[session.TXNO].TXTYPE - 1));
}

// An output value: the IEEE formats carry decimals, the integer formats none.
std::string OUTPUTSTR(kdv::model::Session& session, double x) {
  return kdv::ui::FIXSTR(x, 10, session.RX().DATA_FORMAT <= 1 ? 4 : 0);
}

// The gain that maps the working values' signal span onto their output
// span above output zero opzero; the stored gain when the span is empty.
double GAINOF(kdv::model::Session& session, const WORKING& w, double opzero) {
  if (w.SIGFSD == w.SIGZERO) return channel(session).SCALE_GAIN;
  return (w.OPFSD - opzero) / (w.SIGFSD - w.SIGZERO);
}

// A working value entered under the title of the highlighted cell; an entry
// that gives a gain the link cannot carry is refused.
void ENTER(kdv::model::Session& session, WORKING& w, double WORKING::*value) {
  const auto carried = [&session, &w, value](double e) {
    WORKING t = w;
    t.*value = e;
    return kdv::link::CARRIES(GAINOF(session, t, channel(session).SCALE_OPZERO));
  };
  const std::optional<double> entry = kdv::ui::GETNUM(session, kdv::edit::CELLTITLE(session), w.*value, 0, carried);
  if (entry) w.*value = *entry;
}

// Switches to another transmitter or channel through `choose`. The scaling
// of the channel shown until now goes to the receiver online, unless the
// list was left with Escape after it had moved the selection itself; the
// working values start again from the channel now selected.
void SWITCH(kdv::model::Session& session, WORKING& w, bool (*choose)(kdv::model::Session&)) {
  const byte t = session.TXNO, c = session.CHNO;
  const bool chosen = choose(session);
  w = SETSTART(session);
  if (!session.ONLINE || (!chosen && (t != session.TXNO || c != session.CHNO))) return;
  kdv::ui::WRTWORKING(session);
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_SCALES(session.RECNO, t, c);
  if (!outcome.ok()) kdv::ui::WRTERROR(session, outcome.text);
}

// Cells of the scaling calculator menu: 0x10 x column + row.
constexpr byte kCellSignalZero = 0x12, kCellSignalFsd = 0x13, kCellOutputZero = 0x14, kCellOutputFsd = 0x15,
               kCellExampleInput = 0x17;
constexpr byte kCellTransmitter = 0x22, kCellChannel = 0x23, kCellStoredInputZero = 0x24,
               kCellStoredOutputZero = 0x25, kCellStoredGain = 0x26, kCellStoredOffset = 0x27;

}  // namespace

double GETOFFSET(byte data_format, byte input_type) {
  if (!UNIPOLAR(data_format)) return 0.0;
  if (input_type == 0) return 100.0;
  if (input_type == 13 || input_type == 15) return 0.0;
  return 500.0;
}

double CALCOUT(kdv::model::Session& session, double input) {
  const CHANNEL_DATA& ch = channel(session);
  return (offset(session) + input - ch.SCALE_IPZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
}

void CALCGAIN(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd) {
  CHANNEL_DATA& ch = channel(session);
  ch.SCALE_GAIN = GAINOF(session, {.SIGZERO = sigzero, .SIGFSD = sigfsd, .OPFSD = opfsd}, ch.SCALE_OPZERO);
}

WORKING SETSTART(kdv::model::Session& session) {
  const CHANNEL_DATA& ch = channel(session);
  WORKING w;
  w.SIGFSD = 100.0;
  w.SIGZERO = ch.SCALE_IPZERO - offset(session);
  w.OPFSD = (w.SIGFSD - w.SIGZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
  w.EXIN = 1.0;
  return w;
}

void CALCVALS(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd, double exin,
              double exout) {
  const CHANNEL_DATA& ch = channel(session);
  auto& D = session.DISP;
  D[1][1] = " ";
  D[1][2] = INPUTSTR(session, sigzero);
  D[1][3] = INPUTSTR(session, sigfsd);
  D[1][4] = OUTPUTSTR(session, ch.SCALE_OPZERO);
  D[1][5] = OUTPUTSTR(session, opfsd);
  D[1][6] = " ";
  D[1][7] = kdv::ui::FIXSTR(exin, 10, 4);
  D[1][8] = OUTPUTSTR(session, exout);
  D[2][1] = "";
  D[2][2] = "      " + kdv::ui::STG(session.TXNO, 1);
  D[2][3] = "     " + kdv::ui::STG(session.CHNO, 2);
  D[2][4] = INPUTSTR(session, ch.SCALE_IPZERO);
  D[2][5] = kdv::ui::FIXSTR(ch.SCALE_OPZERO, 10, 4);
  D[2][6] = kdv::ui::FIXSTR(ch.SCALE_GAIN, 10, 4);
  D[2][7] = INPUTSTR(session, offset(session));
}

void INZERO(kdv::model::Session& session, WORKING& w) {
  ENTER(session, w, &WORKING::SIGZERO);
  channel(session).SCALE_IPZERO = offset(session) + w.SIGZERO;
}

void INFSD(kdv::model::Session& session, WORKING& w) { ENTER(session, w, &WORKING::SIGFSD); }

void OUTFSD(kdv::model::Session& session, WORKING& w) {
  const double old = w.OPFSD;
  ENTER(session, w, &WORKING::OPFSD);
  if (UNIPOLAR(session.RX().DATA_FORMAT) && w.OPFSD < 0) {
    w.OPFSD = old;
    kdv::ui::SAYNONEGATIVES(session);
  }
}

void EXINPUT(kdv::model::Session& session, double& exin) {
  if (const std::optional<double> entry = kdv::ui::GETNUM(session, kdv::edit::CELLTITLE(session), exin, 0)) exin = *entry;
}

void CALCSCALES(Session& session) {
  WORKING w = SETSTART(session);
  kdv::edit::MENULOOP(session, 10, 1, 2, [&session, &w] {
    CALCGAIN(session, w.SIGZERO, w.SIGFSD, w.OPFSD);
    w.EXOUT = CALCOUT(session, w.EXIN);
    CALCVALS(session, w.SIGZERO, w.SIGFSD, w.OPFSD, w.EXIN, w.EXOUT);
  }, [&](byte option) {
    switch (option) {
      case kCellSignalZero: INZERO(session, w); break;
      case kCellSignalFsd: INFSD(session, w); break;
      case kCellOutputZero:
        kdv::edit::OPZERO(session,
                       [&session, &w](double opzero) { return kdv::link::CARRIES(GAINOF(session, w, opzero)); });
        break;
      case kCellOutputFsd: OUTFSD(session, w); break;
      case kCellExampleInput: EXINPUT(session, w.EXIN); break;
      case kCellTransmitter: SWITCH(session, w, kdv::edit::TRANNO); break;
      case kCellChannel: SWITCH(session, w, kdv::edit::CHANO); break;
      case kCellStoredInputZero:
      case kCellStoredOutputZero:
      case kCellStoredGain:
      case kCellStoredOffset: kdv::ui::READONLY2(session); break;
      default: break;
    }
  });
  kdv::ui::WRTWORKING(session);
  if (!session.ONLINE) return;
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_SCALES(session.RECNO, session.TXNO, session.CHNO);
  if (!outcome.ok()) kdv::ui::WRTERROR(session, outcome.text);
}

}  // namespace kdv::edit
