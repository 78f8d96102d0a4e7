// The receiver link: the request/reply frame and its exchange with retries
// and error texts, and the receiver's commands. The port it talks through is
// in serial_port.h, how a command ended in outcome.h, the command codes and
// what a request can carry in command_set.h.
//
// Failures never travel as exceptions: every exchange and every command
// returns its `Outcome`, and callers decide what to show. The link never
// draws and never reads keys: what it needs from the program around it (the
// Escape check, the text on the bottom row, the waits for a hand-held
// configurator, a moment before each receive wait) goes through the
// installed `Host`; without one it runs quietly.
//
// Commands are made on a `Link`, which owns the port of its last exchange.
// By default each command stands on its own; a link made with
// `OnFailure::kCarry` runs a sequence: once a command failed, the commands
// after it send nothing and return that failure, while what they do to the
// record regardless (the clamps of the readings) still happens.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "link/outcome.h"
#include "link/serial_port.h"
#include "model/text.h"

namespace kdv::model {
struct ChannelRecord;
struct TransmitterRecord;
struct ReceiverRecord;
struct Session;
}

namespace kdv::link {

// What the link needs from the program around it.
class Host {
 public:
  virtual ~Host() = default;
  // Whether the user asked to stop: takes one waiting key, if any, and is
  // true for Escape; any other key is dropped.
  virtual bool escape() = 0;
  // Called before every wait for a reply byte.
  virtual void before_receive() = 0;
  // Puts text at the start of the bottom row ("Write Error" after an
  // abandoned reply); an empty text only moves there.
  virtual void status_text(std::string_view text) = 0;
  // Waits ms milliseconds (a hand-held configurator slows the receiver).
  virtual void pause(unsigned ms) = 0;
  // The descriptor keys arrive on while none waits in the program, for the
  // port to watch: a key poll then asks escape() only once input arrived
  // there. -1 (the default): every key poll asks escape().
  virtual int key_input() { return -1; }
  // The program's stop signal, which ends every wait of the link at once
  // and keeps it from beginning another request frame; a frame already
  // begun is finished. Null (the default): none.
  virtual const StopSignal* stop_signal() { return nullptr; }
};

// Installs the host the link serves (not owned); null restores the quiet
// one: no Escape, no text, real waits.
void set_host(Host* host);

// What a link does with the commands after a failed one.
enum class OnFailure : std::uint8_t {
  kGoOn,   // each command exchanges on its own
  kCarry,  // they send nothing and return the failure
};

class Request;  // the parameter bytes of one request (link_private.h)

// The receiver's command set, each command one exchange (with its retry)
// that moves the reply's fields into the session's record of receiver r; t
// and c number the transmitter (1..4) and channel (1..16). The link opens
// the session's chosen port.
//
// A SET operation sends only values its request carries as they stand:
// numbers a number field carries (carries), codes up to CFh (the digit 30h +
// code stays a byte and is never the STX or ETX of a frame) and a tag without
// control bytes. Otherwise it sends nothing and its outcome is kUnsendable,
// " Param Overange".
class Link {
 public:
  explicit Link(kdv::model::Session& session, OnFailure on_failure = OnFailure::kGoOn);
  ~Link();
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  // The outcome of the last command, or the failure the link carries.
  const Outcome& outcome() const { return state_; }
  bool failed() const { return state_.status != Status::kDone; }
  // The last reply frame received.
  const Reply& reply() const { return reply_; }
  // The session whose records the commands fill and send.
  kdv::model::Session& session() const { return session_; }

  // type: the transmitter type the reply reports (1 or 2).
  Outcome READ_INPUT(int r, int t, int c, int& type);
  Outcome READ_CJ(int r, int t);
  Outcome READ_NO_TX(int r);
  Outcome SET_NO_TX(int r);
  Outcome READ_TXTYPE(int r, int t);
  Outcome SET_TXTYPE(int r, int t);
  Outcome READ_INPTYPE(int r, int t, int c);
  Outcome SET_INPTYPE(int r, int t, int c);
  Outcome READ_ALARMS(int r, int t, int c);
  Outcome SET_ALARMS(int r, int t, int c);
  Outcome READ_TEMP(int r);
  Outcome SET_TEMP(int r);
  Outcome READ_LINEREJ(int r);
  Outcome SET_LINEREJ(int r);
  // type: the transmitter type the reply reports (1 or 2).
  Outcome READ_VALS(int r, int t, int& type);
  // The tag changes only when its reply arrives.
  Outcome READ_TAG(int r);
  Outcome SET_TAG(int r);
  Outcome SEND_CONFIRM(int r);
  Outcome SEND_RESET(int r, int kind);
  // One request on the port of the link's last exchange, whatever the link
  // carries; no reply is awaited or judged (kSent).
  Outcome SEND_SIGNOFF(int r);
  Outcome READ_DATAFMT(int r);
  Outcome SET_DATAFMT(int r);
  Outcome READ_CSUMMODE(int r);
  Outcome SET_CSUMMODE(int r);
  Outcome READ_COMMS(int r);
  Outcome SET_COMMS(int r);
  Outcome READ_ADDRESS(int r);
  Outcome SET_ADDRESS(int r);
  Outcome READ_VERS(int r);
  Outcome READ_CHECKSUM(int r);
  Outcome READ_SCALES(int r, int t, int c);
  Outcome SET_SCALES(int r, int t, int c);
  Outcome READ_SWITCHES(int r);

  friend Outcome sendable(kdv::model::Session& session, const std::function<void(Link&)>& requests);

 private:
  // What a wait for a reply byte found.
  enum class Arrival : std::uint8_t {
    kByte,
    kSilence,  // no byte within the wait (or no port)
    kGone,     // the line hung up
    kStopped,  // the stop signal, or Escape, ended the wait
  };
  // The steps of an exchange.
  void put_byte(std::uint8_t b);
  // Waits up to timeout_ms for the next reply byte, into b (0 unless one
  // came).
  Arrival get_byte(std::uint8_t& b, int timeout_ms);
  // Whether the program's stop signal is raised.
  bool stopped() const;
  // Sends one request frame: STX STX "c" 50h+receiver 30h+command, the
  // parameter bytes, ETX; Escape stops it (kAborted).
  Status send_request(int receiver, int command, const Request& request);
  // Collects one reply frame; anything but kDone abandons it.
  Status receive_reply();
  // The key poll after each byte sent or received: whether Escape was typed.
  bool escape_pressed();
  // One exchange with a retry of a bad, refused or too short reply.
  void exchange_with_retry(int receiver, int command, const Request& request);
  // Exchange, then up to two labelled numbers from the reply into a and b.
  void exchange_for_numbers(int receiver, int command, const Request& request, int fields, double& a, double& b);
  void judge(int receiver);

  // Command helpers (command_set.cpp).
  kdv::model::ReceiverRecord& rec(int r);
  kdv::model::TransmitterRecord& tx(int r, int t);
  kdv::model::ChannelRecord& chan(int r, int t, int c);
  void begin();
  bool exchange(int r, int command, const Request& request);
  Outcome send(int r, int command, const Request& request);
  void fail(Status status, std::string_view text);
  void data_error();
  std::uint8_t digit_at(int k) const;
  kdv::model::Text<20> value_text(int from, int to);
  kdv::model::Text<2> unit_at(int k) const;
  void read_channel(kdv::model::ChannelRecord& ch, int& i);

  kdv::model::Session& session_;
  OnFailure on_failure_;
  bool probing_ = false;     // sendable: requests are checked, not sent
  bool all_carried_ = true;  // every request checked so far carries its values
  std::unique_ptr<SerialPort> port_;
  bool connected_ = false;  // the port of the last attempt opened
  Reply reply_;
  bool hand_held_ = false;  // in the last reply judged
  Outcome state_;
};

// Whether every request of the SET operations that `requests` runs on the
// link it is given would carry its values; nothing is sent. Otherwise the
// outcome is kUnsendable, so a sequence of writes can be refused before its
// first frame.
Outcome sendable(kdv::model::Session& session, const std::function<void(Link&)>& requests);

}  // namespace kdv::link
