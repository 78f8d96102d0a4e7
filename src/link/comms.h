// The receiver link: the serial port, the request/reply frame and its
// exchange with retries and error texts, and the receiver's command set.
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
//
// The transport seam
// ------------------
// The exchange talks to the receiver through a `SerialPort`: connect to a
// port by name, configure the line, send a byte, receive a byte with a
// time-out, report the last error; destroying the object closes the port.
// Before every attempt of an exchange the link makes a fresh port object
// with the installed `PortFactory` (by default a `PosixSerialPort`, the real
// serial port) and connects it to the session's selected_port.
//
// Tests (and a scripted, screenless caller) plug the receiver simulator in
// as the port instead, in-process and in virtual time:
//
//     #include "sim_port.h"            // from sim/, library kdv578simcore
//     kdv::sim::Receiver rx;                 // a receiver with default settings
//     kdv::sim::PluggedIn plug(rx, session); // every exchange now reaches rx
//     rx.state().TAG_FIELD = "BOILER HOUSE 3           ";
//     rx.faults.refuse = 7;             // fault switches (sim/receiver.h)
//     kdv::link::Link(session).READ_TAG(0); // the outcome: refused, code 7
//     rx.requests();                    // every request frame it received
//
// PluggedIn restores the real port factory when it goes out of scope.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/setting_keys.h"
#include "model/text.h"

namespace kdv::model {
struct ChannelRecord;
struct TransmitterRecord;
struct ReceiverRecord;
struct Session;
}

namespace kdv::link {

// ---- Serial port (the seam) ------------------------------------------------

// Last-error codes besides the operating system's errno values.
inline constexpr int kNoError = 0;
inline constexpr int kTimeoutError = 9997;  // no byte within the time-out
inline constexpr int kHangupError = 9996;   // the line hung up (device gone, peer closed)
inline constexpr int kNotOpenError = 9995; // no port is open
inline constexpr int kWokenError = 9994;   // a watched descriptor (stop signal, keys) ended the wait

// A descriptor that every wait of the links watching it ends on, once it is
// raised; it stays raised. Whoever runs the links makes one and hands it to
// them through their host, so several links share one. Raising it is safe
// in a signal handler.
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  // The descriptor to watch: readable once raised; -1 when none could be made.
  int fd() const { return fd_; }
  void raise() const { raise(fd_); }
  bool raised() const;
  // Raises the signal whose descriptor is fd; async-signal-safe.
  static void raise(int fd);

 private:
  int fd_;
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the named port for exclusive use; on failure the object stays
  // closed and only the last-error code is set.
  virtual void connect_port(std::string_view name) = 0;
  // Line parameters; stop is a code (0: one stop bit, 2: two). No effect on
  // a port that is not open.
  virtual void configure(int baud, int bits, char parity, int stop, bool softflow,
                      bool hardflow) = 0;
  // Transmits one byte before returning; nothing on a closed port.
  virtual void send_byte(std::uint8_t b) = 0;
  // The next received byte, or 0 when none arrives within timeout_ms, the
  // line hung up (the port is then closed), the port is not open, or a
  // watched descriptor became readable first; last_error() tells which.
  virtual std::uint8_t receive_byte(int timeout_ms) = 0;
  // The error of the last connect, send or receive; kNoError after a good one.
  virtual int last_error() const = 0;
  // Whether input arrived on descriptor fd (the keyboard) since the last
  // call. A port that watches fd in its own waits answers from them, so
  // that the link's key polls cost nothing while no key is typed; any other
  // port cannot tell and answers true.
  virtual bool input_seen(int fd) {
    (void)fd;
    return true;
  }
  // Every later receive wait also ends, with kWokenError, once fd is
  // readable (-1: none). A port that cannot watch it ignores it.
  virtual void stop_on(int fd) { (void)fd; }
  // Milliseconds of the clock the port's waits run on.
  virtual std::int64_t clock_ms() const;
};

using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

// Installs the factory of the port objects links make; an empty factory
// restores the real serial port.
void set_port_factory(PortFactory factory);

// The real serial port over POSIX termios: exclusive open, raw 9600 8N1,
// DTR and RTS raised, both queues flushed on connect, a per-byte receive
// deadline; errors are recorded as codes, never thrown.
class PosixSerialPort : public SerialPort {
 public:
  PosixSerialPort() = default;
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  void connect_port(std::string_view name) override;
  void configure(int baud, int bits, char parity, int stop, bool softflow,
              bool hardflow) override;
  void send_byte(std::uint8_t b) override;
  // A hang-up closes the port at once, so the device can be opened again
  // (a replugged adapter).
  std::uint8_t receive_byte(int timeout_ms) override;
  int last_error() const override { return last_error_; }
  // The receive wait watches fd along with the line (from the first call
  // on): input there ends a wait that has no byte to hand out, once per
  // byte awaited. A call with no wait since the last one looks at fd itself.
  // Bytes handed out of the buffer carry what the wait that read them saw.
  bool input_seen(int fd) override;
  void stop_on(int fd) override { stop_fd_ = fd; }

  bool is_open() const { return fd_ >= 0; }
  // Whether a receive met a hang-up (as opposed to a time-out).
  bool hung_up() const { return hung_up_; }

 private:
  void close_port();
  void hang_up();
  bool apply_line(int baud, int bits, char parity, int stop, bool softflow, bool hardflow);
  void fail(int code) { last_error_ = code; }

  int fd_ = -1;
  int last_error_ = kNoError;
  bool hung_up_ = false;
  std::uint8_t buffer_[256] = {};
  int buffered_ = 0;  // bytes in buffer_
  int next_ = 0;      // next byte to hand out
  int watched_ = -1;           // the descriptor input_seen asks about
  bool input_seen_ = false;    // input on it, not yet told
  bool looked_ = false;        // a wait looked at it since the last input_seen
  bool key_woke_ = false;      // input there ended a wait for the byte awaited
  int stop_fd_ = -1;
};

// The device a port name opens: "COMn" (any case) is /dev/ttyS(n-1), a path
// (containing '/') is used as given, any other name lives in /dev.
std::string device_path(std::string_view name);

// The serial ports of the machine as bare names joined by commas: entries of
// the sysfs tty class that have a device, without legacy UARTs of type 0,
// in natural order. KDV578_PORTS, when set, is the whole list instead
// (blanks around its entries dropped).
std::string serial_port_names(const std::string& sysfs_root = "/sys/class/tty");

// ---- Outcomes -------------------------------------------------------------------

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

// ---- The host -------------------------------------------------------------------

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

// ---- Framing ---------------------------------------------------------------------

// A reply frame as received: bytes[0] holds its STX, length is the index of
// its ETX.
struct Reply {
  std::array<std::uint8_t, 513> bytes{};
  std::int32_t length = 0;
  // The byte at index i, or 0 when i lies beyond the ETX: scans through a
  // reply never read bytes that were not received with it.
  std::uint8_t at(int i) const;
};

// A new port object from the installed factory, connected to the name and
// configured 9600 8N1 without flow control; connected, when given, tells
// whether the connect succeeded.
std::unique_ptr<SerialPort> make_port(std::string_view name, bool* connected = nullptr);

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
// x with 3 decimals right-aligned in 10 characters (wider when needed).
std::string number_field_text(double x);
// Whether a number field, the first 10 characters of number_field_text(x), carries the
// number number_field_text(x) writes: a longer text may lose only zeros of its fraction.
// NaN and infinity are never carried.
bool carries(double x);
// Whether a code goes out as one digit byte, 30h + code: up to CFh, so it
// stays a byte and is never the STX or ETX of a frame.
bool carries_digit(int code);
// Whether a text goes out as it stands: no control bytes.
bool carries_text(std::string_view text);
// Why a SET operation could not send a setting's value as it stands (a
// number whose text exceeds the 10-character field, a code whose digit
// would pass FFh, a control byte in a text), or nothing.
std::optional<std::string> why_uncarried(const kdv::model::SettingKey& key, const kdv::model::Value& value);
// What a SET operation sends for a number its field carries only rounded to
// three decimals (80.0004 goes out as 80.000), or nothing.
std::optional<std::string> why_rounded(const kdv::model::SettingKey& key, const kdv::model::Value& value);
// What the reads leave in the record of what the receiver reports: an input
// type the transmitter's type does not admit reads as 0 (mV, mA), a drive
// above 2 as 0 (upscale), a tag as 25 characters with bytes outside 20h..7Ah
// read as blanks.
bool admits_input_type(int txtype, int code);
int input_type_as_read(int txtype, int code);
int drive_as_read(int code);
std::string tag_as_read(std::string_view tag);
// Converts a decimal real (sign, digits, point, exponent), independent of
// the locale; false when the whole text is not such a number.
bool parse_decimal(std::string_view text, double& x);

// The line-bits digit of the Modbus serial settings (bit 0: two stop bits,
// bit 1: parity, bit 3: odd parity, bit 2: 8 data bits), and back.
int line_bits_digit(int stop, int parity, int dbits);
void from_line_bits_digit(int bits, std::uint8_t& stop, std::uint8_t& parity, std::uint8_t& dbits);

// ---- Command set ------------------------------------------------------------

// Command codes; a request carries 30h + code.
enum CommandCode : int {
  kCommandInput = 1, kCommandColdJunction = 2, kCommandTransmitterCount = 4, kCommandTransmitterType = 5, kCommandInputType = 6, kCommandAlarms = 8,
  kCommandTemperatureUnits = 11, kCommandLineRejection = 15, kCommandValues = 16, kCommandTag = 17, kCommandConfirm = 25,
  kCommandReset = 26, kCommandSignoff = 28, kCommandDataFormat = 29, kCommandChecksumMode = 30, kCommandSerialSettings = 31,
  kCommandAddress = 32, kCommandVersions = 33, kCommandChecksum = 34, kCommandScales = 35, kCommandSwitches = 36
};

void init_pc_comms(int port);

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
  void put_byte(int port, std::uint8_t b);
  // Waits up to timeout_ms for the next reply byte, into b (0 unless one
  // came).
  Arrival get_byte(int port, std::uint8_t& b, int timeout_ms);
  // Whether the program's stop signal is raised.
  bool stopped() const;
  // Sends one request frame: STX STX "c" 50h+receiver 30h+command, the
  // parameter bytes, ETX; Escape stops it (kAborted).
  Status send_request(int port, int receiver, int command, const Request& request);
  // Collects one reply frame; anything but kDone abandons it.
  Status receive_reply(int port);
  // The key poll after each byte sent or received: whether Escape was typed.
  bool escape_pressed();
  // One exchange with a retry of a bad, refused or too short reply.
  void exchange_with_retry(int port, int receiver, int command, const Request& request);
  // Exchange, then up to two labelled numbers from the reply into a and b.
  void exchange_for_numbers(int receiver, int command, const Request& request, int fields, double& a, double& b);
  void judge(int receiver);

  // Command helpers (commands.cpp).
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
