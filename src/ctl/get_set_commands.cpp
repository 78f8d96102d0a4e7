#include "ctl/get_set_commands.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <tuple>

#include "ctl/output.h"
#include "ctl/receiver_commands.h"
#include "ctl/paths.h"
#include "files/text_format.h"
#include "link/command_set.h"
#include "link/link.h"
#include "link/outcome.h"
#include "model/code_page_437.h"
#include "model/editor_rules.h"
#include "model/printable_text.h"
#include "transfer/download.h"
#include "transfer/upload.h"

namespace kdv::ctl {

using kdv::link::Link;
using kdv::link::Outcome;
using kdv::model::Configuration;
using kdv::model::Form;
using kdv::model::Place;
using kdv::model::SettingKey;
using kdv::model::Value;

namespace {

// A command of the link on receiver r at a place.
using Command = Outcome (*)(Link&, int r, Place p);

// The read that fills a record field; reads with the same code at the same
// place are made once.
struct Reading {
  int code;
  Command read;
};

const std::map<std::string_view, Reading>& readings() {
  static const Reading kTag{kdv::link::kCommandTag, [](Link& l, int r, Place) { return l.READ_TAG(r); }};
  static const Reading kFormat{kdv::link::kCommandDataFormat, [](Link& l, int r, Place) { return l.READ_DATAFMT(r); }};
  static const Reading kCount{kdv::link::kCommandTransmitterCount, [](Link& l, int r, Place) { return l.READ_NO_TX(r); }};
  static const Reading kUnits{kdv::link::kCommandTemperatureUnits, [](Link& l, int r, Place) { return l.READ_TEMP(r); }};
  static const Reading kRejection{kdv::link::kCommandLineRejection, [](Link& l, int r, Place) { return l.READ_LINEREJ(r); }};
  static const Reading kSerial{kdv::link::kCommandSerialSettings, [](Link& l, int r, Place) { return l.READ_COMMS(r); }};
  static const Reading kAddress{kdv::link::kCommandAddress, [](Link& l, int r, Place) { return l.READ_ADDRESS(r); }};
  static const Reading kChecksum{kdv::link::kCommandChecksumMode, [](Link& l, int r, Place) { return l.READ_CSUMMODE(r); }};
  static const Reading kVersions{kdv::link::kCommandVersions, [](Link& l, int r, Place) { return l.READ_VERS(r); }};
  static const Reading kSwitches{kdv::link::kCommandSwitches, [](Link& l, int r, Place) { return l.READ_SWITCHES(r); }};
  // The highways and the ELD input come with every reading of values.
  static const Reading kValues{kdv::link::kCommandValues, [](Link& l, int r, Place) {
                                int type = 0;
                                return l.READ_VALS(r, 1, type);
                              }};
  static const Reading kType{kdv::link::kCommandTransmitterType, [](Link& l, int r, Place p) { return l.READ_TXTYPE(r, p.tx); }};
  static const Reading kJunction{kdv::link::kCommandColdJunction, [](Link& l, int r, Place p) { return l.READ_CJ(r, p.tx); }};
  static const Reading kInput{kdv::link::kCommandInputType, [](Link& l, int r, Place p) { return l.READ_INPTYPE(r, p.tx, p.ch); }};
  static const Reading kAlarms{kdv::link::kCommandAlarms, [](Link& l, int r, Place p) { return l.READ_ALARMS(r, p.tx, p.ch); }};
  static const Reading kScales{kdv::link::kCommandScales, [](Link& l, int r, Place p) { return l.READ_SCALES(r, p.tx, p.ch); }};
  static const Reading kLive{kdv::link::kCommandInput, [](Link& l, int r, Place p) {
                              int t = 0;
                              return l.READ_INPUT(r, p.tx, p.ch, t);
                            }};
  static const std::map<std::string_view, Reading> kTable = {
      {"TAG_FIELD", kTag},          {"DATA_FORMAT", kFormat},     {"NO_OF_TX", kCount},        {"UNITS", kUnits},
      {"LINE_REJ", kRejection},     {"MOD_BAUD", kSerial},        {"MOD_PARITY", kSerial},     {"MOD_DBITS", kSerial},
      {"MOD_STOP", kSerial},        {"COMM_MODE", kSerial},       {"MOD_ADDRESSA", kAddress},  {"MOD_ADDRESSB", kAddress},
      {"ADD_MODE", kAddress},       {"CHECK_MODE", kChecksum},    {"HCAVER", kVersions},       {"IPVER", kVersions},
      {"MOD_MODE", kSwitches},      {"HCASWITCH", kSwitches},     {"IPSWITCH", kSwitches},     {"STATUS1", kSwitches},
      {"STATUS2", kSwitches},       {"HW1", kValues},             {"HW2", kValues},            {"ELD", kValues},
      {"TXTYPE", kType},            {"CJTEMP", kJunction},        {"CJUNIT", kJunction},       {"INPUT_TYPE", kInput},
      {"THC_DRIVE", kInput},        {"HIGH_ALARM", kAlarms},      {"LOW_ALARM", kAlarms},      {"SCALE_IPZERO", kScales},
      {"SCALE_OPZERO", kScales},    {"SCALE_GAIN", kScales},      {"VALUE", kLive},            {"VUNIT", kLive},
      {"ALARM", kLive},
  };
  return kTable;
}

// The SET operation that carries a field, as the editor sends it.
const std::map<std::string_view, Command>& sendings() {
  static const std::map<std::string_view, Command> kTable = {
      {"TAG_FIELD", [](Link& l, int r, Place) { return l.SET_TAG(r); }},
      {"DATA_FORMAT", [](Link& l, int r, Place) { return l.SET_DATAFMT(r); }},
      {"NO_OF_TX", [](Link& l, int r, Place) { return l.SET_NO_TX(r); }},
      {"UNITS", [](Link& l, int r, Place) { return l.SET_TEMP(r); }},
      {"LINE_REJ", [](Link& l, int r, Place) { return l.SET_LINEREJ(r); }},
      {"MOD_BAUD", [](Link& l, int r, Place) { return l.SET_COMMS(r); }},
      {"MOD_PARITY", [](Link& l, int r, Place) { return l.SET_COMMS(r); }},
      {"MOD_DBITS", [](Link& l, int r, Place) { return l.SET_COMMS(r); }},
      {"MOD_STOP", [](Link& l, int r, Place) { return l.SET_COMMS(r); }},
      {"MOD_ADDRESSA", [](Link& l, int r, Place) { return l.SET_ADDRESS(r); }},
      {"MOD_ADDRESSB", [](Link& l, int r, Place) { return l.SET_ADDRESS(r); }},
      {"CHECK_MODE", [](Link& l, int r, Place) { return l.SET_CSUMMODE(r); }},
      {"TXTYPE", [](Link& l, int r, Place p) { return l.SET_TXTYPE(r, p.tx); }},
      {"INPUT_TYPE", [](Link& l, int r, Place p) { return l.SET_INPTYPE(r, p.tx, p.ch); }},
      {"THC_DRIVE", [](Link& l, int r, Place p) { return l.SET_INPTYPE(r, p.tx, p.ch); }},
      {"HIGH_ALARM", [](Link& l, int r, Place p) { return l.SET_ALARMS(r, p.tx, p.ch); }},
      {"LOW_ALARM", [](Link& l, int r, Place p) { return l.SET_ALARMS(r, p.tx, p.ch); }},
      {"SCALE_IPZERO", [](Link& l, int r, Place p) { return l.SET_SCALES(r, p.tx, p.ch); }},
      {"SCALE_OPZERO", [](Link& l, int r, Place p) { return l.SET_SCALES(r, p.tx, p.ch); }},
      {"SCALE_GAIN", [](Link& l, int r, Place p) { return l.SET_SCALES(r, p.tx, p.ch); }},
  };
  return kTable;
}

bool is(const SettingKey& key, std::initializer_list<std::string_view> fields) {
  return std::find(fields.begin(), fields.end(), key.field) != fields.end();
}

// The reads of one command, each made once per place.
class Reads {
 public:
  explicit Reads(Session& s) : s_(s), link_(s.state()) {}
  void make(const Reading& reading, Place p, const std::string& what) {
    if (!done_.insert({reading.code, p.tx, p.ch}).second) return;
    const Outcome outcome = reading.read(link_, s_.receiver(), p);
    if (!outcome.ok()) fail(what, outcome);
  }
  void make(std::string_view field, Place p, const std::string& what) { make(readings().at(field), p, what); }

 private:
  Session& s_;
  Link link_;
  std::set<std::tuple<int, int, int>> done_;
};

// What a message shows of a command-line argument.
std::string cut(const std::string& argument) {
  return kdv::model::printable_text(argument, kdv::model::kMessageValueLength);
}

KeyPlace known(const std::string& dotted) {
  const std::optional<KeyPlace> k = find_key(dotted);
  if (!k) throw Failure{Exit::kUsage, "kdv578ctl: " + cut(dotted) + ": no such key"};
  return *k;
}

struct Assignment {
  std::string dotted;
  KeyPlace at;
  Value value;
  std::string text;  // the value as given
};

Assignment assignment(const std::string& text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) throw Failure{Exit::kUsage, "kdv578ctl: " + cut(text) + ": KEY=VALUE expected"};
  Assignment a{text.substr(0, eq), known(text.substr(0, eq)), {}, text.substr(eq + 1)};
  if (!sendings().contains(a.at.key->field))
    throw Failure{Exit::kUsage, "kdv578ctl: " + a.dotted + ": no SET command carries it"};
  if (const auto why = parse_value(*a.at.key, std::string_view(text).substr(eq + 1), a.value))
    throw Failure{Exit::kUsage, "kdv578ctl: " + cut(text) + ": " + *why};
  // The tag editor pads the tag to the receiver's 25 characters.
  if (a.at.key->field == "TAG_FIELD") {
    std::string& tag = std::get<std::string>(a.value);
    tag.resize(25, ' ');
  }
  return a;
}

// Sends one assignment as its editor does online. The data format uploads
// the whole configuration first and downloads it after the format (with
// the unipolar zeroing); a transmitter type reads the transmitter back.
// `sent` tells whether the receiver took the assignment's own command.
Outcome apply(Session& s, const Assignment& a, bool& sent) {
  const auto r = static_cast<std::uint8_t>(s.receiver());
  const Place p = a.at.place;
  const std::string_view field = a.at.key->field;
  if (field == "DATA_FORMAT") {
    const Outcome up = kdv::transfer::upload_receiver(s.state(), r);
    if (!up.ok()) return up;
  }
  Configuration c = s.configuration();
  a.at.key->set(c, p, a.value);
  s.adopt(c);
  Outcome outcome;
  {
    // A link keeps its port open until it goes: gone before a download
    // opens the port again.
    Link link(s.state(), kdv::link::OnFailure::kCarry);
    outcome = sendings().at(field)(link, r, p);
    sent = outcome.ok();
    if (outcome.ok() && field == "TXTYPE") outcome = kdv::transfer::upload_transmitter(link, r, static_cast<std::uint8_t>(p.tx));
  }
  if (!outcome.ok() || field != "DATA_FORMAT") return outcome;
  if (kdv::model::is_unipolar(s.record().DATA_FORMAT)) kdv::model::clear_unipolar_negatives(s.record());
  return kdv::transfer::download_receiver(s.state(), r, kdv::transfer::kConfiguredTransmitters);
}

// What reading an assignment back after its write found.
struct ReadBack {
  Outcome outcome;                 // of the read
  std::string sent, found;         // the setting as a comparison takes it
  std::string written;             // the value written, as get shows it
  kdv::model::Configuration held;  // the record after the read

  // The read gave a value that stands: not one a failed transmitter left.
  bool read() const { return outcome.ok() && !outcome.old_values; }
  bool confirmed() const { return read() && sent == found; }
};

// Reads the assignment's setting back with the read `get` makes and
// compares it with what was sent, as verify compares them.
ReadBack read_back(Session& s, const Assignment& a) {
  const Place p = a.at.place;
  ReadBack r;
  r.sent = carried_text(*a.at.key, as_read_back(s.configuration()), p);
  r.written = kdv::files::value_text(*a.at.key, s.configuration(), p);
  Link link(s.state());
  r.outcome = readings().at(a.at.key->field).read(link, s.receiver(), p);
  r.held = s.configuration();
  r.found = carried_text(*a.at.key, r.held, p);
  return r;
}

// The journal's word on an assignment's write: the value read back where
// it is not the one sent.
kdv::link::Confirmation confirmation(const Assignment& a, const ReadBack& r) {
  kdv::link::Confirmation c{a.dotted, r.confirmed(), std::nullopt};
  if (r.read() && !c.confirmed) c.read_back = json_of(*a.at.key, r.held, a.at.place);
  return c;
}

std::string key_list(const std::vector<Assignment>& all, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += (out.empty() ? "" : ", ") + all[i].dotted;
  return out.empty() ? "none" : out;
}

}  // namespace

std::optional<KeyPlace> find_key(std::string_view dotted) {
  std::optional<KeyPlace> found;
  kdv::model::for_each_setting([&](const SettingKey& key, Place p) {
    if (!found && kdv::model::dotted_key(key, p) == dotted) found = KeyPlace{&key, p};
  });
  return found;
}

std::optional<std::string> parse_value(const SettingKey& key, std::string_view text, Value& value,
                                       const kdv::model::ReceiverRecord* rx, Place p) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  auto whole = [&](std::int64_t lowest, std::int64_t highest) -> std::optional<std::int64_t> {
    std::int64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n < lowest || n > highest)
      return std::nullopt;
    return n;
  };
  const std::string range = std::to_string(key.lowest) + ".." + std::to_string(key.highest);
  switch (key.form) {
    case Form::kText: {
      const kdv::model::FromUtf8 bytes = kdv::model::from_utf8(text);
      if (bytes.missing) return "a character code page 437 lacks";
      if (bytes.bytes.size() > static_cast<std::size_t>(key.highest))
        return "longer than " + std::to_string(key.highest) + " characters";
      value = bytes.bytes;
      return std::nullopt;
    }
    case Form::kCode:
      if (rx) {
        for (const kdv::model::CodeName& n : key.names(rx, p))
          if (kdv::model::same_name(n.name, text)) {
            value = n.code;
            return std::nullopt;
          }
        return "not a name this setting has here";
      }
      if (const auto code = kdv::model::code_of(key, text)) {
        value = *code;
        return std::nullopt;
      }
      if (const auto code = whole(0, key.highest)) {
        value = *code;
        return std::nullopt;
      }
      return "neither a name of this setting nor a code " + range;
    case Form::kNumber:
      if (const auto n = whole(key.lowest, key.highest)) {
        value = *n;
        return std::nullopt;
      }
      return "a whole number " + range + " is expected";
    case Form::kReal: {
      double x = 0;
      if (!kdv::link::parse_decimal(text, x)) return "a number is expected";
      value = x;
      return std::nullopt;
    }
    case Form::kBoolean:
    case Form::kReceivers: break;
  }
  return "not a setting one can set";
}

std::optional<std::string> editor_refuses(const SettingKey& key, Place p, const Value& value, const Configuration& c) {
  const kdv::model::ReceiverRecord& rx = c.rx;
  if (is(key, {"MOD_BAUD", "MOD_PARITY", "MOD_DBITS", "MOD_STOP"}) && !rx.COMM_MODE)
    return "read-only: the receiver's switches set the serial settings";
  if (is(key, {"MOD_ADDRESSA", "MOD_ADDRESSB"}) && !rx.ADD_MODE)
    return "read-only: the receiver's switches set the addresses";
  if (p.tx > rx.NO_OF_TX) return "the receiver has " + std::to_string(rx.NO_OF_TX) + " transmitter(s)";
  const kdv::model::TransmitterRecord& t = rx.TRANSMITTER[std::max(p.tx, 1)];
  if (p.ch > kdv::model::channel_count(t.TXTYPE))
    return "a transmitter of this type has channels 1.." + std::to_string(kdv::model::channel_count(t.TXTYPE));
  if (is(key, {"INPUT_TYPE", "SCALE_OPZERO", "SCALE_GAIN"}) && kdv::model::is_reserved_channel(t, p.ch))
    return "channel 16 of this 571 measures its cold junction";
  if (is(key, {"HIGH_ALARM", "LOW_ALARM"}) && !kdv::model::alarms_apply(t, p.ch))
    return "alarms do not apply to this channel";
  if (key.field == "THC_DRIVE" && !kdv::model::drive_applies(t, p.ch)) return "no drive on this channel";
  if (key.field == "INPUT_TYPE" &&
      !kdv::model::offers_input_type(t.TXTYPE, p.ch, static_cast<kdv::model::Byte>(std::get<std::int64_t>(value))))
    return "the input list of this channel does not offer it";
  if (key.form == Form::kReal) {
    const double x = std::get<double>(value);
    if (!kdv::model::entry_accepts(x, false)) return "the editors take -99999..99999";
    if (is(key, {"HIGH_ALARM", "LOW_ALARM", "SCALE_OPZERO"}) && kdv::model::is_unipolar(rx.DATA_FORMAT) && x < 0)
      return "negative under a unipolar data format";
  }
  if (key.field == "TAG_FIELD") {
    std::string_view tag = std::get<std::string>(value);
    tag = tag.substr(0, tag.find_last_not_of(' ') + 1);
    if (tag.size() > kdv::model::kTagEntryLength) return "the tag editor takes 24 characters";
    if (!std::all_of(tag.begin(), tag.end(), [](char ch) { return kdv::model::is_tag_character(static_cast<kdv::model::Byte>(ch)); }))
      return "the tag editor takes blanks, letters, digits and . : @ \\ _ only";
  }
  Configuration with = c;
  key.set(with, p, value);
  if (const auto why = key.unoffered(with, p)) return why;
  return kdv::link::why_uncarried(key, value);
}

Exit get_command(const GetOptions& o) {
  std::vector<std::pair<std::string, KeyPlace>> keys;
  for (const std::string& dotted : o.keys) {
    const KeyPlace k = known(dotted);
    if (!readings().contains(k.key->field))
      throw Failure{Exit::kUsage, "kdv578ctl: " + dotted + ": no command reads it"};
    keys.emplace_back(dotted, k);
  }
  Session s(o.device);
  Reads reads(s);
  for (const auto& [dotted, k] : keys) {
    // An input type's name depends on the transmitter's type.
    if (k.key->field == "INPUT_TYPE") reads.make("TXTYPE", {k.place.tx, 0}, "get " + dotted);
    reads.make(k.key->field, k.place, "get " + dotted);
  }
  const Configuration c = s.configuration();
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  std::string text;
  for (const auto& [dotted, k] : keys) {
    json[dotted] = json_of(*k.key, c, k.place);
    text += dotted + " = " + shown_value(*k.key, c, k.place) + "\n";
  }
  write_output("-", o.device.json ? json.dump(2) + "\n" : text);
  return Exit::kDone;
}

Exit set_command(const SetOptions& o) {
  std::vector<Assignment> all;
  for (const std::string& text : o.assignments) all.push_back(assignment(text));
  refuse_overlaps({}, device_outputs(o.device, true));
  Session s(o.device);
  {
    // What the rules and the commands' other fields need, read first.
    Reads reads(s);
    for (const Assignment& a : all) {
      const Place p = a.at.place;
      const std::string what = "set " + a.dotted;
      if (p.tx > 0) {
        reads.make("NO_OF_TX", {}, what);
        reads.make("TXTYPE", {p.tx, 0}, what);
      }
      if (p.ch > 0) {
        reads.make("DATA_FORMAT", {}, what);
        reads.make("INPUT_TYPE", p, what);
      }
      // Channel 16 of a 571 is reserved when a channel before it has a
      // compensated input.
      const kdv::model::TransmitterRecord& t = s.record().TRANSMITTER[std::max(p.tx, 1)];
      for (int c = 1; p.ch == 16 && t.TXTYPE == 1 && c <= 15 && !kdv::model::has_cold_junction_channel(t); ++c)
        reads.make("INPUT_TYPE", {p.tx, c}, what);
      reads.make(a.at.key->field, p, what);
    }
  }
  Configuration planned = s.configuration();
  for (Assignment& a : all) {
    // A name stands for the code it has here (an input type's name depends
    // on the transmitter's type).
    if (a.at.key->form == Form::kCode && kdv::model::code_of(*a.at.key, a.text))
      if (const auto why = parse_value(*a.at.key, a.text, a.value, &planned.rx, a.at.place))
        throw Failure{Exit::kUsage, "kdv578ctl: set " + a.dotted + ": " + *why + "; nothing was sent"};
    if (const auto why = editor_refuses(*a.at.key, a.at.place, a.value, planned))
      throw Failure{Exit::kUsage, "kdv578ctl: set " + a.dotted + ": " + *why + "; nothing was sent"};
    a.at.key->set(planned, a.at.place, a.value);
  }
  std::string text;
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const Assignment& a = all[i];
    auto stop = [&](Exit code, const std::string& why, std::size_t applied) {
      return Failure{code, "kdv578ctl: set " + a.dotted + ": " + why + "; applied: " + key_list(all, 0, applied) +
                               "; not sent: " + key_list(all, i + 1, all.size())};
    };
    // Its journal lines wait for the read-back's word.
    s.hold_journal();
    bool sent = false;
    const Outcome outcome = apply(s, a, sent);
    if (!outcome.ok()) {
      s.release_journal(std::nullopt);
      throw stop(exit_of(outcome), describe(outcome), sent ? i + 1 : i);
    }
    // A reply meant for another request passes the frame test: only reading
    // the setting back tells whether the receiver took it.
    const ReadBack back = read_back(s, a);
    s.release_journal(confirmation(a, back));
    if (!back.outcome.ok())
      throw stop(interrupted() ? Exit::kInterrupted : Exit::kLink,
                 "sent, unconfirmed: its read-back: " + describe(back.outcome), i);
    if (back.outcome.old_values)
      throw stop(Exit::kLink, "sent, unconfirmed: its read-back reports a failed transmitter (old values)", i);
    if (!back.confirmed())
      throw stop(Exit::kDifferent,
                 "the receiver reads back " + kdv::files::value_text(*a.at.key, back.held, a.at.place) +
                     " after the write of " + back.written,
                 i);
    const Configuration now = s.configuration();
    json[a.dotted] = json_of(*a.at.key, now, a.at.place);
    text += a.dotted + " = " + shown_value(*a.at.key, now, a.at.place) + "\n";
  }
  write_output("-", o.device.json ? json.dump(2) + "\n" : text);
  return Exit::kDone;
}

}  // namespace kdv::ctl
