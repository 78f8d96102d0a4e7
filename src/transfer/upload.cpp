#include "transfer/upload.h"

#include "link/link.h"
#include "link/outcome.h"
#include "model/records.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;
using kdv::transfer::Direction;
using kdv::transfer::progress;

namespace {

// The receiver readings of an upload, in the order they are made.
using ReceiverReading = kdv::link::Outcome (kdv::link::Link::*)(int);
constexpr ReceiverReading kReceiverReadings[] = {
    &kdv::link::Link::READ_TAG,      &kdv::link::Link::READ_DATAFMT,  &kdv::link::Link::READ_TEMP,
    &kdv::link::Link::READ_NO_TX,    &kdv::link::Link::READ_VERS,     &kdv::link::Link::READ_COMMS,
    &kdv::link::Link::READ_ADDRESS,  &kdv::link::Link::READ_CHECKSUM, &kdv::link::Link::READ_CSUMMODE,
    &kdv::link::Link::READ_SWITCHES, &kdv::link::Link::READ_LINEREJ,
};

}  // namespace

kdv::link::Outcome upload_transmitter(kdv::link::Link& link, std::uint8_t rx, std::uint8_t tx) {
  link.READ_TXTYPE(rx, tx);
  const int channels = link.session().receivers[rx]->TRANSMITTER[tx].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    if (!link.failed()) progress().reached(Direction::kUpload, rx, tx, k);
    link.READ_SCALES(rx, tx, k);
    link.READ_ALARMS(rx, tx, k);
    link.READ_INPTYPE(rx, tx, k);
  }
  return link.outcome();
}

kdv::link::Outcome upload_receiver(kdv::model::Session& session, std::uint8_t rx) {
  progress().started(Direction::kUpload, rx);
  // After a failure the rest of the readings run without exchanging, so
  // that the record's clamps still apply; an abandoned exchange ends it all.
  kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
  for (ReceiverReading reading : kReceiverReadings)
    if ((link.*reading)(rx).abandoned()) return link.outcome();
  if (!link.failed()) {
    for (int t = 1; t <= session.receivers[rx]->NO_OF_TX; ++t)
      if (upload_transmitter(link, rx, static_cast<std::uint8_t>(t)).abandoned()) return link.outcome();
  }
  if (link.failed()) {
    progress().failed(Direction::kUpload, link.outcome());
  } else {
    session.receiver_present[rx] = true;
    session.held_flags.RXCONFIG[rx] = true;
  }
  progress().ended(Direction::kUpload);
  return link.outcome();
}

kdv::link::Outcome upload_configuration(kdv::model::Session& session) {
  const kdv::link::Outcome outcome = upload_receiver(session, 0);
  if (outcome.abandoned()) progress().failed(Direction::kUpload, outcome);
  return outcome;
}

}  // namespace kdv::transfer
