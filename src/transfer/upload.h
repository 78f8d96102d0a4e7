// Upload: reads a receiver's whole configuration into its record, with a
// progress line on row 25. Outcome in MSGERROR, BREAKOUT and ERRMSG.
#pragma once

#include <cstdint>

namespace upload {

// Uploads receiver 0; shows an abort (BREAKOUT) as well as any other failure.
void UPLOAD();
// Uploads receiver I; shows any failure except an abort, which it leaves to
// its caller.
void GETDAT(std::uint8_t I);
// Reads transmitter TX (1..4) of receiver RX: its type, then per channel the
// scaling, the alarms and the input type.
void UPLOAD_TX(std::uint8_t RX, std::uint8_t TX);

}  // namespace upload
