#include "receiver.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "link/comms.h"

namespace sim {

using namespace globals;
using namespace comms;

namespace {

constexpr std::uint8_t STX = 0x02, ETX = 0x03;
constexpr char CR = '\r', LF = '\n';

// Refusal codes.
constexpr int PROTOCOL = 0, WRONG_PARAMETERS = 1, TX_CH_INVALID = 2, OVERRANGE = 3,
              WRITE_DISABLED = 7;

char digit(int v) { return static_cast<char>(0x30 + v); }

std::string two_digit(int v) { return {digit((v >> 4) & 0x0F), digit(v & 0x0F)}; }

std::string hex4(std::int32_t v) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = hex[v & 0x0F];
  return s;
}

// Serial settings selected by HCA levers 1..4 (0..11): baud code, parity,
// data bits code.
struct HardwareComms {
  int baud, parity, dbits;
};
constexpr HardwareComms HARDWARE_COMMS[12] = {
    {1, 0, 1}, {3, 0, 1}, {3, 1, 1}, {3, 2, 1}, {4, 0, 1}, {6, 0, 1},
    {6, 1, 1}, {6, 2, 1}, {6, 0, 0}, {6, 1, 0}, {6, 2, 0}, {7, 0, 1}};

// A number field of a request (10 characters, blanks around the number).
bool field_number(std::string_view f, double& x) {
  while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
  while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
  return DECIMAL(f, x);
}

void set_factory_defaults(RECIEVER_DATA& rx, byte type) {
  rx.TAG_FIELD = std::string(25, ' ');
  rx.MOD_ADDRESSA = 1;
  rx.MOD_ADDRESSB = 2;
  rx.DATA_FORMAT = 0;
  rx.MOD_BAUD = 6;
  rx.MOD_PARITY = 0;
  rx.MOD_DBITS = 1;
  rx.MOD_STOP = 1;
  rx.CHECK_MODE = 0;
  rx.UNITS = 1;
  rx.LINE_REJ = 0;
  rx.NO_OF_TX = 1;
  for (int t = 1; t <= 4; ++t) INIT_TX(rx, t, type);
}

}  // namespace

Receiver::Receiver() {
  RECIEVER_DATA& rx = state_;
  set_factory_defaults(rx, 1);
  rx.TAG_FIELD = "SIMULATED RECEIVER       ";
  rx.IPVER = "3.21";
  rx.HCAVER = "2.04";
  rx.MOD_ADDRESSA = 17;
  rx.MOD_ADDRESSB = 18;
  rx.NO_OF_TX = 2;
  rx.HCASWITCH = 0x0F;  // serial settings by software, RTU
  rx.IPSWITCH = 0;      // address by software, writing enabled
  rx.HW1 = rx.HW2 = true;
  rx.ELD = false;
  // Transmitter 1, a type 571: compensated K thermocouples, an RTD, a
  // millivolt input with a negative output offset; channel 16 measures the
  // cold junction.
  TRANSMITTER_DATA& t1 = rx.TRANSMITTER[1];
  for (int c = 1; c <= 16; ++c) t1.CHANNEL[c].INPUT_TYPE = c <= 4 ? 9 : 3;
  t1.CHANNEL[5].INPUT_TYPE = 14;
  t1.CHANNEL[6].INPUT_TYPE = 0;
  t1.CHANNEL[6].SCALE_GAIN = 2.5;
  t1.CHANNEL[6].SCALE_OPZERO = -5;
  t1.CHANNEL[16].INPUT_TYPE = 14;
  // Transmitter 2, a type 572: current loops, an RTD and a square-root input.
  INIT_TX(rx, 2, 2);
  rx.TRANSMITTER[2].CHANNEL[7].INPUT_TYPE = 13;
  rx.TRANSMITTER[2].CHANNEL[8].INPUT_TYPE = 15;
  rx.CHECKSUM = checksum();
}

Bytes Receiver::frame_of(const Request& q) {
  Bytes f = {STX, STX, 'c', static_cast<std::uint8_t>(0x50 + q.receiver),
             static_cast<std::uint8_t>(0x30 + q.command)};
  f.insert(f.end(), q.params.begin(), q.params.end());
  f.push_back(ETX);
  return f;
}

Bytes Receiver::receive(std::uint8_t b) {
  if (partial_.empty()) {
    if (b == STX) partial_.push_back(b);
    return {};
  }
  // A new frame start cuts off a frame that was abandoned half sent.
  if (b == STX && partial_.size() >= 2 && partial_.back() == STX) {
    partial_.assign({STX, STX});
    return {};
  }
  partial_.push_back(b);
  if (b != ETX) {
    if (partial_.size() > 5 + 255 + 1) partial_.clear();
    return {};
  }
  Bytes frame;
  frame.swap(partial_);
  if (frame.size() < 6 || frame[1] != STX || frame[2] != 'c' || frame[3] < 0x50 || frame[4] < 0x30)
    return {};
  Request q{frame[3] - 0x50, frame[4] - 0x30, std::string(frame.begin() + 5, frame.end() - 1)};
  requests_.push_back(q);
  ++frames_;
  if (q.receiver != address) return {};
  return answer(q);
}

bool Receiver::faulty(int command) const {
  return (faults.only_command < 0 || faults.only_command == command) && frames_ > faults.after;
}

Bytes Receiver::answer(const Request& q) {
  const bool hit = faulty(q.command);
  reply_delay_ms_ = hit ? faults.delay_ms : 0;
  if (hit && faults.no_reply) return {};
  if (hit && faults.raw_reply) return *faults.raw_reply;
  bad_numbers_now_ = hit && faults.bad_numbers;
  const Answer a = hit && faults.refuse >= 0 ? Answer{faults.refuse, {}} : dispatch(q);
  const RECIEVER_DATA& rx = state_;
  const std::uint8_t status1 = 0x40 | (rx.ELD ? 0 : 1) | (rx.HW2 ? 2 : 0) | (rx.HW1 ? 4 : 0);
  const std::uint8_t status2 = 0x40 | (unconfirmed ? 1 : 0) | (hit && faults.tx_failed ? 2 : 0) |
                               (hit && faults.hht ? 4 : 0) | (a.refuse >= 0 ? 8 : 0);
  Bytes out(hit ? static_cast<std::size_t>(std::max(faults.noise, 0)) : 0, 0xFF);
  const std::size_t start = out.size();
  out.insert(out.end(), {STX, status1, status2, 'b', static_cast<std::uint8_t>(0x50 + address),
                         static_cast<std::uint8_t>(0x30 + q.command), ' '});
  if (a.refuse >= 0) out.push_back(static_cast<std::uint8_t>(digit(a.refuse)));
  out.insert(out.end(), a.data.begin(), a.data.end());
  if (hit && faults.short_reply) out.resize(start + 6);
  out.push_back(ETX);
  if (hit && faults.wrong_frame == 3) out[start + 3] = 'x';
  if (hit && faults.wrong_frame == 4) out[start + 4] = static_cast<std::uint8_t>(0x51 + address);
  return out;
}

Receiver::Answer Receiver::dispatch(const Request& q) {
  RECIEVER_DATA& rx = state_;
  const std::string& p = q.params;
  const std::size_t n = p.size();
  auto d = [&p](std::size_t i) { return static_cast<int>(static_cast<std::uint8_t>(p[i] - 0x30)); };
  auto tc_valid = [](int t, int c) { return t >= 1 && t <= 4 && c >= 1 && c <= 16; };
  const Answer wrong{WRONG_PARAMETERS, {}};
  const Answer invalid{TX_CH_INVALID, {}};
  const Answer overrange{OVERRANGE, {}};
  const Answer done{};

  // Writing is refused while IP lever 7 is set; a change awaits confirmation.
  const bool write_disabled = TSTBIT(rx.IPSWITCH, 6);
  const bool keeps_old = q.command == faults.keep_old && p.starts_with(faults.keep_old_at);
  auto set = [&](bool ok, auto&& apply) -> Answer {
    if (write_disabled) return {WRITE_DISABLED, {}};
    if (!ok) return overrange;
    if (keeps_old) return done;
    apply();
    unconfirmed = true;
    return done;
  };

  switch (q.command) {
    case CMD_INPUT:
      if (n != 2) return wrong;
      if (!tc_valid(d(0), d(1))) return invalid;
      return read_input(d(0), d(1));
    case CMD_CJ:
      if (n != 1) return wrong;
      if (!tc_valid(d(0), 1)) return invalid;
      return read_cj(d(0));
    case CMD_VALS:
      if (n != 1) return wrong;
      if (!tc_valid(d(0), 1)) return invalid;
      return read_vals(d(0));
    case CMD_NO_TX:
      if (n == 0) return {-1, {digit(rx.NO_OF_TX)}};
      if (n != 1) return wrong;
      return set(d(0) >= 1 && d(0) <= 4, [&] { rx.NO_OF_TX = static_cast<byte>(d(0)); });
    case CMD_TXTYPE:
      if (n == 0 || n > 2) return wrong;
      if (!tc_valid(d(0), 1)) return invalid;
      if (n == 1) return {-1, {p[0], '5', '7', digit(rx.TRANSMITTER[d(0)].TXTYPE)}};
      return set(d(1) == 1 || d(1) == 2,
                 [&] { rx.TRANSMITTER[d(0)].TXTYPE = static_cast<byte>(d(1)); });
    case CMD_INPTYPE: {
      if (n != 2 && n != 4) return wrong;
      if (!tc_valid(d(0), d(1))) return invalid;
      CHANNEL_DATA& ch = rx.TRANSMITTER[d(0)].CHANNEL[d(1)];
      if (n == 2)
        return {-1, {p[0], p[1], ' ', 'T', digit(ch.INPUT_TYPE), ' ', 'D', digit(ch.THC_DRIVE)}};
      return set(ADMITS_INPUT_TYPE(rx.TRANSMITTER[d(0)].TXTYPE, d(2)) && d(3) <= 2, [&] {
        ch.INPUT_TYPE = static_cast<byte>(d(2));
        ch.THC_DRIVE = static_cast<byte>(d(3));
      });
    }
    case CMD_ALARMS: {
      if (n != 2 && n != 24) return wrong;
      if (!tc_valid(d(0), d(1))) return invalid;
      CHANNEL_DATA& ch = rx.TRANSMITTER[d(0)].CHANNEL[d(1)];
      if (n == 2)
        return {-1, std::string{p[0], p[1], CR} + "ALARMS" + CR + LF + 'L' + number(ch.LOW_ALARM) +
                        CR + LF + 'H' + number(ch.HIGH_ALARM) + CR};
      double low = 0, high = 0;
      if (p[12] != CR || p[23] != CR || !field_number(std::string_view(p).substr(2, 10), low) ||
          !field_number(std::string_view(p).substr(13, 10), high))
        return wrong;
      return set(true, [&] {
        ch.LOW_ALARM = low;
        ch.HIGH_ALARM = high;
      });
    }
    case CMD_SCALES: {
      if (n != 2 && n != 37) return wrong;
      if (!tc_valid(d(0), d(1))) return invalid;
      CHANNEL_DATA& ch = rx.TRANSMITTER[d(0)].CHANNEL[d(1)];
      if (n == 2)
        return {-1, std::string{p[0], p[1], CR, LF} + number(ch.SCALE_IPZERO) + CR + LF +
                        number(ch.SCALE_GAIN) + CR + LF + number(ch.SCALE_OPZERO) + CR};
      double ipzero = 0, gain = 0, opzero = 0;
      const std::string_view v(p);
      if (v.substr(12, 2) != "\r\n" || v.substr(24, 2) != "\r\n" || p[36] != CR ||
          !field_number(v.substr(2, 10), ipzero) || !field_number(v.substr(14, 10), gain) ||
          !field_number(v.substr(26, 10), opzero))
        return wrong;
      return set(true, [&] {
        ch.SCALE_IPZERO = ipzero;
        ch.SCALE_GAIN = gain;
        ch.SCALE_OPZERO = opzero;
      });
    }
    case CMD_TEMP:
      if (n == 0) return {-1, {digit(rx.UNITS)}};
      if (n != 1) return wrong;
      return set(d(0) >= 1 && d(0) <= 3, [&] { rx.UNITS = static_cast<byte>(d(0)); });
    case CMD_LINEREJ:
      if (n == 0) return {-1, {digit(rx.LINE_REJ)}};
      if (n != 1) return wrong;
      return set(d(0) <= 1, [&] { rx.LINE_REJ = static_cast<byte>(d(0)); });
    case CMD_DATAFMT:
      if (n == 0) return {-1, {digit(rx.DATA_FORMAT)}};
      if (n != 1) return wrong;
      return set(DFORMAT_POSITION(static_cast<byte>(d(0))) != 0,
                 [&] { rx.DATA_FORMAT = static_cast<byte>(d(0)); });
    case CMD_CSUMMODE:
      if (n == 0) return {-1, {digit(rx.CHECK_MODE)}};
      if (n != 1) return wrong;
      return set(d(0) <= 1, [&] { rx.CHECK_MODE = static_cast<byte>(d(0)); });
    case CMD_TAG:
      if (n == 0) {
        std::string tag = rx.TAG_FIELD.str();
        tag.resize(25, ' ');
        return {-1, tag};
      }
      if (n != 25) return wrong;
      return set(true, [&] {
        std::string tag = p;
        for (char& c : tag)
          if (static_cast<std::uint8_t>(c) < 0x20) c = ' ';  // never a frame byte in a reply
        rx.TAG_FIELD = tag;
      });
    case CMD_COMMS: {
      const int levers = rx.HCASWITCH & 0x0F;
      if (n == 0) {
        const HardwareComms hw = levers < 12 ? HARDWARE_COMMS[levers] : HardwareComms{0, 0, 0};
        const int hw_bits = levers < 12 ? LINE_BITS(1, hw.parity, hw.dbits) : 0;
        return {-1, std::string{comms_by_hardware() ? 'H' : 'S', ' ', ' ', digit(hw.baud),
                                digit(hw_bits), ' ', ' ', digit(rx.MOD_BAUD),
                                digit(LINE_BITS(rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS))}};
      }
      if (n != 2) return wrong;
      return set(d(0) >= 1 && d(0) <= 8 && d(1) <= 15, [&] {
        rx.MOD_BAUD = static_cast<byte>(d(0));
        FROM_LINE_BITS(d(1), rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS);
      });
    }
    case CMD_ADDRESS: {
      if (n == 0) {
        const int a = rx.IPSWITCH & 0x1F;
        const int b = a + (TSTBIT(rx.HCASWITCH, 4) ? 32 : 0);
        return {-1, std::string{address_by_hardware() ? 'H' : 'S', ' ', ' '} + two_digit(a) +
                        two_digit(b) + "  " + two_digit(rx.MOD_ADDRESSA) +
                        two_digit(rx.MOD_ADDRESSB)};
      }
      if (n != 4) return wrong;
      for (std::size_t i = 0; i < 4; ++i)
        if (d(i) > 15) return wrong;
      return set(true, [&] {
        rx.MOD_ADDRESSA = static_cast<byte>(d(0) * 16 + d(1));
        rx.MOD_ADDRESSB = static_cast<byte>(d(2) * 16 + d(3));
      });
    }
    case CMD_VERS:
      if (n != 0) return wrong;
      return {-1, Text<4>(rx.IPVER.view()).str() + "  " + Text<4>(rx.HCAVER.view()).str()};
    case CMD_CHECKSUM:
      if (n != 0) return wrong;
      rx.RAMCHKSUM = checksum();
      return {-1, hex4(rx.CHECKSUM) + ' ' + hex4(rx.RAMCHKSUM)};
    case CMD_SWITCHES:
      if (n != 0) return wrong;
      return {-1, two_digit(rx.IPSWITCH) + two_digit(rx.HCASWITCH)};
    case CMD_CONFIRM:
      if (n != 1 || p[0] != '0') return wrong;
      unconfirmed = false;
      rx.CHECKSUM = checksum();
      return done;
    case CMD_RESET:
      if (n != 1) return wrong;
      return set(d(0) == 1 || d(0) == 2 || d(0) == 9 || d(0) == 10, [&] { reset(d(0)); });
    case CMD_SIGNOFF:
      if (n != 0) return wrong;
      signed_off = true;
      return done;
    default:
      return {PROTOCOL, {}};
  }
}

// Kinds 1 and 2 reset the whole configuration for transmitters of type 571
// or 572; 9 and 10 reset the scalings only.
void Receiver::reset(int kind) {
  if (kind <= 2)
    set_factory_defaults(state_, static_cast<byte>(kind));
  else
    for (int t = 1; t <= 4; ++t) INIT_TX(state_, t, static_cast<byte>(kind - 8));
}

bool Receiver::comms_by_hardware() const { return (state_.HCASWITCH & 0x0F) != 0x0F; }
bool Receiver::address_by_hardware() const { return (state_.IPSWITCH & 0x1F) != 0; }

std::int32_t Receiver::checksum() const {
  const RECIEVER_DATA& rx = state_;
  std::string s = rx.TAG_FIELD.str();
  for (int v : {rx.MOD_ADDRESSA, rx.MOD_ADDRESSB, rx.DATA_FORMAT, rx.MOD_BAUD, rx.MOD_PARITY,
                rx.MOD_DBITS, rx.MOD_STOP, rx.CHECK_MODE, rx.UNITS, rx.LINE_REJ, rx.NO_OF_TX})
    s += digit(v);
  for (const TRANSMITTER_DATA& tx : rx.TRANSMITTER) {
    s += digit(tx.TXTYPE);
    for (const CHANNEL_DATA& ch : tx.CHANNEL) {
      s += std::string{digit(ch.INPUT_TYPE), digit(ch.THC_DRIVE)};
      for (double x : {ch.HIGH_ALARM, ch.LOW_ALARM, ch.SCALE_IPZERO, ch.SCALE_GAIN, ch.SCALE_OPZERO})
        s += IOSTR(x);
    }
  }
  std::uint32_t sum = 0;
  for (char c : s) sum = (sum * 31 + static_cast<std::uint8_t>(c)) & 0xFFFF;
  return static_cast<std::int32_t>(sum);
}

// ---- Live values ----------------------------------------------------------

double Receiver::live_value(int t, int c) {
  const TRANSMITTER_DATA& tx = state_.TRANSMITTER[t];
  const int type = tx.CHANNEL[c].INPUT_TYPE;
  const double wave = std::sin(step_ * 0.35 + c * 0.9);
  if (tx.TXTYPE == 2) return type == 13 ? 100 + c + 12 * wave : 12 + 9 * wave;  // ohms, mA
  if (type == 0) return 10 + c + 5 * wave;   // millivolts
  if (type == 13) return 110 + 8 * wave;     // ohms
  const double celsius = 20 + 3 * c + 15 * wave;
  if (state_.UNITS == 2) return celsius * 9 / 5 + 32;
  if (state_.UNITS == 3) return celsius + 273.15;
  return celsius;
}

char Receiver::unit_letter(int t, int c) const {
  const TRANSMITTER_DATA& tx = state_.TRANSMITTER[t];
  const int type = tx.CHANNEL[c].INPUT_TYPE;
  if (tx.TXTYPE == 2) return type == 13 ? 'R' : type == 15 ? '!' : 'I';
  if (type == 0) return 'V';
  if (type == 13) return 'R';
  return state_.UNITS == 2 ? 'F' : state_.UNITS == 3 ? 'K' : 'C';
}

std::string Receiver::value_text(double x) const {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 2);
  std::string s(buf, res.ptr);
  if (bad_numbers_now_) s[s.find_first_of("0123456789")] = '#';
  return s;
}

std::string Receiver::number(double x) const { return bad_numbers_now_ ? "       -.-" : IOSTR(x); }

Receiver::Answer Receiver::read_input(int t, int c) {
  ++step_;
  const CHANNEL_DATA& ch = state_.TRANSMITTER[t].CHANNEL[c];
  const double v = live_value(t, c);
  const char alarm = v > ch.HIGH_ALARM ? 'H' : v < ch.LOW_ALARM ? 'L' : 'N';
  return {-1, std::string{digit(state_.TRANSMITTER[t].TXTYPE == 2 ? 2 : 1), digit(t), digit(c), ' ',
                          alarm, ' '} +
                  value_text(v) + ' ' + unit_letter(t, c) + "    " + CR + LF};
}

Receiver::Answer Receiver::read_cj(int t) {
  const double celsius = 24 + 0.5 * std::sin(step_ * 0.2);
  const int units = state_.UNITS;
  const double v = units == 2 ? celsius * 9 / 5 + 32 : units == 3 ? celsius + 273.15 : celsius;
  const char unit = units == 2 ? 'F' : units == 3 ? 'K' : 'C';
  return {-1, std::string{digit(t), 'C', 'J'} + value_text(v) + ' ' + unit + "    " + CR + LF};
}

Receiver::Answer Receiver::read_vals(int t) {
  ++step_;
  const TRANSMITTER_DATA& tx = state_.TRANSMITTER[t];
  const int type = tx.TXTYPE == 2 ? 2 : 1;
  std::string data{digit(t), digit(type), CR, LF};
  for (int c = 1; c <= (type == 1 ? 16 : 8); ++c) {
    const double v = live_value(t, c);
    const CHANNEL_DATA& ch = tx.CHANNEL[c];
    data += v > ch.HIGH_ALARM ? 'H' : v < ch.LOW_ALARM ? 'L' : 'N';
    data += ' ' + value_text(v) + ' ' + unit_letter(t, c) + CR + LF;
  }
  return {-1, data};
}

}  // namespace sim
