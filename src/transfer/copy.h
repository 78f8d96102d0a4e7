// The copy function's work on the record: channel and transmitter settings
// copied within a receiver's record, and a single copied channel sent to the
// receiver. The copy screen is the editors' (edit/copy_screen.h).
#pragma once

#include <cstdint>

#include "link/outcome.h"
#include "model/session.h"

namespace kdv::transfer {

using kdv::model::Byte;

// Transmitter or channel number meaning "all".
inline constexpr Byte kAll = 255;

// One side of a copy.
struct CopySide {
  Byte receiver = 0;
  Byte transmitter = 1;  // 1..4 or ALL
  Byte channel = 1;      // 1..16 or ALL
};

// Copies source onto dest in the record; nothing is sent. download_offered becomes 1
// when more than one channel was touched (the caller then offers a
// download), 0 for a single channel (which the caller sends at once when
// online).
void copy_settings(kdv::model::Session& session, CopySide source, CopySide dest, Byte& download_offered);

// Sends channel c of transmitter t of receiver r: input type, scaling,
// alarms, unless a value cannot go out as it stands; the first failure
// ends the exchanges. Reports its progress as a download.
kdv::link::Outcome send_channel(kdv::model::Session& session, int r, int t, int c);

}  // namespace kdv::transfer
