// The receiver's command set: one operation per setting, each filling the
// parameter buffer, running one exchange and moving the reply's fields into
// the configuration record.
#include <functional>
#include <string>

#include "link/link_private.h"
#include "model/globals.h"
#include "ui/crt.h"

namespace comms {

using namespace globals;

namespace {

// Builds the parameter bytes of one request and notes whether they carry
// every value as it stands.
class Params {
 public:
  // One byte 30h + value: 10..15 give ":" to "?", larger values go on up to
  // CFh, the last that stays a byte.
  Params& digit(int v) {
    if (!CARRIES_DIGIT(v)) carried_ = false;
    return put(static_cast<std::uint8_t>(0x30 + v));
  }
  // A byte value as two digits, high nibble first.
  Params& two_digit(byte v) { return digit(v / 16).digit(v % 16); }
  // The first 10 characters of IOSTR.
  Params& number(double x) {
    if (!CARRIES(x)) carried_ = false;
    return text(IOSTR(x).substr(0, 10));
  }
  // Text without control bytes.
  Params& text(std::string_view s) {
    if (!CARRIES_TEXT(s)) carried_ = false;
    for (char c : s) put(static_cast<std::uint8_t>(c));
    return *this;
  }
  Params& put(std::uint8_t b) {
    PARRAY[static_cast<std::size_t>(n_++)] = b;
    return *this;
  }
  int count() const { return n_; }
  bool carried() const { return carried_; }

 private:
  int n_ = 0;
  bool carried_ = true;
};

bool probing = false;  // SENDABLE is running: requests are checked, not sent
bool carried = true;   // every request checked so far carries its values

void overange() {
  MSGERROR = true;
  ERRMSG = " Param Overange";
}

// Runs the exchange; true when it succeeded. A request that would not carry
// its values is never sent.
bool exchange(int r, int command, const Params& p = Params()) {
  if (probing) {
    carried = carried && p.carried();
    return false;
  }
  if (!p.carried()) {
    if (!MSGERROR) overange();
    return false;
  }
  DISCOURSE(PORT, r, command, p.count());
  return !MSGERROR;
}

RECIEVER_DATA& rec(int r) { return *RECEIVER[r]; }
TRANSMITTER_DATA& tx(int r, int t) { return rec(r).TRANSMITTER[t]; }
CHANNEL_DATA& chan(int r, int t, int c) { return tx(r, t).CHANNEL[c]; }

// The digit at index k of the reply: its byte minus 30h, as an unsigned byte.
byte DIGIT(int k) { return static_cast<byte>(REPLY(k) - 0x30); }

// Right-aligned to 11 characters; a longer text keeps up to 20.
Text<20> right_aligned(std::string s) {
  if (s.size() < 11) s.insert(0, 11 - s.size(), ' ');
  return s;
}

bool value_char(std::uint8_t c) {
  return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

void data_error() {
  MSGERROR = true;
  ERRMSG = " Data Error";
}

// The value text in bytes from..to: accepted characters are kept, any other
// is left out and reported as a data error.
Text<20> value_text(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) {
    const std::uint8_t c = REPLY(i);
    if (c == ' ' || value_char(c))
      s += static_cast<char>(c);
    else
      data_error();
  }
  return right_aligned(s);
}

ALARM_STATE alarm_of(std::uint8_t letter) {
  if (letter == 'H') return HIGH;
  if (letter == 'L') return LOW;
  return OFF;
}

Text<2> unit_at(int k) { return UNIT_TEXT(static_cast<char>(REPLY(k))); }

bool input_type_admitted(byte txtype, byte code) {
  if (txtype == 2) return code == 0 || code == 13 || code == 15;
  return code <= 14 || (code >= 16 && code <= 27);
}

// One channel of an all-channel reading from index i on; i is left at the
// next channel.
void read_channel(CHANNEL_DATA& ch, int& i) {
  ch.ALARM = alarm_of(REPLY(i++));
  while (REPLY(i) == ' ') ++i;
  std::string value;
  if (!MSGERROR) {
    for (; REPLY(i) != ' '; ++i) {
      if (!value_char(REPLY(i)) || i >= 500) {
        data_error();
        break;
      }
      value += static_cast<char>(REPLY(i));
    }
  }
  ch.VALUE = right_aligned(value);
  ++i;
  ch.VUNIT = REPLY(i) == 'K' ? Text<2>("  ") : unit_at(i);
  if (MSGERROR) return;
  while (i <= MSGLENGTH && REPLY(i) != LF) ++i;
  ++i;
}

}  // namespace

void INITPCCOMMS(int) {}

bool SENDABLE(const std::function<void()>& requests) {
  probing = true;
  carried = true;
  requests();
  probing = false;
  if (!carried) overange();
  return carried;
}

int LINE_BITS(int stop, int parity, int dbits) {
  int bits = 0;
  if (stop == 2) bits += 1;
  if (parity != 0) bits += 2;
  if (parity == 1) bits += 8;
  if (dbits == 1) bits += 4;
  return bits;
}

// Only the low four bits count.
void FROM_LINE_BITS(int bits, byte& stop, byte& parity, byte& dbits) {
  stop = TSTBIT(static_cast<byte>(bits), 0) ? 2 : 1;
  dbits = TSTBIT(static_cast<byte>(bits), 2) ? 1 : 0;
  parity = !TSTBIT(static_cast<byte>(bits), 1) ? 0 : TSTBIT(static_cast<byte>(bits), 3) ? 1 : 2;
}

int READ_INPUT(int r, int t, int c) {
  const bool good = exchange(r, CMD_INPUT, Params().digit(t).digit(c));
  const int type = DIGIT(7) == 2 ? 2 : 1;
  if (good) {
    if (HHT) crt::Delay(500);
    CHANNEL_DATA& ch = chan(r, t, c);
    ch.VALUE = value_text(13, MSGLENGTH - 9);
    ch.ALARM = alarm_of(REPLY(11));
    ch.VUNIT = unit_at(MSGLENGTH - 7);
  }
  rec(r).HW1 = HIGHWAYOK(1);
  rec(r).HW2 = HIGHWAYOK(2);
  return type;
}

void READ_CJ(int r, int t) {
  if (!exchange(r, CMD_CJ, Params().digit(t))) return;
  tx(r, t).CJTEMP = value_text(10, MSGLENGTH - 9);
  tx(r, t).CJUNIT = unit_at(MSGLENGTH - 7);
}

void READ_NO_TX(int r) {
  if (exchange(r, CMD_NO_TX)) rec(r).NO_OF_TX = DIGIT(7);
  if (rec(r).NO_OF_TX < 1 || rec(r).NO_OF_TX > 4) rec(r).NO_OF_TX = 1;
}

void SET_NO_TX(int r) { exchange(r, CMD_NO_TX, Params().digit(rec(r).NO_OF_TX)); }

void READ_TXTYPE(int r, int t) {
  byte& type = tx(r, t).TXTYPE;
  if (exchange(r, CMD_TXTYPE, Params().digit(t))) type = DIGIT(10);
  if (type < 1 || type > 2) type = 1;
}

void SET_TXTYPE(int r, int t) {
  exchange(r, CMD_TXTYPE, Params().digit(t).digit(tx(r, t).TXTYPE));
}

// A code the transmitter's type does not admit reads as 0 (mV, mA).
void READ_INPTYPE(int r, int t, int c) {
  CHANNEL_DATA& ch = chan(r, t, c);
  if (exchange(r, CMD_INPTYPE, Params().digit(t).digit(c))) {
    ch.INPUT_TYPE = DIGIT(11);
    ch.THC_DRIVE = DIGIT(14);
  }
  if (ch.THC_DRIVE > 2) ch.THC_DRIVE = 0;
  if (!input_type_admitted(tx(r, t).TXTYPE, ch.INPUT_TYPE)) ch.INPUT_TYPE = 0;
}

void SET_INPTYPE(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  exchange(r, CMD_INPTYPE, Params().digit(t).digit(c).digit(ch.INPUT_TYPE).digit(ch.THC_DRIVE));
}

void READ_ALARMS(int r, int t, int c) {
  CHANNEL_DATA& ch = chan(r, t, c);
  const Params p = Params().digit(t).digit(c);
  ENQUIRE(r, CMD_ALARMS, p.count(), 2, ch.LOW_ALARM, ch.HIGH_ALARM);
  if (BREAKOUT) {
    MSGERROR = true;
    ERRMSG = "  ABORTED   ";
  }
}

void SET_ALARMS(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  exchange(r, CMD_ALARMS,
           Params().digit(t).digit(c).number(ch.LOW_ALARM).put(CR).number(ch.HIGH_ALARM).put(CR));
}

void READ_TEMP(int r) {
  if (exchange(r, CMD_TEMP)) rec(r).UNITS = DIGIT(7);
  if (rec(r).UNITS < 1 || rec(r).UNITS > 3) rec(r).UNITS = 1;
}

void SET_TEMP(int r) { exchange(r, CMD_TEMP, Params().digit(rec(r).UNITS)); }

void READ_LINEREJ(int r) {
  if (exchange(r, CMD_LINEREJ)) rec(r).LINE_REJ = DIGIT(7);
}

void SET_LINEREJ(int r) { exchange(r, CMD_LINEREJ, Params().digit(rec(r).LINE_REJ)); }

// Always runs, even after an earlier failure.
int READ_VALS(int r, int t) {
  MSGERROR = false;
  const bool good = exchange(r, CMD_VALS, Params().digit(t));
  if (HHT) crt::Delay(100);
  const int type = DIGIT(8) == 2 ? 2 : 1;
  if (good) {
    int i = 11;
    for (int c = 1; c <= (type == 1 ? 16 : 8); ++c) read_channel(chan(r, t, c), i);
  }
  rec(r).HW1 = HIGHWAYOK(1);
  rec(r).HW2 = HIGHWAYOK(2);
  rec(r).ELD = ELDINPUT();
  return type;
}

void READ_TAG(int r) {
  if (!exchange(r, CMD_TAG)) return;
  std::string tag;
  for (int i = 7; i <= 31; ++i) {
    const std::uint8_t c = REPLY(i);
    tag += c >= 0x20 && c <= 0x7A ? static_cast<char>(c) : ' ';
  }
  rec(r).TAG_FIELD = tag;
}

// The tag goes out as 25 characters, a shorter one padded with spaces.
void SET_TAG(int r) {
  std::string tag = rec(r).TAG_FIELD.str();
  tag.resize(25, ' ');
  exchange(r, CMD_TAG, Params().text(tag));
}

void SEND_CONFIRM(int r) { exchange(r, CMD_CONFIRM, Params().put('0')); }

void SEND_RESET(int r, int kind) { exchange(r, CMD_RESET, Params().digit(kind)); }

// One request on the port already open; no reply is awaited or judged.
void SEND_SIGNOFF(int r) { POLL_RX(PORT, r, CMD_SIGNOFF, 0); }

void READ_DATAFMT(int r) {
  if (exchange(r, CMD_DATAFMT)) rec(r).DATA_FORMAT = DIGIT(7);
}

void SET_DATAFMT(int r) { exchange(r, CMD_DATAFMT, Params().digit(rec(r).DATA_FORMAT)); }

void READ_CSUMMODE(int r) {
  if (exchange(r, CMD_CSUMMODE)) rec(r).CHECK_MODE = DIGIT(7);
}

void SET_CSUMMODE(int r) { exchange(r, CMD_CSUMMODE, Params().digit(rec(r).CHECK_MODE)); }

// Every valid baud code 1..8 is kept (8 is 38400); anything else reads as 9600.
void READ_COMMS(int r) {
  if (!exchange(r, CMD_COMMS)) return;
  RECIEVER_DATA& rx = rec(r);
  rx.COMM_MODE = REPLY(7) != 'H';
  const int offset = rx.COMM_MODE ? 4 : 0;
  const byte baud = DIGIT(10 + offset);
  rx.MOD_BAUD = baud >= 1 && baud <= 8 ? baud : 6;
  FROM_LINE_BITS(REPLY(11 + offset), rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS);
}

void SET_COMMS(int r) {
  const RECIEVER_DATA& rx = rec(r);
  exchange(r, CMD_COMMS,
           Params().digit(rx.MOD_BAUD).digit(LINE_BITS(rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS)));
}

void READ_ADDRESS(int r) {
  if (!exchange(r, CMD_ADDRESS)) return;
  RECIEVER_DATA& rx = rec(r);
  rx.ADD_MODE = REPLY(7) != 'H';
  const int offset = rx.ADD_MODE ? 6 : 0;
  rx.MOD_ADDRESSA = static_cast<byte>(DIGIT(10 + offset) * 16 + DIGIT(11 + offset));
  rx.MOD_ADDRESSB = static_cast<byte>(DIGIT(12 + offset) * 16 + DIGIT(13 + offset));
}

void SET_ADDRESS(int r) {
  exchange(r, CMD_ADDRESS, Params().two_digit(rec(r).MOD_ADDRESSA).two_digit(rec(r).MOD_ADDRESSB));
}

void READ_VERS(int r) {
  if (!exchange(r, CMD_VERS)) return;
  auto version = [](int from) {
    std::string v(10, ' ');
    for (int k = 0; k < 4; ++k) v[3 + static_cast<std::size_t>(k)] = static_cast<char>(REPLY(from + k));
    return v;
  };
  rec(r).IPVER = version(7);
  rec(r).HCAVER = version(13);
}

void READ_CHECKSUM(int r) { exchange(r, CMD_CHECKSUM); }

// A number that does not read keeps its stored value and is a data error.
void READ_SCALES(int r, int t, int c) {
  if (!exchange(r, CMD_SCALES, Params().digit(t).digit(c))) return;
  CHANNEL_DATA& ch = chan(r, t, c);
  int i = 9;
  bool read = true;
  for (double* x : {&ch.SCALE_IPZERO, &ch.SCALE_GAIN, &ch.SCALE_OPZERO})
    if (!GETPARAMETER(i, *x)) read = false;
  if (!read) data_error();
}

void SET_SCALES(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  exchange(r, CMD_SCALES, Params()
                              .digit(t)
                              .digit(c)
                              .number(ch.SCALE_IPZERO)
                              .put(CR)
                              .put(LF)
                              .number(ch.SCALE_GAIN)
                              .put(CR)
                              .put(LF)
                              .number(ch.SCALE_OPZERO)
                              .put(CR));
}

void READ_SWITCHES(int r) {
  if (!exchange(r, CMD_SWITCHES)) return;
  RECIEVER_DATA& rx = rec(r);
  rx.IPSWITCH = static_cast<byte>(DIGIT(7) * 16 + DIGIT(8));
  rx.HCASWITCH = static_cast<byte>(DIGIT(9) * 16 + DIGIT(10));
  rx.MOD_MODE = TSTBIT(rx.HCASWITCH, 6) ? 0 : 1;
}

}  // namespace comms
