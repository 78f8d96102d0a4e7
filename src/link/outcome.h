// How an exchange or a command ended, and what its reply frame tells: the
// status, the refusal code and text, and the status facts of the reply's
// status bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/text.h"

namespace kdv::link {

// How an exchange or a command ended.
enum class Status : std::uint8_t {
  kDone,            // a good reply
  kAborted,         // the user pressed Escape
  kNoReply,         // no complete reply: silence, a gap inside the reply, no
                    // ETX within 512 bytes or within kReplyLimitMs of the STX
  kDeviceGone,      // the line hung up: the device went away (or its peer closed)
  kPortUnopenable,  // the port could not be opened
  kInvalidReply,    // the reply's frame bytes are wrong
  kShortReply,        // the reply is too short
  kDataError,       // a value of the reply does not read
  kRefused,         // the receiver refused the request (code in `refusal`)
  kUnsendable,      // a value the request cannot carry: nothing was sent
  kSent,            // sent without awaiting a reply (signoff)
};

struct Outcome {
  Status status = Status::kDone;
  int refusal = 0;  // the receiver's code, for kRefused
  // What the console shows for it: the error text, " Tx Failed" for a good
  // reply with old values, otherwise empty.
  kdv::model::Text<17> text;
  // The status facts of the last reply judged for this command.
  bool old_values = false;  // the transmitter failed: the values are old
  bool hand_held = false;   // a hand-held configurator is active
  std::uint8_t status1 = 0;
  std::uint8_t status2 = 0;

  bool ok() const { return status == Status::kDone || status == Status::kSent; }
  // The link gave up before a reply could be judged (Escape, no reply, no
  // port).
  bool abandoned() const {
    return status == Status::kAborted || status == Status::kNoReply || status == Status::kDeviceGone ||
           status == Status::kPortUnopenable;
  }
};

// The text the console shows for a refusal code the receiver reports:
// " Write Disabled" for 7; a code without a text of its own by its number.
std::string refusal_text(int code);

// A reply frame as received: bytes[0] holds its STX, length is the index of
// its ETX.
struct Reply {
  std::array<std::uint8_t, 513> bytes{};
  std::int32_t length = 0;
  // The byte at index i, or 0 when i lies beyond the ETX: scans through a
  // reply never read bytes that were not received with it.
  std::uint8_t at(int i) const;
};

// The status facts of a reply.
bool test_bit(std::uint8_t d, int bit);
bool reply_frame_ok(const Reply& reply, int receiver);
bool highway_ok(const Reply& reply, int highway);
bool hand_held_active(const Reply& reply);
bool eld_input_active(const Reply& reply);
bool reply_too_short(const Reply& reply);

// The next number of the reply from index on (a leading minus included);
// index is left behind it. False, and x keeps its value, when the text does
// not convert.
bool next_number(const Reply& reply, int& index, double& x);

}  // namespace kdv::link
