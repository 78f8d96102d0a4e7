// Download: writes a receiver's record back into the receiver, reporting its
// progress to the installed transfer::Progress; and the signoff. The
// downloads return the outcome of their sequence: the first failure, after
// which the rest sends nothing.
#pragma once

#include <cstdint>

#include "link/comms.h"
#include "model/session.h"

namespace download {

// Transmitter codes of DUMP and COPYDOWN besides 1..4 (that one transmitter).
inline constexpr std::uint8_t TX_CONFIGURED = 244;  // 1 up to the record's NO_OF_TX
inline constexpr std::uint8_t TX_ALL = 255;         // all four
// Any other code writes the receiver settings only.

// Downloads receiver 0 and its configured transmitters; reports a failure
// (twice: DUMP reports it first) or an abort.
comms::Outcome DOWNLOAD(globals::Session& session);
// Downloads receiver RX's settings and the transmitters chosen by code TX;
// reports a failure that is not an abort.
comms::Outcome DUMP(globals::Session& session, std::uint8_t RX, std::uint8_t TX);
// The copy function's download: DUMP, then the failure as DOWNLOAD reports
// it.
comms::Outcome COPYDOWN(globals::Session& session, std::uint8_t RX, std::uint8_t TX);

// Signs receiver r off: a confirm, then the signoff, which goes out whatever
// the confirm's outcome. The confirm's failure, otherwise the signoff's
// outcome (sent).
comms::Outcome sign_off(globals::Session& session, int r);

}  // namespace download
