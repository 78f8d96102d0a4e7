#include "receiver.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

#include "link/command_set.h"
#include "link/outcome.h"

namespace kdv::sim {

using namespace kdv::model;
using namespace kdv::link;

namespace {

constexpr std::uint8_t kStx = 0x02, kEtx = 0x03;
constexpr char kCarriageReturn = '\r', kLineFeed = '\n';

// Refusal codes.
constexpr int kRefuseProtocol = 0, kRefuseWrongParameters = 1, kRefuseInvalidPlace = 2, kRefuseOverrange = 3,
              kRefuseWriteDisabled = 7;

char digit(int v) { return static_cast<char>(0x30 + v); }

std::string two_digit(int v) { return {digit((v >> 4) & 0x0F), digit(v & 0x0F)}; }

std::string hex4(std::int32_t v) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = kHexDigits[v & 0x0F];
  return s;
}

// Serial settings selected by HCA levers 1..4 (0..11): baud code, parity,
// data bits code.
struct HardwareComms {
  int baud, parity, dbits;
};
constexpr HardwareComms kHardwareComms[12] = {
    {1, 0, 1}, {3, 0, 1}, {3, 1, 1}, {3, 2, 1}, {4, 0, 1}, {6, 0, 1},
    {6, 1, 1}, {6, 2, 1}, {6, 0, 0}, {6, 1, 0}, {6, 2, 0}, {7, 0, 1}};

// A number field of a request (10 characters, blanks around the number).
bool field_number(std::string_view f, double& x) {
  while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
  while (!f.empty() && f.back() == ' ') f.remove_suffix(1);
  return parse_decimal(f, x);
}

void set_factory_defaults(ReceiverRecord& rx, Byte type) {
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
  for (int t = 1; t <= 4; ++t) init_transmitter(rx, t, type);
}

}  // namespace

// ---- The command set -------------------------------------------------------
//
// One row per command: what its leading parameter digits address, the
// parameter counts of its reading and of its change, and the functions that
// read or change the receiver. A request of neither count is refused as
// wrong parameters, one that names a transmitter or channel that does not
// exist as invalid.
struct CommandSet {
  enum class Target { kReceiver, kTransmitter, kChannel };
  // What a command's change is: settings are refused while writing is
  // disabled and then await confirmation; controls (confirm, sign off) are
  // obeyed either way. Readings change nothing.
  enum class Access { kReading, kSetting, kControl };

  struct Command;
  struct Args {
    const Command& command;
    std::string_view p;
    // Parameter digit i (30h onwards; bytes below 30h read as large values).
    int d(std::size_t i) const { return static_cast<std::uint8_t>(p[i] - 0x30); }
    int t() const { return d(0); }
    int c() const { return d(1); }
  };
  // A change as requested, checked before it is made.
  struct Change {
    bool readable = true;  // false: the parameters cannot be read
    bool fits = true;      // false: a value out of range
    std::function<void()> make;
  };
  using Answer = Receiver::Answer;
  using Reader = std::string (*)(Receiver&, const Args&);
  using Writer = Change (*)(Receiver&, const Args&);

  struct Command {
    int code;
    Target target;
    int read_size;   // parameters of a reading; -1: there is none
    int write_size;  // parameters of a change; -1: there is none
    Access access;
    Reader read;
    Writer write;
    // One-digit settings: the field read and written, and the values it takes.
    Byte ReceiverRecord::*field = nullptr;
    bool (*fits)(int) = nullptr;
  };

  static const Command* find(int code);
  // Whether the request asks a setting to change.
  static bool writes(const Request& q) {
    const Command* command = find(q.command);
    return command && command->access == Access::kSetting &&
           static_cast<int>(q.params.size()) == command->write_size;
  }
  static Answer dispatch(Receiver& r, const Request& q);

  static bool addressed_exists(const Args& a) {
    const bool tx = a.t() >= 1 && a.t() <= 4;
    switch (a.command.target) {
      case Target::kReceiver: return true;
      case Target::kTransmitter: return tx;
      case Target::kChannel: return tx && a.c() >= 1 && a.c() <= 16;
    }
    return false;
  }
  // cppcheck-suppress constParameter ; the channel is changed through it too
  static ChannelRecord& channel_of(Receiver& r, const Args& a) {
    return r.state_.TRANSMITTER[a.t()].CHANNEL[a.c()];
  }
  template <int Low, int High>
  static bool within(int v) {
    return v >= Low && v <= High;
  }
  static bool data_format_fits(int v) { return data_format_position(static_cast<Byte>(v)) != 0; }
  // A live value's alarm state: high, low or none.
  static char alarm_of(double v, const ChannelRecord& ch) {
    return v > ch.HIGH_ALARM ? 'H' : v < ch.LOW_ALARM ? 'L' : 'N';
  }

  // ---- Readings

  static std::string read_input(Receiver& r, const Args& a) {
    const int t = a.t(), c = a.c();
    ++r.step_;
    const ChannelRecord& ch = channel_of(r, a);
    const double v = r.live_value(t, c);
    return std::string{digit(r.state_.TRANSMITTER[t].TXTYPE == 2 ? 2 : 1), digit(t), digit(c), ' ',
                       alarm_of(v, ch), ' '} +
           r.value_text(v) + ' ' + r.unit_letter(t, c) + "    " + kCarriageReturn + kLineFeed;
  }
  static std::string read_cj(Receiver& r, const Args& a) {
    const double celsius = 24 + 0.5 * std::sin(r.step_ * 0.2);
    const int units = r.state_.UNITS;
    const double v = units == 2 ? celsius * 9 / 5 + 32 : units == 3 ? celsius + 273.15 : celsius;
    const char unit = units == 2 ? 'F' : units == 3 ? 'K' : 'C';
    return std::string{digit(a.t()), 'C', 'J'} + r.value_text(v) + ' ' + unit + "    " + kCarriageReturn + kLineFeed;
  }
  static std::string read_vals(Receiver& r, const Args& a) {
    const int t = a.t();
    ++r.step_;
    const TransmitterRecord& tx = r.state_.TRANSMITTER[t];
    const int type = tx.TXTYPE == 2 ? 2 : 1;
    std::string data{digit(t), digit(type), kCarriageReturn, kLineFeed};
    for (int c = 1; c <= (type == 1 ? 16 : 8); ++c) {
      const double v = r.live_value(t, c);
      const ChannelRecord& ch = tx.CHANNEL[c];
      data += alarm_of(v, ch);
      data += ' ' + r.value_text(v) + ' ' + r.unit_letter(t, c) + kCarriageReturn + kLineFeed;
    }
    return data;
  }
  static std::string read_setting(Receiver& r, const Args& a) {
    return {digit(r.state_.*a.command.field)};
  }
  static std::string read_tx_type(Receiver& r, const Args& a) {
    return {a.p[0], '5', '7', digit(r.state_.TRANSMITTER[a.t()].TXTYPE)};
  }
  static std::string read_input_type(Receiver& r, const Args& a) {
    const ChannelRecord& ch = channel_of(r, a);
    return {a.p[0], a.p[1], ' ', 'T', digit(ch.INPUT_TYPE), ' ', 'D', digit(ch.THC_DRIVE)};
  }
  static std::string read_alarms(Receiver& r, const Args& a) {
    const ChannelRecord& ch = channel_of(r, a);
    return std::string{a.p[0], a.p[1], kCarriageReturn} + "ALARMS" + kCarriageReturn + kLineFeed + 'L' + r.number(ch.LOW_ALARM) +
           kCarriageReturn + kLineFeed + 'H' + r.number(ch.HIGH_ALARM) + kCarriageReturn;
  }
  static std::string read_scales(Receiver& r, const Args& a) {
    const ChannelRecord& ch = channel_of(r, a);
    return std::string{a.p[0], a.p[1], kCarriageReturn, kLineFeed} + r.number(ch.SCALE_IPZERO) + kCarriageReturn + kLineFeed +
           r.number(ch.SCALE_GAIN) + kCarriageReturn + kLineFeed + r.number(ch.SCALE_OPZERO) + kCarriageReturn;
  }
  static std::string read_tag(Receiver& r, const Args&) {
    std::string tag = r.state_.TAG_FIELD.str();
    tag.resize(25, ' ');
    return tag;
  }
  static std::string read_comms(Receiver& r, const Args&) {
    const ReceiverRecord& rx = r.state_;
    const int levers = rx.HCASWITCH & 0x0F;
    const HardwareComms hw = levers < 12 ? kHardwareComms[levers] : HardwareComms{0, 0, 0};
    const int hw_bits = levers < 12 ? line_bits_digit(1, hw.parity, hw.dbits) : 0;
    return {r.comms_by_hardware() ? 'H' : 'S', ' ', ' ', digit(hw.baud), digit(hw_bits), ' ', ' ',
            digit(rx.MOD_BAUD), digit(line_bits_digit(rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS))};
  }
  static std::string read_address(Receiver& r, const Args&) {
    const ReceiverRecord& rx = r.state_;
    const int a = rx.IPSWITCH & 0x1F;
    const int b = a + (test_bit(rx.HCASWITCH, 4) ? 32 : 0);
    return std::string{r.address_by_hardware() ? 'H' : 'S', ' ', ' '} + two_digit(a) +
           two_digit(b) + "  " + two_digit(rx.MOD_ADDRESSA) + two_digit(rx.MOD_ADDRESSB);
  }
  static std::string read_versions(Receiver& r, const Args&) {
    return kdv::model::Text<4>(r.state_.IPVER.view()).str() + "  " + kdv::model::Text<4>(r.state_.HCAVER.view()).str();
  }
  static std::string read_checksum(Receiver& r, const Args&) {
    r.state_.RAMCHKSUM = r.checksum();
    return hex4(r.state_.CHECKSUM) + ' ' + hex4(r.state_.RAMCHKSUM);
  }
  static std::string read_switches(Receiver& r, const Args&) {
    return two_digit(r.state_.IPSWITCH) + two_digit(r.state_.HCASWITCH);
  }

  // ---- Changes

  static Change write_setting(Receiver& r, const Args& a) {
    const int v = a.d(0);
    Byte& field = r.state_.*a.command.field;
    return {true, a.command.fits(v), [&field, v] { field = static_cast<Byte>(v); }};
  }
  static Change write_tx_type(Receiver& r, const Args& a) {
    Byte& field = r.state_.TRANSMITTER[a.t()].TXTYPE;
    const int type = a.d(1);
    return {true, type == 1 || type == 2, [&field, type] { field = static_cast<Byte>(type); }};
  }
  static Change write_input_type(Receiver& r, const Args& a) {
    ChannelRecord& ch = channel_of(r, a);
    const int type = a.d(2), drive = a.d(3);
    return {true, admits_input_type(r.state_.TRANSMITTER[a.t()].TXTYPE, type) && drive <= 2,
            [&ch, type, drive] {
              ch.INPUT_TYPE = static_cast<Byte>(type);
              ch.THC_DRIVE = static_cast<Byte>(drive);
            }};
  }
  static Change write_alarms(Receiver& r, const Args& a) {
    double low = 0, high = 0;
    if (a.p[12] != kCarriageReturn || a.p[23] != kCarriageReturn || !field_number(a.p.substr(2, 10), low) ||
        !field_number(a.p.substr(13, 10), high))
      return {false, true, nullptr};
    ChannelRecord& ch = channel_of(r, a);
    return {true, true, [&ch, low, high] {
              ch.LOW_ALARM = low;
              ch.HIGH_ALARM = high;
            }};
  }
  static Change write_scales(Receiver& r, const Args& a) {
    double ipzero = 0, gain = 0, opzero = 0;
    const std::string_view v = a.p;
    if (v.substr(12, 2) != "\r\n" || v.substr(24, 2) != "\r\n" || v[36] != kCarriageReturn ||
        !field_number(v.substr(2, 10), ipzero) || !field_number(v.substr(14, 10), gain) ||
        !field_number(v.substr(26, 10), opzero))
      return {false, true, nullptr};
    ChannelRecord& ch = channel_of(r, a);
    return {true, true, [&ch, ipzero, gain, opzero] {
              ch.SCALE_IPZERO = ipzero;
              ch.SCALE_GAIN = gain;
              ch.SCALE_OPZERO = opzero;
            }};
  }
  static Change write_tag(Receiver& r, const Args& a) {
    std::string tag(a.p);
    for (char& c : tag)
      if (static_cast<std::uint8_t>(c) < 0x20) c = ' ';  // never a frame byte in a reply
    return {true, true, [&r, tag] { r.state_.TAG_FIELD = tag; }};
  }
  static Change write_comms(Receiver& r, const Args& a) {
    const int baud = a.d(0), bits = a.d(1);
    return {true, baud >= 1 && baud <= 8 && bits <= 15, [&rx = r.state_, baud, bits] {
              rx.MOD_BAUD = static_cast<Byte>(baud);
              from_line_bits_digit(bits, rx.MOD_STOP, rx.MOD_PARITY, rx.MOD_DBITS);
            }};
  }
  static Change write_address(Receiver& r, const Args& a) {
    for (std::size_t i = 0; i < 4; ++i)
      if (a.d(i) > 15) return {false, true, nullptr};
    const int first = a.d(0) * 16 + a.d(1), second = a.d(2) * 16 + a.d(3);
    return {true, true, [&rx = r.state_, first, second] {
              rx.MOD_ADDRESSA = static_cast<Byte>(first);
              rx.MOD_ADDRESSB = static_cast<Byte>(second);
            }};
  }
  static Change write_reset(Receiver& r, const Args& a) {
    const int kind = a.d(0);
    return {true, kind == 1 || kind == 2 || kind == 9 || kind == 10, [&r, kind] { r.reset(kind); }};
  }
  static Change confirm(Receiver& r, const Args& a) {
    return {a.p[0] == '0', true, [&r] {
              r.unconfirmed = false;
              r.state_.CHECKSUM = r.checksum();
            }};
  }
  static Change sign_off(Receiver& r, const Args&) {
    return {true, true, [&r] { r.signed_off = true; }};
  }
};

const CommandSet::Command* CommandSet::find(int code) {
  using enum Target;
  using enum Access;
  static const Command kCommands[] = {
      // command, addressed, read and write parameter counts, access, reader, writer
      {kCommandInput, kChannel, 2, -1, kReading, read_input, nullptr},
      {kCommandColdJunction, kTransmitter, 1, -1, kReading, read_cj, nullptr},
      {kCommandValues, kTransmitter, 1, -1, kReading, read_vals, nullptr},
      {kCommandTransmitterCount, kReceiver, 0, 1, kSetting, read_setting, write_setting, &ReceiverRecord::NO_OF_TX,
       within<1, 4>},
      {kCommandTransmitterType, kTransmitter, 1, 2, kSetting, read_tx_type, write_tx_type},
      {kCommandInputType, kChannel, 2, 4, kSetting, read_input_type, write_input_type},
      {kCommandAlarms, kChannel, 2, 24, kSetting, read_alarms, write_alarms},
      {kCommandScales, kChannel, 2, 37, kSetting, read_scales, write_scales},
      {kCommandTemperatureUnits, kReceiver, 0, 1, kSetting, read_setting, write_setting, &ReceiverRecord::UNITS,
       within<1, 3>},
      {kCommandLineRejection, kReceiver, 0, 1, kSetting, read_setting, write_setting, &ReceiverRecord::LINE_REJ,
       within<0, 1>},
      {kCommandDataFormat, kReceiver, 0, 1, kSetting, read_setting, write_setting,
       &ReceiverRecord::DATA_FORMAT, data_format_fits},
      {kCommandChecksumMode, kReceiver, 0, 1, kSetting, read_setting, write_setting,
       &ReceiverRecord::CHECK_MODE, within<0, 1>},
      {kCommandTag, kReceiver, 0, 25, kSetting, read_tag, write_tag},
      {kCommandSerialSettings, kReceiver, 0, 2, kSetting, read_comms, write_comms},
      {kCommandAddress, kReceiver, 0, 4, kSetting, read_address, write_address},
      {kCommandVersions, kReceiver, 0, -1, kReading, read_versions, nullptr},
      {kCommandChecksum, kReceiver, 0, -1, kReading, read_checksum, nullptr},
      {kCommandSwitches, kReceiver, 0, -1, kReading, read_switches, nullptr},
      {kCommandReset, kReceiver, -1, 1, kSetting, nullptr, write_reset},
      {kCommandConfirm, kReceiver, -1, 1, kControl, nullptr, confirm},
      {kCommandSignoff, kReceiver, -1, 0, kControl, nullptr, sign_off},
  };
  for (const Command& command : kCommands)
    if (command.code == code) return &command;
  return nullptr;
}

CommandSet::Answer CommandSet::dispatch(Receiver& r, const Request& q) {
  const Command* command = find(q.command);
  if (command == nullptr) return {kRefuseProtocol, {}};
  const Args a{*command, q.params};
  const auto n = static_cast<int>(q.params.size());
  const bool reading = n == command->read_size;
  if (!reading && n != command->write_size) return {kRefuseWrongParameters, {}};
  if (!addressed_exists(a)) return {kRefuseInvalidPlace, {}};
  if (reading) return {-1, command->read(r, a)};
  const Change change = command->write(r, a);
  if (!change.readable) return {kRefuseWrongParameters, {}};
  // Writing is refused while IP lever 7 is set, after unreadable parameters
  // and before values out of range; a change awaits confirmation.
  const bool setting = command->access == Access::kSetting;
  if (setting && test_bit(r.state_.IPSWITCH, 6)) return {kRefuseWriteDisabled, {}};
  if (!change.fits) return {kRefuseOverrange, {}};
  // The keep-old fault acknowledges the change and stores nothing.
  if (setting && q.command == r.faults.keep_old && q.params.starts_with(r.faults.keep_old_at)) return {};
  change.make();
  if (setting) r.unconfirmed = true;
  return {};
}

Receiver::Receiver() {
  ReceiverRecord& rx = state_;
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
  TransmitterRecord& t1 = rx.TRANSMITTER[1];
  for (int c = 1; c <= 16; ++c) t1.CHANNEL[c].INPUT_TYPE = c <= 4 ? 9 : 3;
  t1.CHANNEL[5].INPUT_TYPE = 14;
  t1.CHANNEL[6].INPUT_TYPE = 0;
  t1.CHANNEL[6].SCALE_GAIN = 2.5;
  t1.CHANNEL[6].SCALE_OPZERO = -5;
  t1.CHANNEL[16].INPUT_TYPE = 14;
  // Transmitter 2, a type 572: current loops, an RTD and a square-root input.
  init_transmitter(rx, 2, 2);
  rx.TRANSMITTER[2].CHANNEL[7].INPUT_TYPE = 13;
  rx.TRANSMITTER[2].CHANNEL[8].INPUT_TYPE = 15;
  rx.CHECKSUM = checksum();
}

Bytes Receiver::frame_of(const Request& q) {
  Bytes f = {kStx, kStx, 'c', static_cast<std::uint8_t>(0x50 + q.receiver),
             static_cast<std::uint8_t>(0x30 + q.command)};
  f.insert(f.end(), q.params.begin(), q.params.end());
  f.push_back(kEtx);
  return f;
}

Bytes Receiver::receive(std::uint8_t b) {
  if (partial_.empty()) {
    if (b == kStx) partial_.push_back(b);
    return {};
  }
  // A new frame start cuts off a frame that was abandoned half sent.
  if (b == kStx && partial_.size() >= 2 && partial_.back() == kStx) {
    partial_.assign({kStx, kStx});
    return {};
  }
  partial_.push_back(b);
  if (b != kEtx) {
    if (partial_.size() > 5 + 255 + 1) partial_.clear();
    return {};
  }
  Bytes frame;
  frame.swap(partial_);
  if (frame.size() < 6 || frame[1] != kStx || frame[2] != 'c' || frame[3] < 0x50 || frame[4] < 0x30)
    return {};
  Request q{frame[3] - 0x50, frame[4] - 0x30, std::string(frame.begin() + 5, frame.end() - 1)};
  requests_.push_back(q);
  ++frames_;
  if (q.receiver != address) return {};
  Bytes reply = answer(q);
  last_reply_ = reply;
  return reply;
}

bool Receiver::faulty(int command) const {
  return (faults.only_command < 0 || faults.only_command == command) && frames_ > faults.after;
}

Bytes Receiver::answer(const Request& q) {
  const bool hit = faulty(q.command);
  reply_delay_ms_ = hit ? faults.delay_ms : 0;
  timing_faults_now_ = hit;
  if (hit && faults.no_reply) return {};
  if (hit && faults.raw_reply) return *faults.raw_reply;
  if (hit && faults.stale_write_reply && !stale_reply_sent_ && CommandSet::writes(q)) {
    stale_reply_sent_ = true;
    return last_reply_;
  }
  bad_numbers_now_ = hit && faults.bad_numbers;
  const Answer a =
      hit && faults.refuse >= 0 ? Answer{faults.refuse, {}} : CommandSet::dispatch(*this, q);
  const ReceiverRecord& rx = state_;
  const std::uint8_t status1 = 0x40 | (rx.ELD ? 0 : 1) | (rx.HW2 ? 2 : 0) | (rx.HW1 ? 4 : 0);
  const std::uint8_t status2 = 0x40 | (unconfirmed ? 1 : 0) | (hit && faults.tx_failed ? 2 : 0) |
                               (hit && faults.hht ? 4 : 0) | (a.refuse >= 0 ? 8 : 0);
  Bytes out(hit ? static_cast<std::size_t>(std::max(faults.noise, 0)) : 0, 0xFF);
  const std::size_t start = out.size();
  out.insert(out.end(), {kStx, status1, status2, 'b', static_cast<std::uint8_t>(0x50 + address),
                         static_cast<std::uint8_t>(0x30 + q.command), ' '});
  if (a.refuse >= 0) out.push_back(static_cast<std::uint8_t>(digit(a.refuse)));
  out.insert(out.end(), a.data.begin(), a.data.end());
  if (hit && faults.short_reply) out.resize(start + 6);
  out.push_back(kEtx);
  if (hit && faults.wrong_frame == 3) out[start + 3] = 'x';
  if (hit && faults.wrong_frame == 4) out[start + 4] = static_cast<std::uint8_t>(0x51 + address);
  if (hit && faults.stop_after) out.resize(std::min(out.size(), *faults.stop_after));
  return out;
}

int Receiver::byte_delay_ms(std::size_t k) const {
  if (!timing_faults_now_) return 0;
  return (k == faults.pause_before ? faults.pause_ms : 0) + (k > 0 ? faults.trickle_ms : 0);
}

// Kinds 1 and 2 reset the whole configuration for transmitters of type 571
// or 572; 9 and 10 reset the scalings only.
void Receiver::reset(int kind) {
  if (kind <= 2)
    set_factory_defaults(state_, static_cast<Byte>(kind));
  else
    for (int t = 1; t <= 4; ++t) init_transmitter(state_, t, static_cast<Byte>(kind - 8));
}

bool Receiver::comms_by_hardware() const { return (state_.HCASWITCH & 0x0F) != 0x0F; }
bool Receiver::address_by_hardware() const { return (state_.IPSWITCH & 0x1F) != 0; }

std::int32_t Receiver::checksum() const {
  const ReceiverRecord& rx = state_;
  std::string s = rx.TAG_FIELD.str();
  for (int v : {rx.MOD_ADDRESSA, rx.MOD_ADDRESSB, rx.DATA_FORMAT, rx.MOD_BAUD, rx.MOD_PARITY,
                rx.MOD_DBITS, rx.MOD_STOP, rx.CHECK_MODE, rx.UNITS, rx.LINE_REJ, rx.NO_OF_TX})
    s += digit(v);
  for (const TransmitterRecord& tx : rx.TRANSMITTER) {
    s += digit(tx.TXTYPE);
    for (const ChannelRecord& ch : tx.CHANNEL) {
      s += std::string{digit(ch.INPUT_TYPE), digit(ch.THC_DRIVE)};
      for (double x : {ch.HIGH_ALARM, ch.LOW_ALARM, ch.SCALE_IPZERO, ch.SCALE_GAIN, ch.SCALE_OPZERO})
        s += number_field_text(x);
    }
  }
  std::uint32_t sum = 0;
  for (char c : s) sum = (sum * 31 + static_cast<std::uint8_t>(c)) & 0xFFFF;
  return static_cast<std::int32_t>(sum);
}

// ---- Live values ----------------------------------------------------------

double Receiver::live_value(int t, int c) {
  const TransmitterRecord& tx = state_.TRANSMITTER[t];
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
  const TransmitterRecord& tx = state_.TRANSMITTER[t];
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

std::string Receiver::number(double x) const { return bad_numbers_now_ ? "       -.-" : number_field_text(x); }

}  // namespace kdv::sim
