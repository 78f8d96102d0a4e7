// The request/reply frame, its exchange with retry, reply judging and the
// error texts, the installed seams, and the helpers that turn reply bytes
// into numbers and numbers into parameters.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <string>
#include <thread>

#include "link/command_set.h"
#include "link/link.h"
#include "link/link_private.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "link/trace.h"
#include "model/records.h"
#include "model/session.h"

namespace kdv::link {

using namespace kdv::model;

namespace {

// The installed seams: the factory of port objects and the host.
PortFactory port_factory;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
Host* installed_host = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// The host of a program that installed none: no Escape, no texts, real waits.
class QuietHost final : public Host {
 public:
  bool escape() override { return false; }
  void before_receive() override {}
  void status_text(std::string_view) override {}
  void pause(unsigned ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

constexpr std::string_view kAbortedText = "  ABORTED   ";

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// The number text an exchange_for_numbers field starts at i: digits 10..15 arrive as
// ":" to "?" and read as "10" to "15".
std::string enquire_number(const Reply& reply, int& i) {
  std::string text;
  for (;; ++i) {
    const std::uint8_t c = reply.at(i);
    if (c >= 0x3A && c <= 0x3F) {
      text += '1';
      text += static_cast<char>(c - 0x0A);
    } else if (is_digit(c) || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      text += static_cast<char>(c);
    } else {
      break;
    }
  }
  return kdv::model::Text<20>(text).str();
}

}  // namespace

void set_port_factory(PortFactory factory) { port_factory = std::move(factory); }

void set_host(Host* h) { installed_host = h; }

Host& host() {
  static QuietHost quiet;
  if (installed_host) return *installed_host;
  return quiet;
}

std::uint8_t Reply::at(int i) const {
  if (i < 0 || i > length || i >= static_cast<int>(bytes.size())) return 0;
  return bytes[static_cast<std::size_t>(i)];
}

std::unique_ptr<SerialPort> make_port(std::string_view name, bool* connected) {
  std::unique_ptr<SerialPort> port =
      traced(port_factory ? port_factory() : std::make_unique<PosixSerialPort>());
  port->connect_port(name);
  if (connected) *connected = port->last_error() == kNoError;
  port->configure(9600, 8, 'N', 0, false, false);
  if (const StopSignal* stop = host().stop_signal()) port->stop_on(stop->fd());
  return port;
}

Link::Link(Session& session, OnFailure on_failure) : session_(session), on_failure_(on_failure) {}

Link::~Link() = default;

void Link::put_byte(std::uint8_t b) {
  if (port_) port_->send_byte(b);
}

Link::Arrival Link::get_byte(std::uint8_t& b, int timeout_ms) {
  host().before_receive();
  b = 0;
  if (!port_) return Arrival::kSilence;
  const std::int64_t deadline = port_->clock_ms() + timeout_ms;
  for (int left = timeout_ms;; left = static_cast<int>(deadline - port_->clock_ms())) {
    if (left <= 0) return Arrival::kSilence;
    b = port_->receive_byte(left);
    switch (port_->last_error()) {
      case kNoError: return Arrival::kByte;
      case kHangupError: return Arrival::kGone;
      case kWokenError:
        // A key other than Escape is dropped and the wait goes on.
        if (stopped() || escape_pressed()) return Arrival::kStopped;
        break;
      default: b = 0; return Arrival::kSilence;
    }
  }
}

bool Link::stopped() const {
  const StopSignal* stop = host().stop_signal();
  return stop && stop->raised();
}

bool Link::escape_pressed() {
  const int keys = host().key_input();
  if (keys >= 0 && port_ && !port_->input_seen(keys)) return false;
  return host().escape();
}

Status Link::send_request(int receiver, int command, const Request& request) {
  std::fill_n(reply_.bytes.begin(), 11, 0);
  // Once the program is stopping no frame begins; one begun is finished.
  if (stopped()) return Status::kAborted;
  // Each byte is followed by a key poll; Escape stops the frame.
  auto send_byte = [this](std::uint8_t b) {
    put_byte(b);
    return !escape_pressed();
  };
  const std::uint8_t header[] = {kFrameStart, kFrameStart, 'c', static_cast<std::uint8_t>(0x50 + receiver),
                                 static_cast<std::uint8_t>(0x30 + command)};
  for (std::uint8_t b : header)
    if (!send_byte(b)) return Status::kAborted;
  for (int i = 0; i < request.count(); ++i)
    if (!send_byte(request[i])) return Status::kAborted;
  put_byte(kFrameEnd);
  return Status::kDone;
}

Status Link::receive_reply() {
  auto abandon = [this](bool receiving, Status why) {
    if (why == Status::kAborted) trace_note(TraceEvent::kAborted, "Escape or the stop signal ended the wait");
    host().status_text(receiving ? "Write Error               " : "");
    if (why == Status::kNoReply && !connected_) why = Status::kPortUnopenable;
    return why;
  };
  // The STX must come among the first four bytes; a time-out reads as 0.
  for (int read = 1;; ++read) {
    const Arrival arrival = get_byte(reply_.bytes[0], kReceiveTimeoutMs);
    if (arrival == Arrival::kGone) return abandon(false, Status::kDeviceGone);
    if (arrival == Arrival::kStopped) return abandon(false, Status::kAborted);
    if (read == 5) return abandon(false, Status::kNoReply);
    if (stopped() || escape_pressed()) return abandon(false, Status::kAborted);
    if (reply_.bytes[0] == kFrameStart) break;
  }
  // After the STX every byte must come within the byte time-out, and the
  // ETX within kReplyLimitMs: a gap or an endless reply is abandoned.
  const std::int64_t started = port_ ? port_->clock_ms() : 0;
  for (std::size_t i = 1;; ++i) {
    const std::int64_t elapsed = port_ ? port_->clock_ms() - started : 0;
    const int wait = static_cast<int>(std::min<std::int64_t>(kReceiveTimeoutMs, kReplyLimitMs - elapsed));
    switch (get_byte(reply_.bytes[i], wait)) {
      case Arrival::kByte: break;
      case Arrival::kGone: return abandon(true, Status::kDeviceGone);
      case Arrival::kStopped: return abandon(true, Status::kAborted);
      case Arrival::kSilence:
        if (wait < kReceiveTimeoutMs)
          trace_note(TraceEvent::kCut, "no ETX " + std::to_string(port_ ? port_->clock_ms() - started : 0) +
                                           " ms after the STX, " + std::to_string(i) + " bytes received");
        return abandon(true, Status::kNoReply);
    }
    if (i == 512) return abandon(true, Status::kNoReply);
    if (stopped() || escape_pressed()) return abandon(true, Status::kAborted);
    if (reply_.bytes[i] == kFrameEnd) {
      reply_.length = static_cast<std::int32_t>(i);
      return Status::kDone;
    }
  }
}

bool test_bit(std::uint8_t d, int bit) { return (d & (1u << bit)) != 0; }

bool reply_frame_ok(const Reply& reply, int receiver) {
  return reply.bytes[0] == kFrameStart && reply.bytes[3] == 0x62 && reply.bytes[4] == 0x50 + receiver;
}

bool highway_ok(const Reply& reply, int highway) {
  if (highway == 1) return test_bit(reply.bytes[1], 2);
  if (highway == 2) return test_bit(reply.bytes[1], 1);
  return false;
}

bool hand_held_active(const Reply& reply) { return test_bit(reply.bytes[2], 2); }
bool eld_input_active(const Reply& reply) { return !test_bit(reply.bytes[1], 0); }
bool reply_too_short(const Reply& reply) { return reply.length <= 6; }

// Judges a complete reply. Where several faults meet, the text of the last
// one tested stands: a refusal, then a short reply, then a bad frame.
void Link::judge(int receiver) {
  if (ReceiverRecord* record = session_.receivers[static_cast<std::size_t>(receiver)].get()) {
    record->STATUS1 = reply_.bytes[1];
    record->STATUS2 = reply_.bytes[2];
  }
  Outcome& o = state_;
  o.status1 = reply_.bytes[1];
  o.status2 = reply_.bytes[2];
  o.old_values = test_bit(reply_.bytes[2], 1);
  o.hand_held = hand_held_ = hand_held_active(reply_);
  o.refusal = 0;
  o.status = Status::kDone;
  o.text = o.old_values ? " Tx Failed" : "";
  if (!reply_frame_ok(reply_, receiver)) {
    o.status = Status::kInvalidReply;
    o.text = " Invalid Response";
  }
  if (reply_too_short(reply_)) {
    o.status = Status::kShortReply;
    o.text = " CRC Error";
  }
  if (test_bit(reply_.bytes[2], 3)) {
    const std::uint8_t code = static_cast<std::uint8_t>(reply_.at(7) - 0x30);
    o.status = Status::kRefused;
    o.refusal = code;
    o.text = refusal_text(code);
  }
}

void Link::exchange_with_retry(int receiver, int command, const Request& request) {
  if (failed()) return;
  for (int attempt = 1;; ++attempt) {
    port_.reset();  // closed before the next open: the port is for exclusive use
    trace_attempt(attempt);
    port_ = make_port(session_.selected_port, &connected_);
    Status sent = send_request(receiver, command, request);
    if (sent == Status::kDone) sent = receive_reply();
    if (sent != Status::kDone) return fail(sent, kAbortedText);
    judge(receiver);
    if (!failed() || attempt == 2) return;
  }
}

void Link::exchange_for_numbers(int receiver, int command, const Request& request, int fields, double& a,
                   double& b) {
  int attempts = 0;
  bool again = false;
  do {
    again = false;
    if (failed()) return;
    ++attempts;
    exchange_with_retry(receiver, command, request);
    if (failed()) return;
    // The numbers follow the first CR, or the second when parameters were sent.
    int i = 1;
    while (i <= reply_.length && reply_.at(i) != kCarriageReturn) ++i;
    if (request.count() > 0)
      for (++i; i <= reply_.length && reply_.at(i) != kCarriageReturn;) ++i;
    ++i;
    for (int k = 1; k <= fields; ++k) {
      while (std::string_view("\n\r HLR").find(static_cast<char>(reply_.at(i))) !=
             std::string_view::npos)
        ++i;
      double x = 0;
      if (parse_decimal(enquire_number(reply_, i), x)) {
        (k == 1 ? a : b) = x;
      } else {
        again = true;
        if (attempts == 2) data_error();
      }
    }
  } while (again && !failed());
  // What it read becomes the old values of the next change's journal line.
  if (!failed()) report_sent(session_, receiver, command, request, state_, reply_);
}

bool next_number(const Reply& reply, int& index, double& x) {
  auto numeric = [](std::uint8_t c) { return is_digit(c) || c == '.' || c == ':' || c == ';'; };
  const int start = index;
  while (index <= reply.length && !numeric(reply.at(index))) ++index;
  // A minus sign right before the digits belongs to the number.
  std::string text = index > start && reply.at(index - 1) == '-' ? "-" : "";
  for (; numeric(reply.at(index)); ++index) text += static_cast<char>(reply.at(index));
  double value = 0;
  if (!parse_decimal(text, value)) return false;
  x = value;
  return true;
}

}  // namespace kdv::link
