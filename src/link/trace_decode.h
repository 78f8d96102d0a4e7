// Reading a frame trace (link/trace.h) back as exchanges: each request with
// the command it makes, its parameters and the reply's fields under the keys
// of the configuration text format, the reply's verdict and the turnaround.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kdv::model {
struct ReceiverRecord;
}

namespace kdv::link {

enum class Verdict : std::uint8_t {
  kGood,     // a good reply
  kRefused,  // the receiver refused the request
  kInvalid,  // a reply whose frame is wrong or too short
  kNoReply,  // no complete reply: silence, junk, a hang-up, no port
  kSent,     // a signoff, which awaits no reply
  kCut,      // the request was cut short (Escape) and never ended
  kAborted,  // Escape or the program's stop signal ended the wait for the reply
};

// "good", "refused", "invalid", "no reply", "sent", "cut short", "aborted".
std::string_view verdict_name(Verdict v);

struct TracedSetting {
  std::string key;    // "tx1.ch3.high_alarm"; a request's other parameters by a plain name ("kind")
  std::string value;  // as the text format writes it: names for codes, numbers as sent
};

struct TracedExchange {
  int line = 0;           // the request's line in the trace, from 1
  std::int64_t ms = 0;    // when the request was complete
  std::string attempt;    // empty in the simulator's trace
  int receiver = -1;      // -1 when no request frame could be read
  std::string command;    // "SET_SCALES"; "command 45" for a code the console never sends
  std::string place;      // the table the command is about ("tx1.ch3"), or empty
  std::vector<TracedSetting> parameters;
  std::vector<TracedSetting> fields;  // of a good reply
  Verdict verdict = Verdict::kNoReply;
  int refusal = -1;       // the receiver's code, for kRefused
  std::string text;       // the refusal's or the fault's text
  std::optional<std::int64_t> turnaround_ms;  // from the request's end to the reply's ETX
};

struct DecodedTrace {
  std::vector<TracedExchange> exchanges;
  std::vector<std::string> damaged;  // "line 7: no direction", one per line that does not read
};

// Never fails: lines that do not read are reported in `damaged` and skipped.
DecodedTrace decode_trace(std::string_view text);

// One request frame, STX to ETX, read as a trace reads it: its command and
// parameters. Input types are named by the transmitter types of rx.
TracedExchange decode_request(const std::vector<std::uint8_t>& frame, const kdv::model::ReceiverRecord& rx);

// The fields of a good reply (STX to ETX) to a request frame; none for a
// SET operation's reply.
std::vector<TracedSetting> decode_reply(const std::vector<std::uint8_t>& request,
                                        const std::vector<std::uint8_t>& reply, const kdv::model::ReceiverRecord& rx);

}  // namespace kdv::link
