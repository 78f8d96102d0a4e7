// The copy function: channel and transmitter settings copied within the
// current receiver's record, a single channel sent at once when online, a
// copy to all channels or transmitters offered for download.
#pragma once

#include <cstdint>

namespace copy {

using byte = std::uint8_t;

// Transmitter or channel number meaning "all".
inline constexpr byte ALL = 255;

// One side of a copy.
struct OPT {
  byte RECEIVER = 0;
  byte TRANSMITTER = 1;  // 1..4 or ALL
  byte CHANNEL = 1;      // 1..16 or ALL
};

// The copy screen (menu screen 7).
void COPYRX();

// Copies SOURCE onto DEST in the record. DLOAD becomes 1 when more than one
// channel was touched (the caller then offers a download), 0 for a single
// channel, which is sent to the receiver at once when online.
void GOCOPY(OPT SOURCE, OPT DEST, byte& DLOAD);

}  // namespace copy
