// Upload: reads a receiver's whole configuration into its record, reporting
// its progress to the installed kdv::transfer::Progress. Each returns the outcome
// of its sequence: the first failure, after which the rest of the sequence
// sends nothing.
#pragma once

#include <cstdint>

#include "link/link.h"
#include "link/outcome.h"
#include "model/session.h"

namespace kdv::transfer {

// Uploads receiver 0; reports an abort as well as any other failure.
kdv::link::Outcome upload_configuration(kdv::model::Session& session);
// Uploads receiver rx; reports any failure except an abandoned exchange,
// which it leaves to its caller.
kdv::link::Outcome upload_receiver(kdv::model::Session& session, std::uint8_t rx);
// Reads transmitter tx (1..4) of receiver rx on the link: its type, then
// per channel the scaling, the alarms and the input type. The link's
// carried failure stops the exchanges, not the clamps of the readings.
kdv::link::Outcome upload_transmitter(kdv::link::Link& link, std::uint8_t rx, std::uint8_t tx);

}  // namespace kdv::transfer
