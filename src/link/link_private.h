// State shared by the files of the link: the open port, the reply and
// parameter buffers of the last exchange, and bounded access to the reply.
// Not for other modules (tests read it to check frames).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "link/comms.h"

namespace comms {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t LF = 0x0A;
inline constexpr std::uint8_t CR = 0x0D;

inline constexpr int RECEIVE_TIMEOUT_MS = 1000;

extern std::unique_ptr<SerialPort> SERIAL1;
extern std::array<std::uint8_t, 513> RXMSG;   // reply; index 0 holds its STX
extern std::array<std::uint8_t, 256> PARRAY;  // parameters of the next request
extern std::int32_t MSGLENGTH;                // index of the reply's ETX
extern bool TIMEOUT;                          // the last exchange got no complete reply

// The reply byte at index i, or 0 when i lies beyond the reply's ETX: scans
// through a reply never read bytes that were not received with it.
std::uint8_t REPLY(int i);

}  // namespace comms
