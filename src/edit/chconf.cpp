#include "edit/chconf.h"

#include <algorithm>

#include "edit/calc.h"
#include "edit/confval.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "model/editor_rules.h"
#include "model/messages.h"
#include "transfer/upload.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::edit {

using namespace kdv::model;
using kdv::edit::CELLTITLE;
using kdv::edit::CHOOSE;
using kdv::edit::SENDCHANGE;

namespace {

TRANSMITTER_DATA& tx(kdv::model::Session& session) { return session.RX().TRANSMITTER[session.TXNO]; }
CHANNEL_DATA& ch(kdv::model::Session& session) { return tx(session).CHANNEL[session.CHNO]; }

// Channel 16 serves as the cold-junction sensor (as the last display found).
bool RESERVED(const Session& session) { return session.RTD && session.CHNO == 16; }

// The answer to a setting that does not apply to this channel.
void NOTAPPLICABLE(kdv::model::Session& session) {
  kdv::ui::Window(1, 1, 80, 25);
  kdv::ui::GotoXY(5, 23);
  kdv::ui::TextBackground(session.ERRBAR);
  kdv::ui::Write(session.MESSAGE[kMessageNotApplicable].view());
  kdv::ui::Write('\a');
  kdv::ui::Delay(2000);
}

kdv::link::Outcome SEND_INPTYPE(Session& s) { return kdv::link::Link(s).SET_INPTYPE(s.RECNO, s.TXNO, s.CHNO); }
kdv::link::Outcome SEND_ALARMS(Session& s) { return kdv::link::Link(s).SET_ALARMS(s.RECNO, s.TXNO, s.CHNO); }
kdv::link::Outcome SEND_SCALES(Session& s) { return kdv::link::Link(s).SET_SCALES(s.RECNO, s.TXNO, s.CHNO); }

// A real-number setting of the current channel: entry (refused where
// `acceptable` refuses it), the refusal of negatives under a unipolar data
// format where `unipolar_check`, the send.
void EDITNUMBER(Session& session, double& field, bool unipolar_check, kdv::link::Outcome (*command)(Session&),
                const std::function<bool(double)>& acceptable = {}) {
  const double old = field;
  const std::optional<double> entry = kdv::ui::GETNUM(session, CELLTITLE(session), old, 0, acceptable);
  field = entry.value_or(old);
  // Also after Escape: a negative old value under a unipolar format is
  // refused again.
  if (unipolar_check && UNIPOLAR(session.RX().DATA_FORMAT) && field < 0) {
    field = old;
    kdv::ui::SAYNONEGATIVES(session);
    return;
  }
  if (!entry) return;
  if (!SENDCHANGE(session, [&session, command] { return command(session); })) field = old;
}

// The two-page input list of a type 571 transmitter. Gives the chosen input
// type, or -1 after Escape on either page.
int CHOOSE571(const kdv::model::Session& session, byte current) {
  const std::string title = CELLTITLE(session);
  int pos = current;
  for (;;) {
    std::vector<std::string> items;
    if (pos < 15) {
      // Page A; on channel 16 the RTD types give way to the "more" entry.
      for (int i = 1; i <= 16; ++i) items.push_back("  " + IPTYPE571A[i]);
      if (session.CHNO == 16) {
        items.resize(14);
        items[13] = "  " + IPTYPE571A[16];
      }
      kdv::ui::BACKGND(session, 0);
      const std::optional<int> p = CHOOSE(session, title, items, 5, pos + 1);
      if (!p) return -1;
      pos = *p - 1;
      // The "more" entry turns to page B.
      const bool more = pos == 15 || (pos == 13 && session.CHNO == 16);
      if (!more) return pos;
      pos = 16;
    } else {
      for (int i = 1; i <= 13; ++i) items.push_back("  " + IPTYPE571B[i]);
      kdv::ui::BACKGND(session, 0);
      const std::optional<int> p = CHOOSE(session, title, items, 5, pos - 15);
      if (!p) return -1;
      pos = *p + 15;
      if (pos != 28) return pos;
      pos = 0;
    }
  }
}

// The input list of a type 572 transmitter; -1 after Escape.
int CHOOSE572(const kdv::model::Session& session, byte current) {
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i) items.push_back("  " + IPTYPE572[i]);
  const int pre = current == 13 ? 2 : current == 15 ? 3 : 1;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session), items, 12, pre);
  if (!p) return -1;
  return *p == 1 ? 0 : *p == 2 ? 13 : 15;
}

// Both alarm editors: thresholds do not apply to an unused input (type 15 on
// a 571) nor to a cold-junction channel.
void EDITALARM(kdv::model::Session& session, double CHANNEL_DATA::*threshold) {
  if (!ALARMS_APPLY(tx(session), session.CHNO)) {
    NOTAPPLICABLE(session);
    return;
  }
  EDITNUMBER(session, ch(session).*threshold, true, SEND_ALARMS);
}

// Cells of the channel setup menu: 0x10 x column + row.
constexpr byte kCellTransmitter = 0x11, kCellTxType = 0x12, kCellChannel = 0x13, kCellInputType = 0x14,
               kCellDrive = 0x15, kCellHighAlarm = 0x16, kCellLowAlarm = 0x17;
constexpr byte kCellInputZero = 0x21, kCellOutputZero = 0x22, kCellGain = 0x23, kCellScalingCalc = 0x24;

}  // namespace

std::vector<std::string> NUMBERS(int n) {
  std::vector<std::string> items;
  for (int i = 1; i <= n; ++i) items.push_back(kdv::ui::STG(i, 10) + std::string(11, ' '));
  return items;
}

void CONFIGURE_CH(Session& session) {
  kdv::edit::MENULOOP(session, 8, 1, 1, [&session] { kdv::edit::CHCONFIGVAL(session); }, [&](byte option) {
    switch (option) {
      case kCellTransmitter: TRANNO(session); break;
      case kCellTxType: TX_TYPE(session); break;
      case kCellChannel: CHANO(session); break;
      case kCellInputType: INPUTYPE(session); break;
      case kCellDrive: OCDRIVE(session); break;
      case kCellHighAlarm: HALARM(session); break;
      case kCellLowAlarm: LALARM(session); break;
      case kCellInputZero: IPZERO(session); break;
      case kCellOutputZero: OPZERO(session); break;
      case kCellGain: GAIN(session); break;
      case kCellScalingCalc: kdv::edit::CALCSCALES(session); break;
      default: break;
    }
  });
}

bool TRANNO(kdv::model::Session& session) {
  const int count = std::clamp<int>(session.RX().NO_OF_TX, 1, 4);
  if (count < session.TXNO) session.TXNO = 1;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session), NUMBERS(count), 15, session.TXNO);
  if (p) session.TXNO = static_cast<byte>(*p);
  return p.has_value();
}

bool CHANO(kdv::model::Session& session) {
  int count = 16;
  if (tx(session).TXTYPE != 1) {
    count = 8;
    if (session.CHNO > 8) session.CHNO = 1;
  }
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session), NUMBERS(count), 5, session.CHNO);
  if (p) session.CHNO = static_cast<byte>(*p);
  return p.has_value();
}

void TX_TYPE(kdv::model::Session& session) {
  TRANSMITTER_DATA& T = tx(session);
  const byte old = T.TXTYPE;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session), {"       571            ", "       572            "}, 15, old);
  if (!p) return;
  T.TXTYPE = static_cast<byte>(*p);
  if (session.ONLINE) {
    kdv::ui::WRTWORKING(session);
    // The new type, then the transmitter read back; the first failure ends
    // the exchanges.
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    link.SET_TXTYPE(session.RECNO, session.TXNO);
    kdv::edit::CLEARWORKING();
    if (!link.failed()) kdv::transfer::UPLOAD_TX(link, session.RECNO, session.TXNO);
    if (link.failed()) {
      kdv::ui::WRTERROR(session, link.outcome().text);
      T.TXTYPE = old;
    }
  } else {
    INIT_TX(session.RX(), session.TXNO, T.TXTYPE);
  }
  if (T.TXTYPE == 2) {
    if (session.CHNO > 8) session.CHNO = 1;
    // Thermocouples with cold-junction compensation exist on a 571 only.
    for (CHANNEL_DATA& C : T.CHANNEL)
      if (C.INPUT_TYPE >= 7 && C.INPUT_TYPE <= 12) C.INPUT_TYPE = 0;
  }
}

void INPUTYPE(Session& session) {
  if (RESERVED(session)) {
    NOTAPPLICABLE(session);
    return;
  }
  CHANNEL_DATA& C = ch(session);
  const byte old = C.INPUT_TYPE;
  const int chosen = tx(session).TXTYPE == 1 ? CHOOSE571(session, old == 15 ? 0 : old) : CHOOSE572(session, old);
  if (chosen < 0) return;
  C.INPUT_TYPE = static_cast<byte>(chosen);
  if (!SENDCHANGE(session, [&session] { return SEND_INPTYPE(session); })) C.INPUT_TYPE = old;
}

void OCDRIVE(kdv::model::Session& session) {
  // No drive on a 572, nor on an unused input (type 15) of a 571.
  if (!DRIVE_APPLIES(tx(session), session.CHNO)) {
    NOTAPPLICABLE(session);
    return;
  }
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i)
    items.push_back("  " + session.MESSAGE[kMessageDriveUpscale - 1 + i] + std::string(8, ' '));
  CHANNEL_DATA& C = ch(session);
  const byte old = C.THC_DRIVE;
  const std::optional<int> p = CHOOSE(session, CELLTITLE(session), items, 15, old + 1);
  if (!p) return;
  C.THC_DRIVE = static_cast<byte>(*p - 1);
  if (!SENDCHANGE(session, [&session] { return SEND_INPTYPE(session); })) C.THC_DRIVE = old;
}

void HALARM(kdv::model::Session& session) { EDITALARM(session, &CHANNEL_DATA::HIGH_ALARM); }
void LALARM(kdv::model::Session& session) { EDITALARM(session, &CHANNEL_DATA::LOW_ALARM); }

void IPZERO(kdv::model::Session& session) { EDITNUMBER(session, ch(session).SCALE_IPZERO, false, SEND_SCALES); }

void OPZERO(Session& session, const std::function<bool(double)>& acceptable) {
  if (RESERVED(session)) {
    NOTAPPLICABLE(session);
    return;
  }
  EDITNUMBER(session, ch(session).SCALE_OPZERO, true, SEND_SCALES, acceptable);
}

void GAIN(Session& session) {
  if (RESERVED(session)) {
    NOTAPPLICABLE(session);
    return;
  }
  EDITNUMBER(session, ch(session).SCALE_GAIN, false, SEND_SCALES);
}

}  // namespace kdv::edit
