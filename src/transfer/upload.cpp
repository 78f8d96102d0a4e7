#include "transfer/upload.h"

#include "link/comms.h"
#include "model/globals.h"
#include "transfer/progress.h"

namespace upload {

using namespace globals;
using transfer::Direction;
using transfer::progress;

namespace {

// The receiver readings of an upload, in the order they are made.
using ReceiverReading = comms::Outcome (comms::Link::*)(int);
constexpr ReceiverReading RECEIVER_READINGS[] = {
    &comms::Link::READ_TAG,      &comms::Link::READ_DATAFMT,  &comms::Link::READ_TEMP,
    &comms::Link::READ_NO_TX,    &comms::Link::READ_VERS,     &comms::Link::READ_COMMS,
    &comms::Link::READ_ADDRESS,  &comms::Link::READ_CHECKSUM, &comms::Link::READ_CSUMMODE,
    &comms::Link::READ_SWITCHES, &comms::Link::READ_LINEREJ,
};

}  // namespace

comms::Outcome UPLOAD_TX(comms::Link& link, std::uint8_t RX, std::uint8_t TX) {
  link.READ_TXTYPE(RX, TX);
  const int channels = link.session().RECEIVER[RX]->TRANSMITTER[TX].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    if (!link.failed()) progress().reached(Direction::kUpload, RX, TX, k);
    link.READ_SCALES(RX, TX, k);
    link.READ_ALARMS(RX, TX, k);
    link.READ_INPTYPE(RX, TX, k);
  }
  return link.outcome();
}

comms::Outcome GETDAT(globals::Session& session, std::uint8_t I) {
  progress().started(Direction::kUpload, I);
  // After a failure the rest of the readings run without exchanging, so
  // that the record's clamps still apply; an abandoned exchange ends it all.
  comms::Link link(session, comms::OnFailure::kCarry);
  for (ReceiverReading reading : RECEIVER_READINGS)
    if ((link.*reading)(I).abandoned()) return link.outcome();
  if (!link.failed()) {
    for (int t = 1; t <= session.RECEIVER[I]->NO_OF_TX; ++t)
      if (UPLOAD_TX(link, I, static_cast<std::uint8_t>(t)).abandoned()) return link.outcome();
  }
  if (link.failed()) {
    progress().failed(Direction::kUpload, link.outcome());
  } else {
    session.RECEIVER_PRESENT[I] = true;
    session.GLOBDAT.RXCONFIG[I] = true;
  }
  progress().ended(Direction::kUpload);
  return link.outcome();
}

comms::Outcome UPLOAD(globals::Session& session) {
  const comms::Outcome outcome = GETDAT(session, 0);
  if (outcome.abandoned()) progress().failed(Direction::kUpload, outcome);
  return outcome;
}

}  // namespace upload
