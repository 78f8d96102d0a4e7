#include "ctl/settings.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <tuple>

#include "ctl/output.h"
#include "files/text_format.h"
#include "model/cp437.h"
#include "model/editor_rules.h"
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
  static const Reading tag{kdv::link::CMD_TAG, [](Link& l, int r, Place) { return l.READ_TAG(r); }};
  static const Reading format{kdv::link::CMD_DATAFMT, [](Link& l, int r, Place) { return l.READ_DATAFMT(r); }};
  static const Reading count{kdv::link::CMD_NO_TX, [](Link& l, int r, Place) { return l.READ_NO_TX(r); }};
  static const Reading units{kdv::link::CMD_TEMP, [](Link& l, int r, Place) { return l.READ_TEMP(r); }};
  static const Reading rejection{kdv::link::CMD_LINEREJ, [](Link& l, int r, Place) { return l.READ_LINEREJ(r); }};
  static const Reading serial{kdv::link::CMD_COMMS, [](Link& l, int r, Place) { return l.READ_COMMS(r); }};
  static const Reading address{kdv::link::CMD_ADDRESS, [](Link& l, int r, Place) { return l.READ_ADDRESS(r); }};
  static const Reading checksum{kdv::link::CMD_CSUMMODE, [](Link& l, int r, Place) { return l.READ_CSUMMODE(r); }};
  static const Reading versions{kdv::link::CMD_VERS, [](Link& l, int r, Place) { return l.READ_VERS(r); }};
  static const Reading switches{kdv::link::CMD_SWITCHES, [](Link& l, int r, Place) { return l.READ_SWITCHES(r); }};
  // The highways and the ELD input come with every reading of values.
  static const Reading values{kdv::link::CMD_VALS, [](Link& l, int r, Place) {
                                int type = 0;
                                return l.READ_VALS(r, 1, type);
                              }};
  static const Reading type{kdv::link::CMD_TXTYPE, [](Link& l, int r, Place p) { return l.READ_TXTYPE(r, p.tx); }};
  static const Reading junction{kdv::link::CMD_CJ, [](Link& l, int r, Place p) { return l.READ_CJ(r, p.tx); }};
  static const Reading input{kdv::link::CMD_INPTYPE, [](Link& l, int r, Place p) { return l.READ_INPTYPE(r, p.tx, p.ch); }};
  static const Reading alarms{kdv::link::CMD_ALARMS, [](Link& l, int r, Place p) { return l.READ_ALARMS(r, p.tx, p.ch); }};
  static const Reading scales{kdv::link::CMD_SCALES, [](Link& l, int r, Place p) { return l.READ_SCALES(r, p.tx, p.ch); }};
  static const Reading live{kdv::link::CMD_INPUT, [](Link& l, int r, Place p) {
                              int t = 0;
                              return l.READ_INPUT(r, p.tx, p.ch, t);
                            }};
  static const std::map<std::string_view, Reading> table = {
      {"TAG_FIELD", tag},          {"DATA_FORMAT", format},     {"NO_OF_TX", count},        {"UNITS", units},
      {"LINE_REJ", rejection},     {"MOD_BAUD", serial},        {"MOD_PARITY", serial},     {"MOD_DBITS", serial},
      {"MOD_STOP", serial},        {"COMM_MODE", serial},       {"MOD_ADDRESSA", address},  {"MOD_ADDRESSB", address},
      {"ADD_MODE", address},       {"CHECK_MODE", checksum},    {"HCAVER", versions},       {"IPVER", versions},
      {"MOD_MODE", switches},      {"HCASWITCH", switches},     {"IPSWITCH", switches},     {"STATUS1", switches},
      {"STATUS2", switches},       {"HW1", values},             {"HW2", values},            {"ELD", values},
      {"TXTYPE", type},            {"CJTEMP", junction},        {"CJUNIT", junction},       {"INPUT_TYPE", input},
      {"THC_DRIVE", input},        {"HIGH_ALARM", alarms},      {"LOW_ALARM", alarms},      {"SCALE_IPZERO", scales},
      {"SCALE_OPZERO", scales},    {"SCALE_GAIN", scales},      {"VALUE", live},            {"VUNIT", live},
      {"ALARM", live},
  };
  return table;
}

// The SET operation that carries a field, as the editor sends it.
const std::map<std::string_view, Command>& sendings() {
  static const std::map<std::string_view, Command> table = {
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
  return table;
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

KeyPlace known(const std::string& dotted) {
  const std::optional<KeyPlace> k = find_key(dotted);
  if (!k) throw Failure{Exit::kUsage, "kdv578ctl: " + dotted + ": no such key"};
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
  if (eq == std::string::npos) throw Failure{Exit::kUsage, "kdv578ctl: " + text + ": KEY=VALUE expected"};
  Assignment a{text.substr(0, eq), known(text.substr(0, eq)), {}, text.substr(eq + 1)};
  if (!sendings().contains(a.at.key->field))
    throw Failure{Exit::kUsage, "kdv578ctl: " + a.dotted + ": no SET command carries it"};
  if (const auto why = parse_value(*a.at.key, std::string_view(text).substr(eq + 1), a.value))
    throw Failure{Exit::kUsage, "kdv578ctl: " + text + ": " + *why};
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
    const Outcome up = kdv::transfer::GETDAT(s.state(), r);
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
    if (outcome.ok() && field == "TXTYPE") outcome = kdv::transfer::UPLOAD_TX(link, r, static_cast<std::uint8_t>(p.tx));
  }
  if (!outcome.ok() || field != "DATA_FORMAT") return outcome;
  if (kdv::model::UNIPOLAR(s.record().DATA_FORMAT)) kdv::model::SETUNIPOLAR(s.record());
  return kdv::transfer::DUMP(s.state(), r, kdv::transfer::TX_CONFIGURED);
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
                                       const kdv::model::RECIEVER_DATA* rx, Place p) {
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
      const kdv::ui::FromUtf8 bytes = kdv::ui::from_utf8(text);
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
      if (!kdv::link::DECIMAL(text, x)) return "a number is expected";
      value = x;
      return std::nullopt;
    }
    case Form::kBoolean:
    case Form::kReceivers: break;
  }
  return "not a setting one can set";
}

std::optional<std::string> editor_refuses(const SettingKey& key, Place p, const Value& value, const Configuration& c) {
  const kdv::model::RECIEVER_DATA& rx = c.rx;
  if (is(key, {"MOD_BAUD", "MOD_PARITY", "MOD_DBITS", "MOD_STOP"}) && !rx.COMM_MODE)
    return "read-only: the receiver's switches set the serial settings";
  if (is(key, {"MOD_ADDRESSA", "MOD_ADDRESSB"}) && !rx.ADD_MODE)
    return "read-only: the receiver's switches set the addresses";
  if (p.tx > rx.NO_OF_TX) return "the receiver has " + std::to_string(rx.NO_OF_TX) + " transmitter(s)";
  const kdv::model::TRANSMITTER_DATA& t = rx.TRANSMITTER[std::max(p.tx, 1)];
  if (p.ch > kdv::model::CHANNELS(t.TXTYPE))
    return "a transmitter of this type has channels 1.." + std::to_string(kdv::model::CHANNELS(t.TXTYPE));
  if (is(key, {"INPUT_TYPE", "SCALE_OPZERO", "SCALE_GAIN"}) && kdv::model::RESERVED_CHANNEL(t, p.ch))
    return "channel 16 of this 571 measures its cold junction";
  if (is(key, {"HIGH_ALARM", "LOW_ALARM"}) && !kdv::model::ALARMS_APPLY(t, p.ch))
    return "alarms do not apply to this channel";
  if (key.field == "THC_DRIVE" && !kdv::model::DRIVE_APPLIES(t, p.ch)) return "no drive on this channel";
  if (key.field == "INPUT_TYPE" &&
      !kdv::model::OFFERS_INPUT_TYPE(t.TXTYPE, p.ch, static_cast<kdv::model::byte>(std::get<std::int64_t>(value))))
    return "the input list of this channel does not offer it";
  if (key.form == Form::kReal) {
    const double x = std::get<double>(value);
    if (!kdv::model::ENTRY_ACCEPTS(x, false)) return "the editors take -99999..99999";
    if (is(key, {"HIGH_ALARM", "LOW_ALARM", "SCALE_OPZERO"}) && kdv::model::UNIPOLAR(rx.DATA_FORMAT) && x < 0)
      return "negative under a unipolar data format";
  }
  if (key.field == "TAG_FIELD") {
    std::string_view tag = std::get<std::string>(value);
    tag = tag.substr(0, tag.find_last_not_of(' ') + 1);
    if (tag.size() > kdv::model::NAME_LENGTH) return "the tag editor takes 24 characters";
    if (!std::all_of(tag.begin(), tag.end(), [](char ch) { return kdv::model::NAME_CHARACTER(static_cast<kdv::model::byte>(ch)); }))
      return "the tag editor takes blanks, letters, digits and . : @ \\ _ only";
  }
  Configuration with = c;
  key.set(with, p, value);
  if (const auto why = key.unoffered(with, p)) return why;
  return kdv::link::UNCARRIED(key, value);
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
    text += dotted + " = " + kdv::files::value_text(*k.key, c, k.place) + "\n";
  }
  write_output("-", o.device.json ? json.dump(2) + "\n" : text);
  return Exit::kDone;
}

Exit set_command(const SetOptions& o) {
  std::vector<Assignment> all;
  for (const std::string& text : o.assignments) all.push_back(assignment(text));
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
      const kdv::model::TRANSMITTER_DATA& t = s.record().TRANSMITTER[std::max(p.tx, 1)];
      for (int c = 1; p.ch == 16 && t.TXTYPE == 1 && c <= 15 && !kdv::model::ISRTD(t); ++c)
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
    bool sent = false;
    const Outcome outcome = apply(s, all[i], sent);
    if (!outcome.ok())
      throw Failure{exit_of(outcome), "kdv578ctl: set " + all[i].dotted + ": " + describe(outcome) +
                                          "; applied: " + key_list(all, 0, sent ? i + 1 : i) +
                                          "; not sent: " + key_list(all, i + 1, all.size())};
    const Configuration now = s.configuration();
    json[all[i].dotted] = json_of(*all[i].at.key, now, all[i].at.place);
    text += all[i].dotted + " = " + kdv::files::value_text(*all[i].at.key, now, all[i].at.place) + "\n";
  }
  write_output("-", o.device.json ? json.dump(2) + "\n" : text);
  return Exit::kDone;
}

}  // namespace kdv::ctl
