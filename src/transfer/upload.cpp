#include "transfer/upload.h"

#include "link/comms.h"
#include "model/globals.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;
using kdv::transfer::Direction;
using kdv::transfer::progress;

namespace {

// The receiver readings of an upload, in the order they are made.
using ReceiverReading = kdv::link::Outcome (kdv::link::Link::*)(int);
constexpr ReceiverReading RECEIVER_READINGS[] = {
    &kdv::link::Link::READ_TAG,      &kdv::link::Link::READ_DATAFMT,  &kdv::link::Link::READ_TEMP,
    &kdv::link::Link::READ_NO_TX,    &kdv::link::Link::READ_VERS,     &kdv::link::Link::READ_COMMS,
    &kdv::link::Link::READ_ADDRESS,  &kdv::link::Link::READ_CHECKSUM, &kdv::link::Link::READ_CSUMMODE,
    &kdv::link::Link::READ_SWITCHES, &kdv::link::Link::READ_LINEREJ,
};

}  // namespace

kdv::link::Outcome UPLOAD_TX(kdv::link::Link& link, std::uint8_t RX, std::uint8_t TX) {
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

kdv::link::Outcome GETDAT(kdv::model::Session& session, std::uint8_t I) {
  progress().started(Direction::kUpload, I);
  // After a failure the rest of the readings run without exchanging, so
  // that the record's clamps still apply; an abandoned exchange ends it all.
  kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
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

kdv::link::Outcome UPLOAD(kdv::model::Session& session) {
  const kdv::link::Outcome outcome = GETDAT(session, 0);
  if (outcome.abandoned()) progress().failed(Direction::kUpload, outcome);
  return outcome;
}

}  // namespace kdv::transfer
