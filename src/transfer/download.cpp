#include "transfer/download.h"

#include <algorithm>

#include "link/comms.h"
#include "link/sent_changes.h"
#include "model/globals.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;
using kdv::transfer::Direction;
using kdv::transfer::progress;

namespace {

// The receiver settings a download writes, in the order they are written.
using ReceiverSetting = kdv::link::Outcome (kdv::link::Link::*)(int);
constexpr ReceiverSetting RECEIVER_SETTINGS[] = {
    &kdv::link::Link::SET_TAG,     &kdv::link::Link::SET_DATAFMT, &kdv::link::Link::SET_TEMP,
    &kdv::link::Link::SET_NO_TX,   &kdv::link::Link::SET_COMMS,   &kdv::link::Link::SET_LINEREJ,
    &kdv::link::Link::SET_ADDRESS,
};

// Writes transmitter J of receiver RX: its type, then per channel the input
// type, the scaling and the alarms, its progress reported when `shown`. A
// type other than 1 or 2 (only a damaged file gives one) is written with 16
// channels. False when an exchange was abandoned.
bool DLTRANSMIT(kdv::link::Link& link, std::uint8_t RX, int J, bool shown) {
  if (link.SET_TXTYPE(RX, J).abandoned()) return false;
  const int channels = link.session().RECEIVER[RX]->TRANSMITTER[J].TXTYPE == 2 ? 8 : 16;
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
bool WRITES(kdv::link::Link& link, std::uint8_t RX, std::uint8_t TX, bool shown) {
  for (ReceiverSetting setting : RECEIVER_SETTINGS)
    if ((link.*setting)(RX).abandoned()) return false;
  if (TX >= 1 && TX <= 4) {
    DLTRANSMIT(link, RX, TX, shown);
  } else if (TX == TX_CONFIGURED || TX == TX_ALL) {
    // No fifth transmitter exists, whatever the record's count says.
    const int last = TX == TX_ALL ? 4 : std::min<int>(link.session().RECEIVER[RX]->NO_OF_TX, 4);
    for (int j = 1; j <= last; ++j)
      if (!DLTRANSMIT(link, RX, j, shown)) return false;
  }
  return true;
}

}  // namespace

kdv::link::Outcome DUMP(kdv::model::Session& session, std::uint8_t RX, std::uint8_t TX) {
  const kdv::link::DownloadMark download(session);
  progress().started(Direction::kDownload, RX);
  session.RECEIVER_PRESENT[RX] = true;
  // Nothing goes out unless every value can (the check sends nothing); after
  // a failure the rest of the writes send nothing either.
  kdv::link::Outcome outcome =
      kdv::link::SENDABLE(session, [RX, TX](kdv::link::Link& probe) { WRITES(probe, RX, TX, false); });
  if (outcome.ok()) {
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    const bool finished = WRITES(link, RX, TX, true);
    outcome = link.outcome();
    if (!finished) return outcome;
  }
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

kdv::link::Outcome COPYDOWN(kdv::model::Session& session, std::uint8_t RX, std::uint8_t TX) {
  const kdv::link::Outcome outcome = DUMP(session, RX, TX);
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

kdv::link::Outcome DOWNLOAD(kdv::model::Session& session) { return COPYDOWN(session, 0, TX_CONFIGURED); }

kdv::link::Outcome sign_off(kdv::model::Session& session, int r) {
  kdv::link::Link link(session);
  const kdv::link::Outcome confirm = link.SEND_CONFIRM(r);
  const kdv::link::Outcome signoff = link.SEND_SIGNOFF(r);
  return confirm.ok() ? signoff : confirm;
}

}  // namespace kdv::transfer
