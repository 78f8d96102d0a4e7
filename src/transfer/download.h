// Download: writes a receiver's record back into the receiver, with a
// progress line on row 25; and the signoff command. The downloads return
// the outcome of their sequence: the first failure, after which the rest
// sends nothing.
#pragma once

#include <cstdint>

#include "link/comms.h"

namespace download {

// Transmitter codes of DUMP and COPYDOWN besides 1..4 (that one transmitter).
inline constexpr std::uint8_t TX_CONFIGURED = 244;  // 1 up to the record's NO_OF_TX
inline constexpr std::uint8_t TX_ALL = 255;         // all four
// Any other code writes the receiver settings only.

// Downloads receiver 0 and its configured transmitters; shows a failure
// (twice: DUMP shows it first) or an abort.
comms::Outcome DOWNLOAD();
// Downloads receiver RX's settings and the transmitters chosen by code TX;
// shows a failure that is not an abort.
comms::Outcome DUMP(std::uint8_t RX, std::uint8_t TX);
// The copy function's download: DUMP, then the error as DOWNLOAD shows it.
comms::Outcome COPYDOWN(std::uint8_t RX, std::uint8_t TX);

// The signoff warning box; sets ESCAPE when it is left with Escape.
void SIGNOFFMESS();
// The signoff menu command: confirm, then signoff, unless the box was
// left with Escape.
void SIGNOFF();

}  // namespace download
