// The receiver's command set: one operation per setting, each building its
// request, running one exchange and moving the reply's fields into the
// configuration record.
#include <functional>
#include <string>

#include "link/command_set.h"
#include "link/link.h"
#include "link/link_private.h"
#include "link/outcome.h"
#include "link/trace.h"
#include "model/records.h"
#include "model/session.h"

namespace kdv::link {

using namespace kdv::model;

namespace {

// Right-aligned to 11 characters; a longer text keeps up to 20.
kdv::model::Text<20> right_aligned(std::string s) {
  if (s.size() < 11) s.insert(0, 11 - s.size(), ' ');
  return s;
}

bool value_char(std::uint8_t c) {
  return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

AlarmState alarm_of(std::uint8_t letter) {
  if (letter == 'H') return kHigh;
  if (letter == 'L') return kLow;
  return kOff;
}

constexpr std::string_view kOverrangeText = " Param Overange";

}  // namespace

Request& Request::digit(int v) {
  if (!carries_digit(v)) carried_ = false;
  return put(static_cast<std::uint8_t>(0x30 + v));
}

Request& Request::number(double x) {
  if (!carries(x)) carried_ = false;
  return text(number_field_text(x).substr(0, 10));
}

Request& Request::text(std::string_view s) {
  if (!carries_text(s)) carried_ = false;
  for (char c : s) put(static_cast<std::uint8_t>(c));
  return *this;
}

ReceiverRecord& Link::rec(int r) { return *session_.receivers[static_cast<std::size_t>(r)]; }
TransmitterRecord& Link::tx(int r, int t) { return rec(r).TRANSMITTER[t]; }
ChannelRecord& Link::chan(int r, int t, int c) { return tx(r, t).CHANNEL[c]; }

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
    if (!failed()) fail(Status::kUnsendable, kOverrangeText);
    return false;
  }
  const bool sending = !failed();
  exchange_with_retry(r, command, request);
  if (sending) report_sent(session_, r, command, request, state_, reply_);
  return !failed();
}

// The digit at index k of the reply: its byte minus 30h, as an unsigned byte.
Byte Link::digit_at(int k) const { return static_cast<Byte>(reply_.at(k) - 0x30); }

// The value text in bytes from..to: accepted characters are kept, any other
// is left out and reported as a data error.
kdv::model::Text<20> Link::value_text(int from, int to) {
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

kdv::model::Text<2> Link::unit_at(int k) const { return unit_text(static_cast<char>(reply_.at(k))); }

// One channel of an all-channel reading from index i on; i is left at the
// next channel.
void Link::read_channel(ChannelRecord& ch, int& i) {
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
  ch.VUNIT = reply_.at(i) == 'K' ? kdv::model::Text<2>("  ") : unit_at(i);
  if (failed()) return;
  while (i <= reply_.length && reply_.at(i) != kLineFeed) ++i;
  ++i;
}

Outcome sendable(Session& session, const std::function<void(Link&)>& requests) {
  Link probe(session);
  probe.probing_ = true;
  requests(probe);
  Outcome o;
  if (!probe.all_carried_) {
    o.status = Status::kUnsendable;
    o.text = kOverrangeText;
  }
  return o;
}

int line_bits_digit(int stop, int parity, int dbits) {
  int bits = 0;
  if (stop == 2) bits += 1;
  if (parity != 0) bits += 2;
  if (parity == 1) bits += 8;
  if (dbits == 1) bits += 4;
  return bits;
}

// Only the low four bits count.
void from_line_bits_digit(int bits, Byte& stop, Byte& parity, Byte& dbits) {
  stop = test_bit(static_cast<Byte>(bits), 0) ? 2 : 1;
  dbits = test_bit(static_cast<Byte>(bits), 2) ? 1 : 0;
  parity = !test_bit(static_cast<Byte>(bits), 1) ? 0 : test_bit(static_cast<Byte>(bits), 3) ? 1 : 2;
}

Outcome Link::READ_INPUT(int r, int t, int c, int& type) {
  begin();
  const bool good = exchange(r, kCommandInput, Request().digit(t).digit(c));
  type = digit_at(7) == 2 ? 2 : 1;
  if (good) {
    if (hand_held_) host().pause(500);
    ChannelRecord& ch = chan(r, t, c);
    ch.VALUE = value_text(13, reply_.length - 9);
    ch.ALARM = alarm_of(reply_.at(11));
    ch.VUNIT = unit_at(reply_.length - 7);
  }
  rec(r).HW1 = highway_ok(reply_, 1);
  rec(r).HW2 = highway_ok(reply_, 2);
  return state_;
}

Outcome Link::READ_CJ(int r, int t) {
  begin();
  if (exchange(r, kCommandColdJunction, Request().digit(t))) {
    tx(r, t).CJTEMP = value_text(10, reply_.length - 9);
    tx(r, t).CJUNIT = unit_at(reply_.length - 7);
  }
  return state_;
}

Outcome Link::READ_NO_TX(int r) {
  begin();
  if (exchange(r, kCommandTransmitterCount, Request())) rec(r).NO_OF_TX = digit_at(7);
  if (rec(r).NO_OF_TX < 1 || rec(r).NO_OF_TX > 4) rec(r).NO_OF_TX = 1;
  return state_;
}

Outcome Link::SET_NO_TX(int r) { return send(r, kCommandTransmitterCount, Request().digit(rec(r).NO_OF_TX)); }

Outcome Link::READ_TXTYPE(int r, int t) {
  begin();
  Byte& type = tx(r, t).TXTYPE;
  if (exchange(r, kCommandTransmitterType, Request().digit(t))) type = digit_at(10);
  if (type < 1 || type > 2) type = 1;
  return state_;
}

Outcome Link::SET_TXTYPE(int r, int t) {
  return send(r, kCommandTransmitterType, Request().digit(t).digit(tx(r, t).TXTYPE));
}

// A code the transmitter's type does not admit reads as 0 (mV, mA).
Outcome Link::READ_INPTYPE(int r, int t, int c) {
  begin();
  ChannelRecord& ch = chan(r, t, c);
  if (exchange(r, kCommandInputType, Request().digit(t).digit(c))) {
    ch.INPUT_TYPE = digit_at(11);
    ch.THC_DRIVE = digit_at(14);
  }
  ch.THC_DRIVE = static_cast<Byte>(drive_as_read(ch.THC_DRIVE));
  ch.INPUT_TYPE = static_cast<Byte>(input_type_as_read(tx(r, t).TXTYPE, ch.INPUT_TYPE));
  return state_;
}

Outcome Link::SET_INPTYPE(int r, int t, int c) {
  const ChannelRecord& ch = chan(r, t, c);
  return send(r, kCommandInputType, Request().digit(t).digit(c).digit(ch.INPUT_TYPE).digit(ch.THC_DRIVE));
}

Outcome Link::READ_ALARMS(int r, int t, int c) {
  begin();
  ChannelRecord& ch = chan(r, t, c);
  exchange_for_numbers(r, kCommandAlarms, Request().digit(t).digit(c), 2, ch.LOW_ALARM, ch.HIGH_ALARM);
  return state_;
}

Outcome Link::SET_ALARMS(int r, int t, int c) {
  const ChannelRecord& ch = chan(r, t, c);
  return send(
      r, kCommandAlarms,
      Request().digit(t).digit(c).number(ch.LOW_ALARM).put(kCarriageReturn).number(ch.HIGH_ALARM).put(kCarriageReturn));
}

Outcome Link::READ_TEMP(int r) {
  begin();
  if (exchange(r, kCommandTemperatureUnits, Request())) rec(r).UNITS = digit_at(7);
  if (rec(r).UNITS < 1 || rec(r).UNITS > 3) rec(r).UNITS = 1;
  return state_;
}

Outcome Link::SET_TEMP(int r) { return send(r, kCommandTemperatureUnits, Request().digit(rec(r).UNITS)); }

Outcome Link::READ_LINEREJ(int r) {
  begin();
  if (exchange(r, kCommandLineRejection, Request())) rec(r).LINE_REJ = digit_at(7);
  return state_;
}

Outcome Link::SET_LINEREJ(int r) { return send(r, kCommandLineRejection, Request().digit(rec(r).LINE_REJ)); }

Outcome Link::READ_VALS(int r, int t, int& type) {
  begin();
  const bool good = exchange(r, kCommandValues, Request().digit(t));
  if (hand_held_) host().pause(100);
  type = digit_at(8) == 2 ? 2 : 1;
  if (good) {
    int i = 11;
    for (int c = 1; c <= (type == 1 ? 16 : 8); ++c) read_channel(chan(r, t, c), i);
  }
  rec(r).HW1 = highway_ok(reply_, 1);
  rec(r).HW2 = highway_ok(reply_, 2);
  rec(r).ELD = eld_input_active(reply_);
  return state_;
}

Outcome Link::READ_TAG(int r) {
  begin();
  if (!exchange(r, kCommandTag, Request())) return state_;
  std::string tag;
  for (int i = 7; i <= 31; ++i) tag += static_cast<char>(reply_.at(i));
  rec(r).TAG_FIELD = tag_as_read(tag);
  return state_;
}

// The tag goes out as 25 characters, a shorter one padded with spaces.
Outcome Link::SET_TAG(int r) {
  begin();
  std::string tag = rec(r).TAG_FIELD.str();
  tag.resize(25, ' ');
  exchange(r, kCommandTag, Request().text(tag));
  return state_;
}

Outcome Link::SEND_CONFIRM(int r) { return send(r, kCommandConfirm, Request().put('0')); }

Outcome Link::SEND_RESET(int r, int kind) { return send(r, kCommandReset, Request().digit(kind)); }

Outcome Link::SEND_SIGNOFF(int r) {
  Outcome o;
  trace_attempt(1);
  o.status = send_request(r, kCommandSignoff, Request());
  if (o.status == Status::kDone)
    o.status = port_ && connected_ ? Status::kSent : Status::kPortUnopenable;
  if (!o.ok()) o.text = "  ABORTED   ";
  report_sent(session_, r, kCommandSignoff, Request(), o, reply_);
  return o;
}

Outcome Link::READ_DATAFMT(int r) {
  begin();
  if (exchange(r, kCommandDataFormat, Request())) rec(r).DATA_FORMAT = digit_at(7);
  return state_;
}

Outcome Link::SET_DATAFMT(int r) {
  return send(r, kCommandDataFormat, Request().digit(rec(r).DATA_FORMAT));
}

Outcome Link::READ_CSUMMODE(int r) {
  begin();
  if (exchange(r, kCommandChecksumMode, Request())) rec(r).CHECK_MODE = digit_at(7);
  return state_;
}

Outcome Link::SET_CSUMMODE(int r) {
  return send(r, kCommandChecksumMode, Request().digit(rec(r).CHECK_MODE));
}

// Every valid baud code 1..8 is kept (8 is 38400); anything else reads as 9600.
Outcome Link::READ_COMMS(int r) {
  begin();
  if (!exchange(r, kCommandSerialSettings, Request())) return state_;
  ReceiverRecord& rx = rec(r);
  rx.COMM_MODE = reply_.at(7) != 'H';
  const int offset = rx.COMM_MODE ? 4 : 0;
  const Byte baud = digit_at(10 + offset);
  rx.MOD_BAUD = baud >= 1 && baud <= 8 ? baud : 6;
  from_line_bits_digit(reply_.at(11 + offset), rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS);
  return state_;
}

Outcome Link::SET_COMMS(int r) {
  const ReceiverRecord& rx = rec(r);
  return send(
      r, kCommandSerialSettings,
      Request().digit(rx.MOD_BAUD).digit(line_bits_digit(rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS)));
}

Outcome Link::READ_ADDRESS(int r) {
  begin();
  if (!exchange(r, kCommandAddress, Request())) return state_;
  ReceiverRecord& rx = rec(r);
  rx.ADD_MODE = reply_.at(7) != 'H';
  const int offset = rx.ADD_MODE ? 6 : 0;
  rx.MOD_ADDRESSA = static_cast<Byte>(digit_at(10 + offset) * 16 + digit_at(11 + offset));
  rx.MOD_ADDRESSB = static_cast<Byte>(digit_at(12 + offset) * 16 + digit_at(13 + offset));
  return state_;
}

Outcome Link::SET_ADDRESS(int r) {
  return send(r, kCommandAddress,
              Request().two_digit(rec(r).MOD_ADDRESSA).two_digit(rec(r).MOD_ADDRESSB));
}

Outcome Link::READ_VERS(int r) {
  begin();
  if (!exchange(r, kCommandVersions, Request())) return state_;
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

Outcome Link::READ_CHECKSUM(int r) { return send(r, kCommandChecksum, Request()); }

// A number that does not read keeps its stored value and is a data error.
Outcome Link::READ_SCALES(int r, int t, int c) {
  begin();
  if (!exchange(r, kCommandScales, Request().digit(t).digit(c))) return state_;
  ChannelRecord& ch = chan(r, t, c);
  int i = 9;
  bool read = true;
  for (double* x : {&ch.SCALE_IPZERO, &ch.SCALE_GAIN, &ch.SCALE_OPZERO})
    if (!next_number(reply_, i, *x)) read = false;
  if (!read) data_error();
  return state_;
}

Outcome Link::SET_SCALES(int r, int t, int c) {
  const ChannelRecord& ch = chan(r, t, c);
  return send(r, kCommandScales,
              Request()
                  .digit(t)
                  .digit(c)
                  .number(ch.SCALE_IPZERO)
                  .put(kCarriageReturn)
                  .put(kLineFeed)
                  .number(ch.SCALE_GAIN)
                  .put(kCarriageReturn)
                  .put(kLineFeed)
                  .number(ch.SCALE_OPZERO)
                  .put(kCarriageReturn));
}

Outcome Link::READ_SWITCHES(int r) {
  begin();
  if (!exchange(r, kCommandSwitches, Request())) return state_;
  ReceiverRecord& rx = rec(r);
  rx.IPSWITCH = static_cast<Byte>(digit_at(7) * 16 + digit_at(8));
  rx.HCASWITCH = static_cast<Byte>(digit_at(9) * 16 + digit_at(10));
  rx.MOD_MODE = test_bit(rx.HCASWITCH, 6) ? 0 : 1;
  return state_;
}

}  // namespace kdv::link
