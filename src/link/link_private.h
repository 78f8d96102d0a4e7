// What the files of the link share: the frame bytes, the parameter bytes of
// a request, and the installed host. Not for other modules (tests read it
// to check frames).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "link/link.h"
#include "link/outcome.h"

namespace kdv::link {

inline constexpr std::uint8_t kFrameStart = 0x02;
inline constexpr std::uint8_t kFrameEnd = 0x03;
inline constexpr std::uint8_t kLineFeed = 0x0A;
inline constexpr std::uint8_t kCarriageReturn = 0x0D;

inline constexpr int kReceiveTimeoutMs = 1000;
// A reply still without its ETX this long after its STX is cut: about ten
// times the longest reply's wire time, with room for a receiver that pauses
// to poll its transmitters and for a network hop.
inline constexpr int kReplyLimitMs = 5000;

// The parameter bytes of one request, and whether they carry every value as
// it stands.
class Request {
 public:
  // One byte 30h + value: 10..15 give ":" to "?", larger values go on up to
  // CFh, the last that stays a byte.
  Request& digit(int v);
  // A byte value as two digits, high nibble first.
  Request& two_digit(std::uint8_t v) { return digit(v / 16).digit(v % 16); }
  // The first 10 characters of number_field_text.
  Request& number(double x);
  // Text without control bytes.
  Request& text(std::string_view s);
  Request& put(std::uint8_t b) {
    bytes_[static_cast<std::size_t>(n_++)] = b;
    return *this;
  }
  int count() const { return n_; }
  std::uint8_t operator[](int i) const { return bytes_[static_cast<std::size_t>(i)]; }
  bool carried() const { return carried_; }

 private:
  std::array<std::uint8_t, 256> bytes_{};
  int n_ = 0;
  bool carried_ = true;
};

// The installed host, or the quiet one.
Host& host();

// Tells the installed change watcher of a request that went out, if its
// command changes a receiver (sent_changes.h); the settings a good reply
// reports, and those a SET operation wrote, become the values the next
// change's old values come from.
void report_sent(kdv::model::Session& session, int receiver, int command, const Request& request,
                 const Outcome& outcome, const Reply& reply);

}  // namespace kdv::link
