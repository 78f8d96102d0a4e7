// The receiver simulator's protocol core: a receiver that keeps its
// settings, transmitters and channels, reads request frames byte by byte and
// answers each with a reply frame built from its state. Live values move
// with every reading and their alarm states follow the thresholds. Fault
// switches make it misbehave the ways a line or a receiver can.
//
// Reply layout (indices as the link reads them): 0 STX, 1 status 1, 2
// status 2, 3 "b", 4 50h + receiver, 5 the command byte echoed, 6 a space,
// 7.. the command's data, then ETX. Status bytes carry 40h besides their
// bits, so they can never read as a frame byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/records.h"

namespace kdv::sim {

using Bytes = std::vector<std::uint8_t>;

struct Faults {
  bool no_reply = false;     // never answer
  bool short_reply = false;  // one data byte only: the ETX stands at index 6
  int wrong_frame = 0;       // 3 or 4: that frame byte of every reply is wrong
  int noise = 0;             // junk bytes sent before each reply's STX
  int refuse = -1;           // 0..9: refuse every request with this code
  bool tx_failed = false;    // status 2, bit 1: the transmitter failed
  bool hht = false;          // status 2, bit 2: a hand-held configurator is active
  bool bad_numbers = false;  // numbers and values in replies cannot be read
  // The first write hit is answered, once, with the reply to the request
  // before it, and not made: a stale reply that passes the frame test.
  bool stale_write_reply = false;
  int only_command = -1;     // the faults above hit only this command code
  std::size_t after = 0;     // ... and only from request number after + 1 on
  std::optional<Bytes> raw_reply;  // every reply is exactly these bytes
  int delay_ms = 0;          // replies leave this late (kdv578-sim only)
  int pause_ms = 0;          // a pause this long before reply byte pause_before (0: the STX)
  std::size_t pause_before = 0;
  std::optional<std::size_t> stop_after;  // a reply ends after this many bytes, without its ETX
  int trickle_ms = 0;        // every reply byte leaves this long after the one before
  // A write of this command code whose parameters begin with keep_old_at is
  // acknowledged but not stored: the receiver silently keeps its old value.
  int keep_old = -1;
  std::string keep_old_at;
};

// One request frame as received.
struct Request {
  int receiver = 0;
  int command = 0;
  std::string params;
};

class Receiver {
 public:
  Receiver();

  // The receiver's configuration and status. Besides the settings it holds
  // the switch banks (IPSWITCH lever 7 disables writing; HCASWITCH levers
  // 1..4 other than 15 and IPSWITCH levers 1..5 other than 0 put the serial
  // settings and the addresses under hardware control: the software values
  // are still kept and written, but the switches' are reported), HW1, HW2, ELD, the
  // versions (4 characters each in IPVER, HCAVER) and the confirmed
  // checksum (CHECKSUM).
  kdv::model::ReceiverRecord& state() { return state_; }
  // Adopts a saved configuration as the receiver's own (the .rxd loader
  // plugs in here).
  void load(const kdv::model::ReceiverRecord& record) { state_ = record; }

  Faults faults;
  int address = 0;        // the receiver number it answers to
  bool signed_off = false;
  bool unconfirmed = false;  // changed since the last confirm (status 2, bit 0)

  // One byte from the line; the reply bytes once a request frame is complete.
  Bytes receive(std::uint8_t b);
  // How long the reply just built should be held back (the delay fault).
  int reply_delay_ms() const { return reply_delay_ms_; }
  // The wait before byte k of the reply just built leaves (the pause and
  // trickle faults), after the one before or, for the STX, the request.
  int byte_delay_ms(std::size_t k) const;
  // The line was closed and opened again: a half-received frame is dropped.
  void line_reopened() { partial_.clear(); }

  // Every request frame received, in order.
  const std::vector<Request>& requests() const { return requests_; }
  void clear_requests() { requests_.clear(); }
  // Request frames received since start (clearing the log keeps the count).
  std::size_t frames() const { return frames_; }
  // The request bytes as they went over the line.
  static Bytes frame_of(const Request& q);

  // The working-memory checksum of the current configuration.
  std::int32_t checksum() const;

 private:
  struct Answer {
    int refuse = -1;
    std::string data;
  };
  Bytes answer(const Request& q);
  friend struct CommandSet;  // the command set's readers and writers (receiver.cpp)
  void reset(int kind);
  bool faulty(int command) const;
  double live_value(int t, int c);
  std::string number(double x) const;
  std::string value_text(double x) const;
  char unit_letter(int t, int c) const;
  bool comms_by_hardware() const;
  bool address_by_hardware() const;

  kdv::model::ReceiverRecord state_;
  Bytes partial_;
  std::vector<Request> requests_;
  std::size_t frames_ = 0;
  unsigned step_ = 0;  // advances with every live reading
  bool bad_numbers_now_ = false;  // the reply being built carries unreadable numbers
  Bytes last_reply_;              // the reply to the previous request
  bool stale_reply_sent_ = false;
  int reply_delay_ms_ = 0;
  bool timing_faults_now_ = false;  // the faults' pause and trickle hit the reply just built
};

}  // namespace kdv::sim
