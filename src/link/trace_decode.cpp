#include "link/trace_decode.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "link/command_set.h"
#include "link/outcome.h"
#include "model/code_page_437.h"
#include "model/setting_keys.h"

namespace kdv::link {

namespace {

using kdv::model::Place;
using kdv::model::Table;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;

// The names of a command: `read` when the request carries `read_params`
// parameter bytes or fewer, `set` (if any) when it carries more.
struct Command {
  int code;
  std::string_view read;
  std::string_view set;
  int read_params;
};

constexpr Command kCommands[] = {
    {kCommandInput, "READ_INPUT", "", 2},           {kCommandColdJunction, "READ_CJ", "", 1},
    {kCommandTransmitterCount, "READ_NO_TX", "SET_NO_TX", 0},  {kCommandTransmitterType, "READ_TXTYPE", "SET_TXTYPE", 1},
    {kCommandInputType, "READ_INPTYPE", "SET_INPTYPE", 2}, {kCommandAlarms, "READ_ALARMS", "SET_ALARMS", 2},
    {kCommandTemperatureUnits, "READ_TEMP", "SET_TEMP", 0},     {kCommandLineRejection, "READ_LINEREJ", "SET_LINEREJ", 0},
    {kCommandValues, "READ_VALS", "", 1},             {kCommandTag, "READ_TAG", "SET_TAG", 0},
    {kCommandConfirm, "SEND_CONFIRM", "", 1},       {kCommandReset, "SEND_RESET", "", 1},
    {kCommandSignoff, "SEND_SIGNOFF", "", 0},       {kCommandDataFormat, "READ_DATAFMT", "SET_DATAFMT", 0},
    {kCommandChecksumMode, "READ_CSUMMODE", "SET_CSUMMODE", 0}, {kCommandSerialSettings, "READ_COMMS", "SET_COMMS", 0},
    {kCommandAddress, "READ_ADDRESS", "SET_ADDRESS", 0}, {kCommandVersions, "READ_VERS", "", 0},
    {kCommandChecksum, "READ_CHECKSUM", "", 0},     {kCommandScales, "READ_SCALES", "SET_SCALES", 2},
    {kCommandSwitches, "READ_SWITCHES", "", 0},
};

std::uint8_t at(const Bytes& b, std::size_t i) { return i < b.size() ? b[i] : 0; }

// A digit as the link reads it: the byte minus 30h.
int digit(const Bytes& b, std::size_t i) { return static_cast<std::uint8_t>(at(b, i) - 0x30); }

// A byte as two digits, high nibble first.
int two_digits(const Bytes& b, std::size_t i) { return (digit(b, i) * 16 + digit(b, i + 1)) & 0xFF; }

std::string trimmed(std::string_view s) {
  const std::size_t from = s.find_first_not_of(' ');
  if (from == std::string_view::npos) return "";
  return std::string(s.substr(from, s.find_last_not_of(' ') - from + 1));
}

// Bytes from..to (both included) as text.
std::string text_of(const Bytes& b, std::size_t from, std::size_t to) {
  std::string s;
  for (std::size_t i = from; i <= to && i < b.size(); ++i) s += static_cast<char>(b[i]);
  return kdv::model::to_utf8(s);
}

// The parts of bytes from..to between CR and LF bytes, trimmed, empty
// parts left out.
std::vector<std::string> parts(const Bytes& b, std::size_t from, std::size_t to) {
  std::vector<std::string> out;
  std::string part;
  for (std::size_t i = from; i <= to && i < b.size(); ++i) {
    if (b[i] == '\r' || b[i] == '\n') {
      if (!trimmed(part).empty()) out.push_back(trimmed(part));
      part.clear();
    } else {
      part += static_cast<char>(b[i]);
    }
  }
  if (!trimmed(part).empty()) out.push_back(trimmed(part));
  return out;
}

// A unit letter as the console shows it ("°C").
std::string unit_text(std::uint8_t letter) {
  return trimmed(kdv::model::to_utf8(kdv::model::unit_text(static_cast<char>(letter)).str()));
}

std::int64_t alarm_code(std::uint8_t letter) {
  if (letter == 'H') return kdv::model::kHigh;
  if (letter == 'L') return kdv::model::kLow;
  return kdv::model::kOff;
}

// Turns request parameters and reply fields into settings under the text
// format's keys. It follows the transmitter types the trace sets or reads,
// which decide the names of input types.
class Decoder {
 public:
  void request(TracedExchange& e, int command, const Bytes& p, bool set);
  void know(const kdv::model::ReceiverRecord& rx) { seen_.rx = rx; }
  void reply(TracedExchange& e, int command, const Bytes& f);

 private:
  // The settings a SET request carries and its reading's reply reports, in
  // the same order, their bytes from `from` on: the request's parameters
  // after the transmitter and channel, or the reply's data.
  void values(std::vector<TracedSetting>& out, int command, const Bytes& b, std::size_t from, bool reply);
  void add(std::vector<TracedSetting>& out, Table t, std::string_view name, std::string value) {
    if (const kdv::model::SettingKey* key = kdv::model::find_setting(t, name))
      out.push_back({kdv::model::dotted_key(*key, place_), std::move(value)});
  }
  void code(std::vector<TracedSetting>& out, Table t, std::string_view name, std::int64_t value) {
    const kdv::model::SettingKey* key = kdv::model::find_setting(t, name);
    if (!key) return;
    const auto text = kdv::model::name_of(*key, seen_.rx, place_, value);
    out.push_back({kdv::model::dotted_key(*key, place_), text ? *text : std::to_string(value)});
  }
  void number(std::vector<TracedSetting>& out, Table t, std::string_view name, std::int64_t value) {
    add(out, t, name, std::to_string(value));
  }
  // The serial settings' line-bits digit: bit 0 two stop bits, bit 1
  // parity, bit 3 odd parity, bit 2 eight data bits.
  void line_bits(std::vector<TracedSetting>& out, int bits) {
    code(out, Table::kReceiver, "parity", (bits & 2) == 0 ? 0 : (bits & 8) != 0 ? 1 : 2);
    code(out, Table::kReceiver, "data_bits", (bits & 4) != 0 ? 1 : 0);
    number(out, Table::kReceiver, "stop_bits", (bits & 1) != 0 ? 2 : 1);
  }
  // Low and high alarm, or the three scalings, from the parts of a number
  // list; a reply's alarms come after "L" and "H".
  void reals(std::vector<TracedSetting>& out, const std::vector<std::string>& values,
             std::initializer_list<std::string_view> names) {
    std::size_t k = 0;
    for (const std::string_view name : names) {
      if (k == values.size()) return;
      const std::string& v = values[k++];
      add(out, Table::kChannel, name, trimmed(v[0] == 'L' || v[0] == 'H' ? v.substr(1) : v));
    }
  }
  // The place of a transmitter (and channel) digit pair; false when out of range.
  bool place(TracedExchange& e, int t, int c) {
    if (t < 1 || t > 4 || c < 0 || c > 16) {
      e.parameters.push_back({"transmitter", std::to_string(t)});
      if (c != 0) e.parameters.push_back({"channel", std::to_string(c)});
      return false;
    }
    place_ = {t, c};
    e.place = "tx" + std::to_string(t) + (c ? ".ch" + std::to_string(c) : "");
    return true;
  }

  kdv::model::Configuration seen_ = kdv::model::fresh_configuration();
  Place place_;
  bool placed_ = false;  // the request named a transmitter in range
  bool set_ = false;     // the request was a SET operation
};

void Decoder::request(TracedExchange& e, int command, const Bytes& p, bool set) {
  place_ = {};
  placed_ = true;
  set_ = set;
  auto& out = e.parameters;
  switch (command) {
    case kCommandInput:
    case kCommandInputType:
    case kCommandAlarms:
    case kCommandScales: placed_ = place(e, digit(p, 0), digit(p, 1)); break;
    case kCommandColdJunction:
    case kCommandValues:
    case kCommandTransmitterType: placed_ = place(e, digit(p, 0), 0); break;
    default: break;
  }
  // The values follow the transmitter and channel digits.
  const std::size_t from = place_.tx == 0 ? 0 : place_.ch == 0 ? 1 : 2;
  if (set && placed_) values(out, command, p, from, false);
  if (command == kCommandReset) out.push_back({"kind", std::to_string(digit(p, 0))});
}

void Decoder::values(std::vector<TracedSetting>& out, int command, const Bytes& b, std::size_t from, bool reply) {
  const std::size_t last = b.size() - (reply ? 2 : 1);  // before a reply's ETX
  switch (command) {
    case kCommandTransmitterCount: number(out, Table::kReceiver, "transmitters", digit(b, from)); break;
    case kCommandTransmitterType:
      seen_.rx.TRANSMITTER[place_.tx].TXTYPE = static_cast<kdv::model::Byte>(digit(b, from));
      code(out, Table::kTransmitter, "type", digit(b, from));
      break;
    case kCommandInputType:  // the reply's drive follows " D"
      code(out, Table::kChannel, "input_type", digit(b, from));
      code(out, Table::kChannel, "drive", digit(b, from + (reply ? 3 : 1)));
      break;
    case kCommandAlarms:  // a reply's numbers follow "ALARMS"
      reals(out, parts(b, from + (reply ? 7 : 0), last), {"low_alarm", "high_alarm"});
      break;
    case kCommandScales: reals(out, parts(b, from, last), {"input_zero", "gain", "output_zero"}); break;
    case kCommandTemperatureUnits: code(out, Table::kReceiver, "temperature_units", digit(b, from)); break;
    case kCommandLineRejection: code(out, Table::kReceiver, "line_rejection", digit(b, from)); break;
    case kCommandDataFormat: code(out, Table::kReceiver, "data_format", digit(b, from)); break;
    case kCommandChecksumMode: code(out, Table::kReceiver, "checksum_mode", digit(b, from)); break;
    case kCommandTag: add(out, Table::kReceiver, "tag", text_of(b, from, std::min(from + 24, last))); break;
    case kCommandSerialSettings:
      code(out, Table::kReceiver, "baud", digit(b, from));
      line_bits(out, digit(b, from + 1));
      break;
    case kCommandAddress:
      number(out, Table::kReceiver, "address_a", two_digits(b, from));
      number(out, Table::kReceiver, "address_b", two_digits(b, from + 2));
      break;
    default: break;
  }
}

// f holds the reply frame from its STX to its ETX.
void Decoder::reply(TracedExchange& e, int command, const Bytes& f) {
  if (!placed_ || set_) return;  // a SET operation's reply carries no settings
  auto& out = e.fields;
  const std::size_t etx = f.size() - 1;
  auto unit = [&f](std::size_t i) { return unit_text(at(f, i)); };
  switch (command) {
    case kCommandInput:
      code(out, Table::kTransmitter, "type", digit(f, 7) == 2 ? 2 : 1);
      code(out, Table::kChannelReported, "alarm", alarm_code(at(f, 11)));
      add(out, Table::kChannelReported, "value", etx >= 9 ? trimmed(text_of(f, 13, etx - 9)) : "");
      add(out, Table::kChannelReported, "unit", etx >= 7 ? unit(etx - 7) : "");
      break;
    case kCommandColdJunction:
      add(out, Table::kTransmitterReported, "cj_temperature", etx >= 9 ? trimmed(text_of(f, 10, etx - 9)) : "");
      add(out, Table::kTransmitterReported, "cj_unit", etx >= 7 ? unit(etx - 7) : "");
      break;
    case kCommandTransmitterCount:
    case kCommandTemperatureUnits:
    case kCommandLineRejection:
    case kCommandDataFormat:
    case kCommandChecksumMode:
    case kCommandTag: values(out, command, f, 7, true); break;
    case kCommandTransmitterType: values(out, command, f, 10, true); break;
    case kCommandInputType: values(out, command, f, 11, true); break;
    case kCommandScales:
    case kCommandAlarms: values(out, command, f, 9, true); break;
    case kCommandValues: {
      const int channels = digit(f, 8) == 2 ? 8 : 16;
      int c = 0;
      for (const std::string& part : parts(f, 11, etx)) {
        if (++c > channels) break;
        place_.ch = c;
        const std::size_t value = part.find_first_not_of(' ', 1);
        const std::size_t space = part.find(' ', value);
        code(out, Table::kChannelReported, "alarm", alarm_code(static_cast<std::uint8_t>(part[0])));
        add(out, Table::kChannelReported, "value",
            value == std::string::npos ? "" : part.substr(value, space - value));
        add(out, Table::kChannelReported, "unit",
            space == std::string::npos ? "" : unit_text(static_cast<std::uint8_t>(part.back())));
      }
      break;
    }
    case kCommandSerialSettings:
    case kCommandAddress: {
      // "H": the switches set what the receiver uses; the software's values
      // come after the switches' either way.
      const bool comms = command == kCommandSerialSettings;
      const bool software = at(f, 7) != 'H';
      code(out, Table::kReported, comms ? "comms_mode" : "address_mode", software ? 1 : 0);
      values(out, command, f, 10 + (software ? (comms ? 4 : 6) : 0), true);
      break;
    }
    case kCommandVersions:
      add(out, Table::kReported, "ip_version", text_of(f, 7, 10));
      add(out, Table::kReported, "hca_version", text_of(f, 13, 16));
      break;
    case kCommandChecksum:
      for (const auto& [from, name] : {std::pair<std::size_t, std::string_view>{7, "checksum"}, {12, "ram_checksum"}}) {
        const std::string hex = text_of(f, from, from + 3);
        int value = 0;
        const auto res = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        add(out, Table::kReported, name,
            res.ec == std::errc() && res.ptr == hex.data() + hex.size() ? std::to_string(value) : hex);
      }
      break;
    case kCommandSwitches: {
      const int hca = two_digits(f, 9);
      number(out, Table::kReported, "ip_switch", two_digits(f, 7));
      number(out, Table::kReported, "hca_switch", hca);
      code(out, Table::kReported, "modbus_mode", (hca & 0x40) != 0 ? 0 : 1);
      break;
    }
    default: break;
  }
}

// What followed a request on the line: a byte, or an event line (a wait
// that found no byte, which the link reads as a 0 byte while it waits for
// the STX; a hang-up, a cut or an abort, which end the reply).
struct Item {
  std::string direction;  // "<" for a byte
  std::uint8_t b = 0;
  std::int64_t ms = 0;
  std::string text;
};

// An event that ends the attempt wherever it comes: no reply, or aborted.
bool ends_attempt(const Item& item, TracedExchange& e) {
  if (item.direction != "hangup" && item.direction != "cut" && item.direction != "aborted") return false;
  e.verdict = item.direction == "aborted" ? Verdict::kAborted : Verdict::kNoReply;
  e.text = item.text;
  return true;
}

// Judges what followed a request as the link does: the STX among the first
// four reads, then every byte within the byte time-out and the ETX within
// 512, then the frame's faults, a refusal above a short reply above a wrong
// frame.
void judge(TracedExchange& e, const std::vector<Item>& items, Bytes& frame) {
  e.verdict = Verdict::kNoReply;
  std::size_t i = 0;
  // Why nothing came: the last wait's text while only waits came.
  std::string why = "silence";
  for (int read = 1;; ++read, ++i) {
    if (i == items.size() || read == 5) {
      e.text = why;
      return;
    }
    if (ends_attempt(items[i], e)) return;
    const bool wait = items[i].direction != "<";
    if (!wait && items[i].b == kStx) break;
    why = wait && why.rfind("no STX", 0) != 0 ? items[i].text : "no STX among the first 4 bytes";
  }
  frame.assign(1, kStx);
  for (++i; i < items.size() && frame.size() < 512; ++i) {
    if (ends_attempt(items[i], e)) break;
    if (items[i].direction != "<") {  // the link's reason, when it gave one, else the gap
      if (i + 1 < items.size() && ends_attempt(items[i + 1], e)) break;
      e.text = "a gap inside the reply: " + items[i].text;
      break;
    }
    frame.push_back(items[i].b);
    if (frame.back() != kEtx) continue;
    e.turnaround_ms = items[i].ms - e.ms;
    if ((at(frame, 2) & 8) != 0) {
      e.verdict = Verdict::kRefused;
      e.refusal = static_cast<std::uint8_t>(at(frame, 7) - 0x30);
      e.text = trimmed(refusal_text(e.refusal));
    } else if (frame.size() <= 7) {
      e.verdict = Verdict::kInvalid;
      e.text = "CRC Error";
    } else if (frame[3] != 'b' || e.receiver < 0 || frame[4] != 0x50 + e.receiver) {
      e.verdict = Verdict::kInvalid;
      e.text = "Invalid Response";
    } else {
      e.verdict = Verdict::kGood;
    }
    return;
  }
  if (e.text.empty()) e.text = "no ETX";
  frame.clear();
}

struct Line {
  int number = 0;
  std::int64_t ms = 0;
  std::string direction;
  std::string attempt;
  Bytes bytes;
  std::string text;
};

// One line of the trace, or the reason it does not read.
std::optional<Line> read_line(std::string_view s, int number, std::string& why) {
  std::vector<std::string_view> f;
  for (std::size_t from = 0;;) {
    const std::size_t tab = s.find('\t', from);
    f.push_back(s.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (tab == std::string_view::npos || f.size() == 5) break;
    from = tab + 1;
  }
  if (f.size() < 4) {
    why = "fewer than four fields";
    return std::nullopt;
  }
  Line line;
  line.number = number;
  const auto res = std::from_chars(f[0].data(), f[0].data() + f[0].size(), line.ms);
  if (res.ec != std::errc() || res.ptr != f[0].data() + f[0].size()) {
    why = "no time in milliseconds";
    return std::nullopt;
  }
  line.direction = f[1];
  static constexpr std::string_view kDirections[] = {">", "<", "timeout", "hangup", "unopened", "cut", "aborted"};
  if (std::find(std::begin(kDirections), std::end(kDirections), line.direction) == std::end(kDirections)) {
    why = "unknown direction \"" + line.direction + "\"";
    return std::nullopt;
  }
  line.attempt = f[2];
  for (std::size_t i = 0; i < f[3].size(); i += 3) {
    unsigned b = 0;
    const auto r = std::from_chars(f[3].data() + i, f[3].data() + std::min(i + 2, f[3].size()), b, 16);
    if (r.ec != std::errc() || r.ptr != f[3].data() + i + 2 || (i + 2 < f[3].size() && f[3][i + 2] != ' ')) {
      why = "the bytes are not hex pairs";
      return std::nullopt;
    }
    line.bytes.push_back(static_cast<std::uint8_t>(b));
  }
  if (f.size() == 5) line.text = f[4];
  return line;
}

// Splits the bytes of a request line where a new frame starts: the frames
// before the last were cut short (the simulator's trace has no line end
// where Escape stopped the link).
std::vector<Bytes> requests_of(const Bytes& b) {
  std::vector<Bytes> out(1);
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (i > 0 && b[i] == kStx && at(b, i + 1) == kStx && at(b, i + 2) == 'c') out.emplace_back();
    out.back().push_back(b[i]);
  }
  return out;
}

class Reader {
 public:
  DecodedTrace result;

  void request(const Line& line, const Bytes& bytes) {
    finish();
    TracedExchange& e = result.exchanges.emplace_back();
    open_ = true;
    e.line = line.number;
    e.ms = line.ms;
    e.attempt = line.attempt;
    const bool whole = !bytes.empty() && bytes.back() == kEtx;
    if (!whole) {
      e.verdict = Verdict::kCut;
      open_ = false;
    }
    if (bytes.size() < (whole ? 6u : 5u) || bytes[0] != kStx || bytes[1] != kStx || bytes[2] != 'c') {
      if (whole) e.text = "no request frame";
      open_ = false;
      return;
    }
    e.receiver = static_cast<std::uint8_t>(bytes[3] - 0x50);
    command_ = static_cast<std::uint8_t>(bytes[4] - 0x30);
    const Bytes params(bytes.begin() + 5, bytes.end() - (whole ? 1 : 0));
    bool set = false;
    e.command = "command " + std::to_string(command_);
    for (const Command& known : kCommands) {
      if (known.code != command_) continue;
      set = !known.set.empty() && static_cast<int>(params.size()) > known.read_params;
      e.command = set ? known.set : known.read;
    }
    if (whole) decoder_.request(e, command_, params, set);
  }

  void know(const kdv::model::ReceiverRecord& rx) { decoder_.know(rx); }
  // The fields of the reply to the last request, given as its frame.
  void fields(const Bytes& frame) {
    if (open_) decoder_.reply(result.exchanges.back(), command_, frame);
  }

  void follow(const Line& line) {
    if (line.direction == "unopened") {
      finish();
      TracedExchange& e = result.exchanges.emplace_back();
      e.line = line.number;
      e.ms = line.ms;
      e.attempt = line.attempt;
      e.text = line.text;
      return;
    }
    if (!open_) return;
    if (line.direction == "<") {
      for (const std::uint8_t b : line.bytes) items_.push_back({"<", b, line.ms, ""});
    } else {
      items_.push_back({line.direction, 0, line.ms, line.text});
    }
  }

  void finish() {
    if (!open_) return;
    open_ = false;
    TracedExchange& e = result.exchanges.back();
    if (command_ == kCommandSignoff && items_.empty()) {
      e.verdict = Verdict::kSent;
    } else {
      Bytes frame;
      judge(e, items_, frame);
      if (e.verdict == Verdict::kGood) decoder_.reply(e, command_, frame);
    }
    items_.clear();
  }

 private:
  Decoder decoder_;
  bool open_ = false;  // an exchange awaits what follows its request
  int command_ = 0;
  std::vector<Item> items_;
};

}  // namespace

TracedExchange decode_request(const std::vector<std::uint8_t>& frame, const kdv::model::ReceiverRecord& rx) {
  Reader reader;
  reader.know(rx);
  reader.request(Line{}, frame);
  return std::move(reader.result.exchanges.back());
}

std::vector<TracedSetting> decode_reply(const std::vector<std::uint8_t>& request,
                                        const std::vector<std::uint8_t>& reply, const kdv::model::ReceiverRecord& rx) {
  Reader reader;
  reader.know(rx);
  reader.request(Line{}, request);
  reader.fields(reply);
  return std::move(reader.result.exchanges.back().fields);
}

std::string_view verdict_name(Verdict v) {
  static constexpr std::string_view kNames[] = {"good", "refused", "invalid", "no reply", "sent", "cut short", "aborted"};
  return kNames[static_cast<int>(v)];
}

DecodedTrace decode_trace(std::string_view text) {
  Reader reader;
  int number = 0;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    const std::string_view s = text.substr(from, end - from);
    from = end + 1;
    ++number;
    if (s.empty() || s[0] == '#') continue;
    std::string why;
    const std::optional<Line> line = read_line(s, number, why);
    if (!line) {
      reader.result.damaged.push_back("line " + std::to_string(number) + ": " + why);
      continue;
    }
    if (line->direction == ">") {
      for (const Bytes& request : requests_of(line->bytes)) reader.request(*line, request);
    } else {
      reader.follow(*line);
    }
  }
  reader.finish();
  return std::move(reader.result);
}

}  // namespace kdv::link
