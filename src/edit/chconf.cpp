#include "edit/chconf.h"

#include <algorithm>

#include "edit/calc.h"
#include "edit/confval.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "model/editor_rules.h"
#include "transfer/upload.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace chconf {

using namespace globals;
using rxconf::CELLTITLE;
using rxconf::CHOOSE;
using rxconf::SENDCHANGE;

namespace {

TRANSMITTER_DATA& tx() { return RX().TRANSMITTER[TXNO]; }
CHANNEL_DATA& ch() { return tx().CHANNEL[CHNO]; }

// Channel 16 serves as the cold-junction sensor (as the last display found).
bool RESERVED(const Session& session) { return session.RTD && CHNO == 16; }

// The answer to a setting that does not apply to this channel.
void NOTAPPLICABLE() {
  crt::Window(1, 1, 80, 25);
  crt::GotoXY(5, 23);
  crt::TextBackground(ERRBAR);
  crt::Write(MESSAGE[98].view());
  crt::Write('\a');
  crt::Delay(2000);
}

comms::Outcome SEND_INPTYPE() { return comms::Link().SET_INPTYPE(RECNO, TXNO, CHNO); }
comms::Outcome SEND_ALARMS() { return comms::Link().SET_ALARMS(RECNO, TXNO, CHNO); }
comms::Outcome SEND_SCALES() { return comms::Link().SET_SCALES(RECNO, TXNO, CHNO); }

// A real-number setting of the current channel: entry (refused where
// `acceptable` refuses it), the refusal of negatives under a unipolar data
// format where `unipolar_check`, the send.
void EDITNUMBER(double& field, bool unipolar_check, comms::Outcome (*command)(),
                const std::function<bool(double)>& acceptable = {}) {
  const double old = field;
  const std::optional<double> entry = wind::GETNUM(CELLTITLE(), old, 0, acceptable);
  field = entry.value_or(old);
  // Also after Escape: a negative old value under a unipolar format is
  // refused again.
  if (unipolar_check && UNIPOLAR(RX().DATA_FORMAT) && field < 0) {
    field = old;
    wind::SAYNONEGATIVES();
    return;
  }
  if (!entry) return;
  if (!SENDCHANGE(command)) field = old;
}

// The two-page input list of a type 571 transmitter. Gives the chosen input
// type, or -1 after Escape on either page.
int CHOOSE571(byte current) {
  const std::string title = CELLTITLE();
  int pos = current;
  for (;;) {
    std::vector<std::string> items;
    if (pos < 15) {
      // Page A; on channel 16 the RTD types give way to the "more" entry.
      for (int i = 1; i <= 16; ++i) items.push_back("  " + IPTYPE571A[i]);
      if (CHNO == 16) {
        items.resize(14);
        items[13] = "  " + IPTYPE571A[16];
      }
      scrn::BACKGND(0);
      const std::optional<int> p = CHOOSE(title, items, 5, pos + 1);
      if (!p) return -1;
      pos = *p - 1;
      // The "more" entry turns to page B.
      const bool more = pos == 15 || (pos == 13 && CHNO == 16);
      if (!more) return pos;
      pos = 16;
    } else {
      for (int i = 1; i <= 13; ++i) items.push_back("  " + IPTYPE571B[i]);
      scrn::BACKGND(0);
      const std::optional<int> p = CHOOSE(title, items, 5, pos - 15);
      if (!p) return -1;
      pos = *p + 15;
      if (pos != 28) return pos;
      pos = 0;
    }
  }
}

// The input list of a type 572 transmitter; -1 after Escape.
int CHOOSE572(byte current) {
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i) items.push_back("  " + IPTYPE572[i]);
  const int pre = current == 13 ? 2 : current == 15 ? 3 : 1;
  const std::optional<int> p = CHOOSE(CELLTITLE(), items, 12, pre);
  if (!p) return -1;
  return *p == 1 ? 0 : *p == 2 ? 13 : 15;
}

// Both alarm editors: thresholds do not apply to an unused input (type 15 on
// a 571) nor to a cold-junction channel.
void EDITALARM(double CHANNEL_DATA::*threshold) {
  if (!ALARMS_APPLY(tx(), CHNO)) {
    NOTAPPLICABLE();
    return;
  }
  EDITNUMBER(ch().*threshold, true, SEND_ALARMS);
}

}  // namespace

std::vector<std::string> NUMBERS(int n) {
  std::vector<std::string> items;
  for (int i = 1; i <= n; ++i) items.push_back(wind::STG(i, 10) + std::string(11, ' '));
  return items;
}

void CONFIGURE_CH(Session& session) {
  rxconf::MENULOOP(8, 1, 1, [&session] { confval::CHCONFIGVAL(session); }, [&](byte option) {
    switch (option) {
      case 0x11: TRANNO(); break;
      case 0x12: TX_TYPE(); break;
      case 0x13: CHANO(); break;
      case 0x14: INPUTYPE(session); break;
      case 0x15: OCDRIVE(); break;
      case 0x16: HALARM(); break;
      case 0x17: LALARM(); break;
      case 0x21: IPZERO(); break;
      case 0x22: OPZERO(session); break;
      case 0x23: GAIN(session); break;
      case 0x24: calc::CALCSCALES(session); break;
      default: break;
    }
  });
}

bool TRANNO() {
  const int count = std::clamp<int>(RX().NO_OF_TX, 1, 4);
  if (count < TXNO) TXNO = 1;
  const std::optional<int> p = CHOOSE(CELLTITLE(), NUMBERS(count), 15, TXNO);
  if (p) TXNO = static_cast<byte>(*p);
  return p.has_value();
}

bool CHANO() {
  int count = 16;
  if (tx().TXTYPE != 1) {
    count = 8;
    if (CHNO > 8) CHNO = 1;
  }
  const std::optional<int> p = CHOOSE(CELLTITLE(), NUMBERS(count), 5, CHNO);
  if (p) CHNO = static_cast<byte>(*p);
  return p.has_value();
}

void TX_TYPE() {
  TRANSMITTER_DATA& T = tx();
  const byte old = T.TXTYPE;
  const std::optional<int> p = CHOOSE(CELLTITLE(), {"       571            ", "       572            "}, 15, old);
  if (!p) return;
  T.TXTYPE = static_cast<byte>(*p);
  if (ONLINE) {
    wind::WRTWORKING();
    // The new type, then the transmitter read back; the first failure ends
    // the exchanges.
    comms::Link link(comms::OnFailure::kCarry);
    link.SET_TXTYPE(RECNO, TXNO);
    rxconf::CLEARWORKING();
    if (!link.failed()) upload::UPLOAD_TX(link, RECNO, TXNO);
    if (link.failed()) {
      wind::WRTERROR(link.outcome().text);
      T.TXTYPE = old;
    }
  } else {
    INIT_TX(RECNO, TXNO, T.TXTYPE);
  }
  if (T.TXTYPE == 2) {
    if (CHNO > 8) CHNO = 1;
    // Thermocouples with cold-junction compensation exist on a 571 only.
    for (CHANNEL_DATA& C : T.CHANNEL)
      if (C.INPUT_TYPE >= 7 && C.INPUT_TYPE <= 12) C.INPUT_TYPE = 0;
  }
}

void INPUTYPE(const Session& session) {
  if (RESERVED(session)) {
    NOTAPPLICABLE();
    return;
  }
  CHANNEL_DATA& C = ch();
  const byte old = C.INPUT_TYPE;
  const int chosen = tx().TXTYPE == 1 ? CHOOSE571(old == 15 ? 0 : old) : CHOOSE572(old);
  if (chosen < 0) return;
  C.INPUT_TYPE = static_cast<byte>(chosen);
  if (!SENDCHANGE(SEND_INPTYPE)) C.INPUT_TYPE = old;
}

void OCDRIVE() {
  // No drive on a 572, nor on an unused input (type 15) of a 571.
  if (!DRIVE_APPLIES(tx(), CHNO)) {
    NOTAPPLICABLE();
    return;
  }
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i) items.push_back("  " + MESSAGE[26 + i] + std::string(8, ' '));
  CHANNEL_DATA& C = ch();
  const byte old = C.THC_DRIVE;
  const std::optional<int> p = CHOOSE(CELLTITLE(), items, 15, old + 1);
  if (!p) return;
  C.THC_DRIVE = static_cast<byte>(*p - 1);
  if (!SENDCHANGE(SEND_INPTYPE)) C.THC_DRIVE = old;
}

void HALARM() { EDITALARM(&CHANNEL_DATA::HIGH_ALARM); }
void LALARM() { EDITALARM(&CHANNEL_DATA::LOW_ALARM); }

void IPZERO() { EDITNUMBER(ch().SCALE_IPZERO, false, SEND_SCALES); }

void OPZERO(const Session& session, const std::function<bool(double)>& acceptable) {
  if (RESERVED(session)) {
    NOTAPPLICABLE();
    return;
  }
  EDITNUMBER(ch().SCALE_OPZERO, true, SEND_SCALES, acceptable);
}

void GAIN(const Session& session) {
  if (RESERVED(session)) {
    NOTAPPLICABLE();
    return;
  }
  EDITNUMBER(ch().SCALE_GAIN, false, SEND_SCALES);
}

}  // namespace chconf
