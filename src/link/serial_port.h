// The serial port the link talks through: the port interface, the real
// POSIX port, the factory the link makes its ports with, the stop signal
// every wait watches, and the names of the machine's ports.
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

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kdv::link {

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

// Why a device could not be opened, after its path: "cannot open: Permission
// denied (the device belongs to group dialout)" for EACCES or EPERM (the
// group left out when unknown), "in use by another program" for EBUSY, "no
// such device" for ENOENT, ENODEV and ENXIO, otherwise "cannot open: " and
// the system's text for the error.
std::string unopenable_port_text(std::string_view path, int error, std::string_view group);

// The name of the group that owns the device at path; empty when it cannot
// be told.
std::string device_group(const std::string& path);

// The serial ports of the machine as bare names joined by commas: entries of
// the sysfs tty class that have a device, without legacy UARTs of type 0,
// in natural order. KDV578_PORTS, when set, is the whole list instead
// (blanks around its entries dropped).
std::string serial_port_names(const std::string& sysfs_root = "/sys/class/tty");

// A new port object from the installed factory, connected to the name and
// configured 9600 8N1 without flow control; connected, when given, tells
// whether the connect succeeded.
std::unique_ptr<SerialPort> make_port(std::string_view name, bool* connected = nullptr);

}  // namespace kdv::link
