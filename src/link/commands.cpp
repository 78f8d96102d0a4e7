// The receiver's command set: one operation per setting, each building its
// request, running one exchange and moving the reply's fields into the
// configuration record.
#include <functional>
#include <string>

#include "link/link_private.h"
#include "link/trace.h"
#include "model/globals.h"
#include "model/session.h"

namespace kdv::link {

using namespace kdv::model;

namespace {

// Right-aligned to 11 characters; a longer text keeps up to 20.
Text<20> right_aligned(std::string s) {
  if (s.size() < 11) s.insert(0, 11 - s.size(), ' ');
  return s;
}

bool value_char(std::uint8_t c) {
  return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

ALARM_STATE alarm_of(std::uint8_t letter) {
  if (letter == 'H') return HIGH;
  if (letter == 'L') return LOW;
  return OFF;
}

constexpr std::string_view OVERANGE = " Param Overange";

}  // namespace

Request& Request::digit(int v) {
  if (!CARRIES_DIGIT(v)) carried_ = false;
  return put(static_cast<std::uint8_t>(0x30 + v));
}

Request& Request::number(double x) {
  if (!CARRIES(x)) carried_ = false;
  return text(IOSTR(x).substr(0, 10));
}

Request& Request::text(std::string_view s) {
  if (!CARRIES_TEXT(s)) carried_ = false;
  for (char c : s) put(static_cast<std::uint8_t>(c));
  return *this;
}

RECIEVER_DATA& Link::rec(int r) { return *session_.RECEIVER[static_cast<std::size_t>(r)]; }
TRANSMITTER_DATA& Link::tx(int r, int t) { return rec(r).TRANSMITTER[t]; }
CHANNEL_DATA& Link::chan(int r, int t, int c) { return tx(r, t).CHANNEL[c]; }

// A command on a link that goes on after failures starts afresh; one that
// carries them starts afresh only while nothing failed.
void Link::begin() {
  if (on_failure_ == OnFailure::kGoOn || !failed()) state_ = Outcome{};
}

void Link::fail(Status status, std::string_view text) {
  state_.status = status;
  state_.text = text;
}

void Link::data_error() { fail(Status::kDataError, " Data Error"); }

// A command whose reply leaves nothing in the record.
Outcome Link::send(int r, int command, const Request& request) {
  begin();
  exchange(r, command, request);
  return state_;
}

// Runs the exchange; true when it succeeded. A request that would not carry
// its values is never sent.
bool Link::exchange(int r, int command, const Request& request) {
  if (probing_) {
    all_carried_ = all_carried_ && request.carried();
    return false;
  }
  if (!request.carried()) {
    if (!failed()) fail(Status::kUnsendable, OVERANGE);
    return false;
  }
  const bool sending = !failed();
  DISCOURSE(PORT, r, command, request);
  if (sending) report_sent(session_, r, command, request, state_, reply_);
  return !failed();
}

// The digit at index k of the reply: its byte minus 30h, as an unsigned byte.
byte Link::DIGIT(int k) const { return static_cast<byte>(reply_.at(k) - 0x30); }

// The value text in bytes from..to: accepted characters are kept, any other
// is left out and reported as a data error.
Text<20> Link::value_text(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) {
    const std::uint8_t c = reply_.at(i);
    if (c == ' ' || value_char(c))
      s += static_cast<char>(c);
    else
      data_error();
  }
  return right_aligned(s);
}

Text<2> Link::unit_at(int k) const { return UNIT_TEXT(static_cast<char>(reply_.at(k))); }

// One channel of an all-channel reading from index i on; i is left at the
// next channel.
void Link::read_channel(CHANNEL_DATA& ch, int& i) {
  ch.ALARM = alarm_of(reply_.at(i++));
  while (reply_.at(i) == ' ') ++i;
  std::string value;
  if (!failed()) {
    for (; reply_.at(i) != ' '; ++i) {
      if (!value_char(reply_.at(i)) || i >= 500) {
        data_error();
        break;
      }
      value += static_cast<char>(reply_.at(i));
    }
  }
  ch.VALUE = right_aligned(value);
  ++i;
  ch.VUNIT = reply_.at(i) == 'K' ? Text<2>("  ") : unit_at(i);
  if (failed()) return;
  while (i <= reply_.length && reply_.at(i) != LF) ++i;
  ++i;
}

void INITPCCOMMS(int) {}

Outcome SENDABLE(Session& session, const std::function<void(Link&)>& requests) {
  Link probe(session);
  probe.probing_ = true;
  requests(probe);
  Outcome o;
  if (!probe.all_carried_) {
    o.status = Status::kUnsendable;
    o.text = OVERANGE;
  }
  return o;
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

Outcome Link::READ_INPUT(int r, int t, int c, int& type) {
  begin();
  const bool good = exchange(r, CMD_INPUT, Request().digit(t).digit(c));
  type = DIGIT(7) == 2 ? 2 : 1;
  if (good) {
    if (hand_held_) host().pause(500);
    CHANNEL_DATA& ch = chan(r, t, c);
    ch.VALUE = value_text(13, reply_.length - 9);
    ch.ALARM = alarm_of(reply_.at(11));
    ch.VUNIT = unit_at(reply_.length - 7);
  }
  rec(r).HW1 = HIGHWAYOK(reply_, 1);
  rec(r).HW2 = HIGHWAYOK(reply_, 2);
  return state_;
}

Outcome Link::READ_CJ(int r, int t) {
  begin();
  if (exchange(r, CMD_CJ, Request().digit(t))) {
    tx(r, t).CJTEMP = value_text(10, reply_.length - 9);
    tx(r, t).CJUNIT = unit_at(reply_.length - 7);
  }
  return state_;
}

Outcome Link::READ_NO_TX(int r) {
  begin();
  if (exchange(r, CMD_NO_TX, Request())) rec(r).NO_OF_TX = DIGIT(7);
  if (rec(r).NO_OF_TX < 1 || rec(r).NO_OF_TX > 4) rec(r).NO_OF_TX = 1;
  return state_;
}

Outcome Link::SET_NO_TX(int r) { return send(r, CMD_NO_TX, Request().digit(rec(r).NO_OF_TX)); }

Outcome Link::READ_TXTYPE(int r, int t) {
  begin();
  byte& type = tx(r, t).TXTYPE;
  if (exchange(r, CMD_TXTYPE, Request().digit(t))) type = DIGIT(10);
  if (type < 1 || type > 2) type = 1;
  return state_;
}

Outcome Link::SET_TXTYPE(int r, int t) {
  return send(r, CMD_TXTYPE, Request().digit(t).digit(tx(r, t).TXTYPE));
}

// A code the transmitter's type does not admit reads as 0 (mV, mA).
Outcome Link::READ_INPTYPE(int r, int t, int c) {
  begin();
  CHANNEL_DATA& ch = chan(r, t, c);
  if (exchange(r, CMD_INPTYPE, Request().digit(t).digit(c))) {
    ch.INPUT_TYPE = DIGIT(11);
    ch.THC_DRIVE = DIGIT(14);
  }
  ch.THC_DRIVE = static_cast<byte>(DRIVE_AS_READ(ch.THC_DRIVE));
  ch.INPUT_TYPE = static_cast<byte>(INPUT_TYPE_AS_READ(tx(r, t).TXTYPE, ch.INPUT_TYPE));
  return state_;
}

Outcome Link::SET_INPTYPE(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  return send(r, CMD_INPTYPE, Request().digit(t).digit(c).digit(ch.INPUT_TYPE).digit(ch.THC_DRIVE));
}

Outcome Link::READ_ALARMS(int r, int t, int c) {
  begin();
  CHANNEL_DATA& ch = chan(r, t, c);
  ENQUIRE(r, CMD_ALARMS, Request().digit(t).digit(c), 2, ch.LOW_ALARM, ch.HIGH_ALARM);
  return state_;
}

Outcome Link::SET_ALARMS(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  return send(
      r, CMD_ALARMS,
      Request().digit(t).digit(c).number(ch.LOW_ALARM).put(CR).number(ch.HIGH_ALARM).put(CR));
}

Outcome Link::READ_TEMP(int r) {
  begin();
  if (exchange(r, CMD_TEMP, Request())) rec(r).UNITS = DIGIT(7);
  if (rec(r).UNITS < 1 || rec(r).UNITS > 3) rec(r).UNITS = 1;
  return state_;
}

Outcome Link::SET_TEMP(int r) { return send(r, CMD_TEMP, Request().digit(rec(r).UNITS)); }

Outcome Link::READ_LINEREJ(int r) {
  begin();
  if (exchange(r, CMD_LINEREJ, Request())) rec(r).LINE_REJ = DIGIT(7);
  return state_;
}

Outcome Link::SET_LINEREJ(int r) { return send(r, CMD_LINEREJ, Request().digit(rec(r).LINE_REJ)); }

Outcome Link::READ_VALS(int r, int t, int& type) {
  begin();
  const bool good = exchange(r, CMD_VALS, Request().digit(t));
  if (hand_held_) host().pause(100);
  type = DIGIT(8) == 2 ? 2 : 1;
  if (good) {
    int i = 11;
    for (int c = 1; c <= (type == 1 ? 16 : 8); ++c) read_channel(chan(r, t, c), i);
  }
  rec(r).HW1 = HIGHWAYOK(reply_, 1);
  rec(r).HW2 = HIGHWAYOK(reply_, 2);
  rec(r).ELD = ELDINPUT(reply_);
  return state_;
}

Outcome Link::READ_TAG(int r) {
  begin();
  if (!exchange(r, CMD_TAG, Request())) return state_;
  std::string tag;
  for (int i = 7; i <= 31; ++i) tag += static_cast<char>(reply_.at(i));
  rec(r).TAG_FIELD = TAG_AS_READ(tag);
  return state_;
}

// The tag goes out as 25 characters, a shorter one padded with spaces.
Outcome Link::SET_TAG(int r) {
  begin();
  std::string tag = rec(r).TAG_FIELD.str();
  tag.resize(25, ' ');
  exchange(r, CMD_TAG, Request().text(tag));
  return state_;
}

Outcome Link::SEND_CONFIRM(int r) { return send(r, CMD_CONFIRM, Request().put('0')); }

Outcome Link::SEND_RESET(int r, int kind) { return send(r, CMD_RESET, Request().digit(kind)); }

Outcome Link::SEND_SIGNOFF(int r) {
  Outcome o;
  trace_attempt(1);
  o.status = POLL_RX(PORT, r, CMD_SIGNOFF, Request());
  if (o.status == Status::kDone)
    o.status = port_ && connected_ ? Status::kSent : Status::kPortUnopenable;
  if (!o.ok()) o.text = "  ABORTED   ";
  report_sent(session_, r, CMD_SIGNOFF, Request(), o, reply_);
  return o;
}

Outcome Link::READ_DATAFMT(int r) {
  begin();
  if (exchange(r, CMD_DATAFMT, Request())) rec(r).DATA_FORMAT = DIGIT(7);
  return state_;
}

Outcome Link::SET_DATAFMT(int r) {
  return send(r, CMD_DATAFMT, Request().digit(rec(r).DATA_FORMAT));
}

Outcome Link::READ_CSUMMODE(int r) {
  begin();
  if (exchange(r, CMD_CSUMMODE, Request())) rec(r).CHECK_MODE = DIGIT(7);
  return state_;
}

Outcome Link::SET_CSUMMODE(int r) {
  return send(r, CMD_CSUMMODE, Request().digit(rec(r).CHECK_MODE));
}

// Every valid baud code 1..8 is kept (8 is 38400); anything else reads as 9600.
Outcome Link::READ_COMMS(int r) {
  begin();
  if (!exchange(r, CMD_COMMS, Request())) return state_;
  RECIEVER_DATA& rx = rec(r);
  rx.COMM_MODE = reply_.at(7) != 'H';
  const int offset = rx.COMM_MODE ? 4 : 0;
  const byte baud = DIGIT(10 + offset);
  rx.MOD_BAUD = baud >= 1 && baud <= 8 ? baud : 6;
  FROM_LINE_BITS(reply_.at(11 + offset), rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS);
  return state_;
}

Outcome Link::SET_COMMS(int r) {
  const RECIEVER_DATA& rx = rec(r);
  return send(
      r, CMD_COMMS,
      Request().digit(rx.MOD_BAUD).digit(LINE_BITS(rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS)));
}

Outcome Link::READ_ADDRESS(int r) {
  begin();
  if (!exchange(r, CMD_ADDRESS, Request())) return state_;
  RECIEVER_DATA& rx = rec(r);
  rx.ADD_MODE = reply_.at(7) != 'H';
  const int offset = rx.ADD_MODE ? 6 : 0;
  rx.MOD_ADDRESSA = static_cast<byte>(DIGIT(10 + offset) * 16 + DIGIT(11 + offset));
  rx.MOD_ADDRESSB = static_cast<byte>(DIGIT(12 + offset) * 16 + DIGIT(13 + offset));
  return state_;
}

Outcome Link::SET_ADDRESS(int r) {
  return send(r, CMD_ADDRESS,
              Request().two_digit(rec(r).MOD_ADDRESSA).two_digit(rec(r).MOD_ADDRESSB));
}

Outcome Link::READ_VERS(int r) {
  begin();
  if (!exchange(r, CMD_VERS, Request())) return state_;
  auto version = [this](int from) {
    std::string v(10, ' ');
    for (int k = 0; k < 4; ++k)
      v[3 + static_cast<std::size_t>(k)] = static_cast<char>(reply_.at(from + k));
    return v;
  };
  rec(r).IPVER = version(7);
  rec(r).HCAVER = version(13);
  return state_;
}

Outcome Link::READ_CHECKSUM(int r) { return send(r, CMD_CHECKSUM, Request()); }

// A number that does not read keeps its stored value and is a data error.
Outcome Link::READ_SCALES(int r, int t, int c) {
  begin();
  if (!exchange(r, CMD_SCALES, Request().digit(t).digit(c))) return state_;
  CHANNEL_DATA& ch = chan(r, t, c);
  int i = 9;
  bool read = true;
  for (double* x : {&ch.SCALE_IPZERO, &ch.SCALE_GAIN, &ch.SCALE_OPZERO})
    if (!GETPARAMETER(reply_, i, *x)) read = false;
  if (!read) data_error();
  return state_;
}

Outcome Link::SET_SCALES(int r, int t, int c) {
  const CHANNEL_DATA& ch = chan(r, t, c);
  return send(r, CMD_SCALES,
              Request()
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

Outcome Link::READ_SWITCHES(int r) {
  begin();
  if (!exchange(r, CMD_SWITCHES, Request())) return state_;
  RECIEVER_DATA& rx = rec(r);
  rx.IPSWITCH = static_cast<byte>(DIGIT(7) * 16 + DIGIT(8));
  rx.HCASWITCH = static_cast<byte>(DIGIT(9) * 16 + DIGIT(10));
  rx.MOD_MODE = TSTBIT(rx.HCASWITCH, 6) ? 0 : 1;
  return state_;
}

}  // namespace kdv::link
