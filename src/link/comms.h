// The receiver link: the serial port, the request/reply frame and its
// exchange with retries and error texts, and the receiver's command set.
//
// Failures never travel as exceptions: every exchange reports through the
// shared flags of the data model (globals::MSGERROR, BREAKOUT, ERRMSG,
// OLDVALS, HHT) and callers judge the outcome by them.
//
// The transport seam
// ------------------
// The exchange talks to the receiver through a `SerialPort`: connect to a
// port by name, configure the line, send a byte, receive a byte with a
// time-out, report the last error; destroying the object closes the port.
// Before every attempt of an exchange the link makes a fresh port object
// with the installed `PortFactory` (by default a `TBlockSerial`, the real
// serial port) and connects it to globals::SELECTED_PORT_NAME.
//
// Tests (and a scripted, screenless caller) plug the receiver simulator in
// as the port instead, in-process and in virtual time:
//
//     #include "sim_port.h"            // from sim/, library kdv578simcore
//     sim::Receiver rx;                 // a receiver with default settings
//     sim::PluggedIn plug(rx);          // every exchange now reaches rx
//     rx.state().TAG_FIELD = "BOILER HOUSE 3           ";
//     rx.faults.refuse = 7;             // fault switches (sim/receiver.h)
//     comms::READ_TAG(0);               // fills globals::RX().TAG_FIELD
//     rx.requests();                    // every request frame it received
//
// PluggedIn restores the real port factory when it goes out of scope.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/setting_keys.h"

namespace comms {

// ---- Serial port (the seam) ------------------------------------------------

// Last-error codes besides the operating system's errno values.
inline constexpr int ERR_NONE = 0;
inline constexpr int ERR_TIMEOUT = 9997;  // no byte within the time-out
inline constexpr int ERR_HANGUP = 9996;   // the line hung up (device gone, peer closed)
inline constexpr int ERR_NOT_OPEN = 9995; // no port is open

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the named port for exclusive use; on failure the object stays
  // closed and only the last-error code is set.
  virtual void CONNECT(std::string_view name) = 0;
  // Line parameters; stop is a code (0: one stop bit, 2: two). No effect on
  // a port that is not open.
  virtual void CONFIG(int baud, int bits, char parity, int stop, bool softflow,
                      bool hardflow) = 0;
  // Transmits one byte before returning; nothing on a closed port.
  virtual void SENDBYTE(std::uint8_t b) = 0;
  // The next received byte, or 0 when none arrives within timeout_ms, the
  // line hung up or the port is not open.
  virtual std::uint8_t RECVBYTE(int timeout_ms) = 0;
  virtual int LASTERROR() const = 0;
};

using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

// Installs the factory of the port objects the link uses and frees the open
// port object; an empty factory restores the real serial port.
void SetPortFactory(PortFactory factory);

// The real serial port over POSIX termios: exclusive open, raw 9600 8N1,
// DTR and RTS raised, both queues flushed on connect, a per-byte receive
// deadline; errors are recorded as codes, never thrown.
class TBlockSerial : public SerialPort {
 public:
  TBlockSerial() = default;
  ~TBlockSerial() override;
  TBlockSerial(const TBlockSerial&) = delete;
  TBlockSerial& operator=(const TBlockSerial&) = delete;

  void CONNECT(std::string_view name) override;
  void CONFIG(int baud, int bits, char parity, int stop, bool softflow,
              bool hardflow) override;
  void SENDBYTE(std::uint8_t b) override;
  std::uint8_t RECVBYTE(int timeout_ms) override;
  int LASTERROR() const override { return last_error_; }

  bool IS_OPEN() const { return fd_ >= 0; }
  // Whether a receive met a hang-up (as opposed to a time-out).
  bool HUNG_UP() const { return hung_up_; }

 private:
  void close_port();
  bool apply_line(int baud, int bits, char parity, int stop, bool softflow, bool hardflow);
  void fail(int code) { last_error_ = code; }

  int fd_ = -1;
  int last_error_ = ERR_NONE;
  bool hung_up_ = false;
  std::uint8_t buffer_[256] = {};
  int buffered_ = 0;  // bytes in buffer_
  int next_ = 0;      // next byte to hand out
};

// The device a port name opens: "COMn" (any case) is /dev/ttyS(n-1), a path
// (containing '/') is used as given, any other name lives in /dev.
std::string DEVICE_PATH(std::string_view name);

// The serial ports of the machine as bare names joined by commas: entries of
// the sysfs tty class that have a device, without legacy UARTs of type 0,
// in natural order. KDV578_PORTS, when set, is the whole list instead
// (blanks around its entries dropped).
std::string GETSERIALPORTNAMES(const std::string& sysfs_root = "/sys/class/tty");

// ---- Framing and exchange ---------------------------------------------------

// Closes the port and clears the buffers and results of the last exchange,
// as at process start; the installed port factory stays.
void RESET_STATE();
// Frees the previous port object, makes a new one, connects it to the name
// and configures 9600 8N1 without flow control.
void INIT_COMPORT(std::string_view name);
void AUXOUT(int port, std::uint8_t b);
std::uint8_t AUXIN(int port);
// Sends one request frame: STX STX "c" 50h+receiver 30h+command, the first
// n bytes of the parameter buffer, ETX; Escape stops it.
void POLL_RX(int port, int receiver, int command, int n);
// Collects one reply frame into the reply buffer.
void GET_DATA(int port);

bool TSTBIT(std::uint8_t d, int bit);
bool RXMSGOK(int receiver);
bool HIGHWAYOK(int highway);
bool QDU57();
bool ELDINPUT();
bool CRCERROR();

// One exchange with a retry of a bad, refused or too short reply.
void DISCOURSE(int port, int receiver, int command, int n);
// Exchange, then up to two labelled numbers from the reply into a and b.
void ENQUIRE(int receiver, int command, int n, int fields, double& a, double& b);
// The next number of the reply from index on (a leading minus included);
// index is left behind it. False, and x keeps its value, when the text does
// not convert.
bool GETPARAMETER(int& index, double& x);
// x with 3 decimals right-aligned in 10 characters (wider when needed).
std::string IOSTR(double x);
// Whether a number field, the first 10 characters of IOSTR(x), carries the
// number IOSTR(x) writes: a longer text may lose only zeros of its fraction.
// NaN and infinity are never carried.
bool CARRIES(double x);
// Whether a code goes out as one digit byte, 30h + code: up to CFh, so it
// stays a byte and is never the STX or ETX of a frame.
bool CARRIES_DIGIT(int code);
// Whether a text goes out as it stands: no control bytes.
bool CARRIES_TEXT(std::string_view text);
// Why a SET operation could not send a setting's value as it stands (a
// number whose text exceeds the 10-character field, a code whose digit
// would pass FFh, a control byte in a text), or nothing.
std::optional<std::string> UNCARRIED(const globals::SettingKey& key, const globals::Value& value);
// Converts a decimal real (sign, digits, point, exponent), independent of
// the locale; false when the whole text is not such a number.
bool DECIMAL(std::string_view text, double& x);

// The line-bits digit of the Modbus serial settings (bit 0: two stop bits,
// bit 1: parity, bit 3: odd parity, bit 2: 8 data bits), and back.
int LINE_BITS(int stop, int parity, int dbits);
void FROM_LINE_BITS(int bits, std::uint8_t& stop, std::uint8_t& parity, std::uint8_t& dbits);

bool ISESCAPE();
void WRTERROR();
// WRTERROR, then the error line blanked again: width blanks at column 5,
// row 23 on the BACK colour (the transfers blank 23 or 24).
void WRTERROR_BLANKED(int width);
void WRTWORKING();

// ---- Command set ------------------------------------------------------------

// Command codes; a request carries 30h + code.
enum COMMAND : int {
  CMD_INPUT = 1, CMD_CJ = 2, CMD_NO_TX = 4, CMD_TXTYPE = 5, CMD_INPTYPE = 6, CMD_ALARMS = 8,
  CMD_TEMP = 11, CMD_LINEREJ = 15, CMD_VALS = 16, CMD_TAG = 17, CMD_CONFIRM = 25,
  CMD_RESET = 26, CMD_SIGNOFF = 28, CMD_DATAFMT = 29, CMD_CSUMMODE = 30, CMD_COMMS = 31,
  CMD_ADDRESS = 32, CMD_VERS = 33, CMD_CHECKSUM = 34, CMD_SCALES = 35, CMD_SWITCHES = 36
};

void INITPCCOMMS(int port);

// A SET operation sends only values its request carries as they stand:
// numbers a number field carries (CARRIES), codes up to CFh (the digit 30h +
// code stays a byte and is never the STX or ETX of a frame) and a tag without
// control bytes. Otherwise it sends nothing and fails with MSGERROR and
// " Param Overange".
//
// Whether every request of the SET operations that `requests` runs would
// carry its values; nothing is sent. False sets MSGERROR and " Param
// Overange", so a sequence of writes can be refused before its first frame.
bool SENDABLE(const std::function<void()>& requests);

int READ_INPUT(int r, int t, int c);
void READ_CJ(int r, int t);
void READ_NO_TX(int r);
void SET_NO_TX(int r);
void READ_TXTYPE(int r, int t);
void SET_TXTYPE(int r, int t);
void READ_INPTYPE(int r, int t, int c);
void SET_INPTYPE(int r, int t, int c);
void READ_ALARMS(int r, int t, int c);
void SET_ALARMS(int r, int t, int c);
void READ_TEMP(int r);
void SET_TEMP(int r);
void READ_LINEREJ(int r);
void SET_LINEREJ(int r);
int READ_VALS(int r, int t);
// The tag changes only when its reply arrives.
void READ_TAG(int r);
void SET_TAG(int r);
void SEND_CONFIRM(int r);
void SEND_RESET(int r, int kind);
void SEND_SIGNOFF(int r);
void READ_DATAFMT(int r);
void SET_DATAFMT(int r);
void READ_CSUMMODE(int r);
void SET_CSUMMODE(int r);
void READ_COMMS(int r);
void SET_COMMS(int r);
void READ_ADDRESS(int r);
void SET_ADDRESS(int r);
void READ_VERS(int r);
void READ_CHECKSUM(int r);
void READ_SCALES(int r, int t, int c);
void SET_SCALES(int r, int t, int c);
void READ_SWITCHES(int r);

}  // namespace comms
