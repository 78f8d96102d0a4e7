// Download: writes a receiver's record back into the receiver, reporting its
// progress to the installed kdv::transfer::Progress; and the signoff. The
// downloads return the outcome of their sequence: the first failure, after
// which the rest sends nothing.
#pragma once

#include <cstdint>

#include "link/outcome.h"
#include "model/session.h"

namespace kdv::transfer {

// Transmitter codes of download_receiver and copy_download besides 1..4 (that one transmitter).
inline constexpr std::uint8_t kConfiguredTransmitters = 244;  // 1 up to the record's NO_OF_TX
inline constexpr std::uint8_t kAllTransmitters = 255;         // all four
// Any other code writes the receiver settings only.

// Downloads receiver 0 and its configured transmitters; reports a failure
// (twice: download_receiver reports it first) or an abort.
kdv::link::Outcome download_configuration(kdv::model::Session& session);
// Downloads receiver rx's settings and the transmitters chosen by code tx;
// reports a failure that is not an abort.
kdv::link::Outcome download_receiver(kdv::model::Session& session, std::uint8_t rx, std::uint8_t tx);
// The copy function's download: download_receiver, then the failure as download_configuration reports
// it.
kdv::link::Outcome copy_download(kdv::model::Session& session, std::uint8_t rx, std::uint8_t tx);

// Signs receiver r off: a confirm, then the signoff, which goes out whatever
// the confirm's outcome. The confirm's failure, otherwise the signoff's
// outcome (sent).
kdv::link::Outcome sign_off(kdv::model::Session& session, int r);

}  // namespace kdv::transfer
