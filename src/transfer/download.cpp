#include "transfer/download.h"

#include <algorithm>

#include "link/link.h"
#include "link/outcome.h"
#include "link/sent_changes.h"
#include "model/records.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;
using kdv::transfer::Direction;
using kdv::transfer::progress;

namespace {

// The receiver settings a download writes, in the order they are written.
using ReceiverSetting = kdv::link::Outcome (kdv::link::Link::*)(int);
constexpr ReceiverSetting kReceiverSettings[] = {
    &kdv::link::Link::SET_TAG,     &kdv::link::Link::SET_DATAFMT, &kdv::link::Link::SET_TEMP,
    &kdv::link::Link::SET_NO_TX,   &kdv::link::Link::SET_COMMS,   &kdv::link::Link::SET_LINEREJ,
    &kdv::link::Link::SET_ADDRESS,
};

// Writes transmitter tx of receiver rx: its type, then per channel the input
// type, the scaling and the alarms, its progress reported when `shown`. A
// type other than 1 or 2 (only a damaged file gives one) is written with 16
// channels. False when an exchange was abandoned.
bool download_transmitter(kdv::link::Link& link, std::uint8_t rx, int tx, bool shown) {
  if (link.SET_TXTYPE(rx, tx).abandoned()) return false;
  const int channels = link.session().receivers[rx]->TRANSMITTER[tx].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    if (shown && !link.failed()) progress().reached(Direction::kDownload, rx, tx, k);
    if (link.SET_INPTYPE(rx, tx, k).abandoned() || link.SET_SCALES(rx, tx, k).abandoned() ||
        link.SET_ALARMS(rx, tx, k).abandoned())
      return false;
  }
  return true;
}

// The writes of a download of receiver rx and the transmitters chosen by code
// tx, in order. False when an abandoned exchange ends them where the download
// returns at once: in the receiver settings or in a loop over transmitters
// (the single transmitter of codes 1..4 is not tested).
bool download_writes(kdv::link::Link& link, std::uint8_t rx, std::uint8_t tx, bool shown) {
  for (ReceiverSetting setting : kReceiverSettings)
    if ((link.*setting)(rx).abandoned()) return false;
  if (tx >= 1 && tx <= 4) {
    download_transmitter(link, rx, tx, shown);
  } else if (tx == kConfiguredTransmitters || tx == kAllTransmitters) {
    // No fifth transmitter exists, whatever the record's count says.
    const int last = tx == kAllTransmitters ? 4 : std::min<int>(link.session().receivers[rx]->NO_OF_TX, 4);
    for (int j = 1; j <= last; ++j)
      if (!download_transmitter(link, rx, j, shown)) return false;
  }
  return true;
}

}  // namespace

kdv::link::Outcome download_receiver(kdv::model::Session& session, std::uint8_t rx, std::uint8_t tx) {
  const kdv::link::DownloadMark download(session);
  progress().started(Direction::kDownload, rx);
  session.receiver_present[rx] = true;
  // Nothing goes out unless every value can (the check sends nothing); after
  // a failure the rest of the writes send nothing either.
  kdv::link::Outcome outcome =
      kdv::link::sendable(session, [rx, tx](kdv::link::Link& probe) { download_writes(probe, rx, tx, false); });
  if (outcome.ok()) {
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    const bool finished = download_writes(link, rx, tx, true);
    outcome = link.outcome();
    if (!finished) return outcome;
  }
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

kdv::link::Outcome copy_download(kdv::model::Session& session, std::uint8_t rx, std::uint8_t tx) {
  const kdv::link::Outcome outcome = download_receiver(session, rx, tx);
  if (!outcome.ok()) progress().failed(Direction::kDownload, outcome);
  progress().ended(Direction::kDownload);
  return outcome;
}

kdv::link::Outcome download_configuration(kdv::model::Session& session) { return copy_download(session, 0, kConfiguredTransmitters); }

kdv::link::Outcome sign_off(kdv::model::Session& session, int r) {
  kdv::link::Link link(session);
  const kdv::link::Outcome confirm = link.SEND_CONFIRM(r);
  const kdv::link::Outcome signoff = link.SEND_SIGNOFF(r);
  return confirm.ok() ? signoff : confirm;
}

}  // namespace kdv::transfer
