#include "transfer/download.h"

#include <algorithm>
#include <string>

#include "link/comms.h"
#include "model/globals.h"
#include "transfer/progress.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace download {

using namespace globals;
using transfer::Direction;
using transfer::progress;

namespace {

// The receiver settings a download writes, in the order they are written.
using ReceiverSetting = comms::Outcome (comms::Link::*)(int);
constexpr ReceiverSetting RECEIVER_SETTINGS[] = {
    &comms::Link::SET_TAG,     &comms::Link::SET_DATAFMT, &comms::Link::SET_TEMP,
    &comms::Link::SET_NO_TX,   &comms::Link::SET_COMMS,   &comms::Link::SET_LINEREJ,
    &comms::Link::SET_ADDRESS,
};

// Writes transmitter J of receiver RX: its type, then per channel the input
// type, the scaling and the alarms, its progress reported when `shown`. A
// type other than 1 or 2 (only a damaged file gives one) is written with 16
// channels. False when an exchange was abandoned.
bool DLTRANSMIT(comms::Link& link, std::uint8_t RX, int J, bool shown) {
  if (link.SET_TXTYPE(RX, J).abandoned()) return false;
  const int channels = RECEIVER[RX]->TRANSMITTER[J].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    if (shown && !link.failed()) progress().reached(Direction::kDownload, RX, J, k);
    if (link.SET_INPTYPE(RX, J, k).abandoned() || link.SET_SCALES(RX, J, k).abandoned() ||
        link.SET_ALARMS(RX, J, k).abandoned())
      return false;
  }
  return true;
}

// The writes of a download of receiver RX and the transmitters chosen by code
// TX, in order. False when an abandoned exchange ends them where the download
// returns at once: in the receiver settings or in a loop over transmitters
// (the single transmitter of codes 1..4 is not tested).
bool WRITES(comms::Link& link, std::uint8_t RX, std::uint8_t TX, bool shown) {
  for (ReceiverSetting setting : RECEIVER_SETTINGS)
    if ((link.*setting)(RX).abandoned()) return false;
  if (TX >= 1 && TX <= 4) {
    DLTRANSMIT(link, RX, TX, shown);
  } else if (TX == TX_CONFIGURED || TX == TX_ALL) {
    // No fifth transmitter exists, whatever the record's count says.
    const int last = TX == TX_ALL ? 4 : std::min<int>(RECEIVER[RX]->NO_OF_TX, 4);
    for (int j = 1; j <= last; ++j)
      if (!DLTRANSMIT(link, RX, j, shown)) return false;
  }
  return true;
}

}  // namespace

comms::Outcome DUMP(std::uint8_t RX, std::uint8_t TX) {
  progress().started(Direction::kDownload, RX);
  RECEIVER_PRESENT[RX] = true;
  // Nothing goes out unless every value can (the check sends nothing); after
  // a failure the rest of the writes send nothing either.
  comms::Outcome outcome =
      comms::SENDABLE([RX, TX](comms::Link& probe) { WRITES(probe, RX, TX, false); });
  if (outcome.ok()) {
    comms::Link link(comms::OnFailure::kCarry);
    const bool finished = WRITES(link, RX, TX, true);
    outcome = link.outcome();
    if (!finished) return outcome;
  }
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

comms::Outcome COPYDOWN(std::uint8_t RX, std::uint8_t TX) {
  const comms::Outcome outcome = DUMP(RX, TX);
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

comms::Outcome DOWNLOAD() { return COPYDOWN(0, TX_CONFIGURED); }

void SIGNOFFMESS() {
  ESCAPE = false;
  constexpr int X = 22, Y = 15;
  wind::NORMAL();
  crt::Window(X - 1, Y - 1, X + 35, Y + 6);
  crt::ClrScr();
  wind::SETWINDOW(X, Y, 36, 7);
  crt::GotoXY(15, 1);
  crt::Write("SIGNOFF");
  crt::GotoXY(3, 3);
  crt::Write("Before sending this command the");
  crt::GotoXY(3, 4);
  crt::Write("configuration link on the KDV578");
  crt::GotoXY(3, 5);
  crt::Write("should be removed.");
  wind::NORMAL();
  crt::Window(1, 1, 80, 25);
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::Write(std::string(22, ' '));
  crt::TextBackground(ERRBAR);
  crt::Write(" Any key to Continue, ESC to abort");
  if (crt::ReadKey() == crt::KEY_ESC) ESCAPE = true;
  wind::NORMAL();
  crt::Window(1, 1, 80, 25);
}

void SIGNOFF() {
  SIGNOFFMESS();
  crt::Window(1, 1, 80, 25);
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(MESSAGE[53]);
  if (ESCAPE) return;
  // The signoff goes out whatever the confirm's outcome; only the confirm's
  // failure is shown.
  comms::Link link;
  const comms::Outcome confirm = link.SEND_CONFIRM(RECNO);
  link.SEND_SIGNOFF(RECNO);
  crt::GotoXY(1, 25);
  crt::Write(std::string(12, ' '));
  if (!confirm.ok()) {
    crt::Window(1, 1, 80, 25);
    crt::GotoXY(5, 23);
    crt::TextBackground(ERRBAR);
    crt::Write(confirm.text);
    crt::Write('\a');
    crt::Delay(2000);
  }
}

}  // namespace download
