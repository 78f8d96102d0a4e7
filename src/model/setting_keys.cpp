#include "model/setting_keys.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <type_traits>

#include "model/editor_rules.h"
#include "model/value_text.h"

namespace kdv::model {

namespace {

// ---- Fields of the record ---------------------------------------------------

template <class M>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
  using Class = C;
};

// The field M at a place: a member of the receiver, of transmitter p.tx or
// of its channel p.ch.
template <auto M, class Rec>
decltype(auto) field(Rec& rx, Place p) {
  using C = typename MemberOf<decltype(M)>::Class;
  if constexpr (std::is_same_v<C, ReceiverRecord>)
    return (rx.*M);
  else if constexpr (std::is_same_v<C, TransmitterRecord>)
    return (rx.TRANSMITTER[p.tx].*M);
  else
    return (rx.TRANSMITTER[p.tx].CHANNEL[p.ch].*M);
}

template <class F>
constexpr bool kIsText = !std::is_arithmetic_v<F> && !std::is_enum_v<F>;

template <auto M>
Value get(const Configuration& c, Place p) {
  const auto& f = field<M>(c.rx, p);
  using F = std::remove_cvref_t<decltype(f)>;
  if constexpr (std::is_same_v<F, double>)
    return f;
  else if constexpr (kIsText<F>)
    return f.str();
  else
    return static_cast<std::int64_t>(f);
}

template <auto M>
Value get_flag(const Configuration& c, Place p) {
  return field<M>(c.rx, p);
}

template <auto M>
void set(Configuration& c, Place p, const Value& v) {
  auto& f = field<M>(c.rx, p);
  using F = std::remove_cvref_t<decltype(f)>;
  if constexpr (std::is_same_v<F, double>)
    f = std::get<double>(v);
  else if constexpr (kIsText<F>)
    f = std::get<std::string>(v);
  else if constexpr (std::is_same_v<F, bool>)
    f = std::holds_alternative<bool>(v) ? std::get<bool>(v) : std::get<std::int64_t>(v) != 0;
  else
    f = static_cast<F>(std::get<std::int64_t>(v));
}

Value get_receivers(const Configuration& c, Place) {
  std::vector<std::int64_t> numbers;
  for (int n = 0; n <= 15; ++n)
    if (c.flags.RXCONFIG[n]) numbers.push_back(n);
  return numbers;
}

void set_receivers(Configuration& c, Place, const Value& v) {
  c.flags = {};
  for (const std::int64_t n : std::get<std::vector<std::int64_t>>(v)) c.flags.RXCONFIG[static_cast<int>(n)] = true;
}

// ---- Names ----------------------------------------------------------------------

// A name as the console's tables spell it: trimmed, blank runs made single.
std::string tidy(std::string_view s) {
  std::string out;
  for (const char ch : s) {
    if (ch != ' ')
      out += ch;
    else if (!out.empty() && out.back() != ' ')
      out += ' ';
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

const CodeNames& no_names(const ReceiverRecord*, Place) {
  static const CodeNames kNone;
  return kNone;
}

template <const CodeNames& N>
const CodeNames& fixed(const ReceiverRecord*, Place) {
  return N;
}

const CodeNames kBaud = {{1, "300"},  {2, "600"},  {3, "1200"},  {4, "2400"},
                         {5, "4800"}, {6, "9600"}, {7, "19200"}, {8, "38400"}};
const CodeNames kParity = {{0, "none"}, {1, "odd"}, {2, "even"}};
const CodeNames kDataBits = {{1, "8"}, {0, "7"}};
const CodeNames kUnits = {{1, "C"}, {2, "F"}, {3, "K"}};
const CodeNames kLineRejection = {{0, "50 Hz"}, {1, "60 Hz"}};
const CodeNames kChecksumMode = {{0, "auto"}, {1, "manual"}};
const CodeNames kChecksumDisplay = {{0, "decimal"}, {1, "hex"}};
const CodeNames kSetBy = {{1, "software"}, {0, "hardware"}};
const CodeNames kModbusMode = {{0, "ascii"}, {1, "rtu"}, {2, "unknown"}};
const CodeNames kTxType = {{1, "571"}, {2, "572"}};
const CodeNames kDrive = {{0, "upscale"}, {1, "downscale"}, {2, "off"}};
const CodeNames kAlarm = {{kHigh, "high"}, {kLow, "low"}, {kOff, "off"}};

const CodeNames& data_formats(const ReceiverRecord*, Place) {
  static const CodeNames kNames = [] {
    CodeNames n;
    for (int p = 1; p <= 16; ++p) n.push_back({data_format_code(p), tidy(kDataFormatNames[p])});
    return n;
  }();
  return kNames;
}

const CodeNames& input_types_571() {
  static const CodeNames kNames = [] {
    CodeNames n;
    for (int code = 0; code <= 27; ++code)
      if (code != 15) n.push_back({code, tidy(input_type_name(1, static_cast<Byte>(code)))});
    return n;
  }();
  return kNames;
}

const CodeNames& input_types_572() {
  static const CodeNames kNames = {
      {0, tidy(kInputTypes572[1])}, {13, tidy(kInputTypes572[2])}, {15, tidy(kInputTypes572[3])}};
  return kNames;
}

// The names of the transmitter's type; with no record, those of both types
// (no name stands for two codes).
const CodeNames& input_types(const ReceiverRecord* rx, Place p) {
  static const CodeNames kAll = [] {
    CodeNames n = input_types_571();
    const CodeNames& more = input_types_572();
    n.insert(n.end(), more.begin(), more.end());
    return n;
  }();
  if (!rx) return kAll;
  switch (rx->TRANSMITTER[p.tx].TXTYPE) {
    case 1: return input_types_571();
    case 2: return input_types_572();
    default: return no_names(rx, p);
  }
}

std::string quoted_list(const CodeNames& names) {
  std::string out;
  for (const CodeName& n : names) out += (out.empty() ? "\"" : ", \"") + n.name + "\"";
  return out;
}

// ---- What the editors offer ---------------------------------------------------

std::optional<std::string> anything(const Configuration&, Place) { return std::nullopt; }

// Only the named codes.
template <const CodeNames& (*Names)(const ReceiverRecord*, Place), auto M>
std::optional<std::string> named_only(const Configuration& c, Place p) {
  const auto code = static_cast<std::int64_t>(field<M>(c.rx, p));
  const CodeNames& names = Names(&c.rx, p);
  if (std::any_of(names.begin(), names.end(), [&](const CodeName& n) { return n.code == code; }))
    return std::nullopt;
  return "no editor offers this code; they offer " + quoted_list(names);
}

std::optional<std::string> stop_bits(const Configuration& c, Place) {
  if (c.rx.MOD_STOP == 1 || c.rx.MOD_STOP == 2) return std::nullopt;
  return "no editor offers it; they offer 1 and 2";
}

std::optional<std::string> tag(const Configuration& c, Place) {
  if (c.rx.TAG_FIELD.size() == c.rx.TAG_FIELD.kCapacity) return std::nullopt;
  return "the editor and an upload keep the tag at 25 characters, padded with blanks";
}

std::optional<std::string> input_type(const Configuration& c, Place p) {
  const Byte type = c.rx.TRANSMITTER[p.tx].TXTYPE;
  const CodeNames& names = input_types(&c.rx, p);
  const Byte code = c.rx.TRANSMITTER[p.tx].CHANNEL[p.ch].INPUT_TYPE;
  if (std::any_of(names.begin(), names.end(), [&](const CodeName& n) { return n.code == code; }))
    return std::nullopt;
  if (names.empty()) return "no editor offers input types on a transmitter of type code " + std::to_string(type);
  if (type == 1) return "a 571 does not offer it; it offers the codes 0..14 and 16..27";
  return "a 572 does not offer it; it offers " + quoted_list(names);
}

std::optional<std::string> drive(const Configuration& c, Place p) {
  const TransmitterRecord& t = c.rx.TRANSMITTER[p.tx];
  const ChannelRecord& ch = t.CHANNEL[p.ch];
  if (!drive_applies(t, p.ch) && ch.THC_DRIVE != 0)
    return "no editor sets a drive on this channel (a 572's, or a 571's input of type code 15)";
  if (ch.THC_DRIVE > 2) return "no editor offers this code; they offer " + quoted_list(kDrive);
  return std::nullopt;
}

// Thresholds and the output zero, which the editors keep at 0 or more under
// a unipolar data format.
template <auto M>
std::optional<std::string> not_negative_if_unipolar(const Configuration& c, Place p) {
  if (!is_unipolar(c.rx.DATA_FORMAT) || !(field<M>(c.rx, p) < 0)) return std::nullopt;
  return "negative under the unipolar data format \"" + tidy(kDataFormatNames[data_format_position(c.rx.DATA_FORMAT)]) +
         "\"; the editors take 0 or more";
}

// ---- The table ------------------------------------------------------------------

using T = Table;
using F = Form;
using K = Carriage;
using R = ReceiverRecord;
using X = TransmitterRecord;
using C = ChannelRecord;

template <auto M, const CodeNames& N>
constexpr SettingKey code(T t, std::string_view name, std::string_view f, std::int64_t highest, K k,
                          std::optional<std::string> (*unoffered)(const Configuration&, Place) = anything) {
  return {t, name, f, F::kCode, 0, highest, k, get<M>, set<M>, fixed<N>, unoffered};
}
template <auto M>
constexpr SettingKey text(T t, std::string_view name, std::string_view f, std::int64_t capacity, K k,
                          std::optional<std::string> (*unoffered)(const Configuration&, Place) = anything) {
  return {t, name, f, F::kText, 0, capacity, k, get<M>, set<M>, no_names, unoffered};
}
template <auto M>
constexpr SettingKey number(T t, std::string_view name, std::string_view f, std::int64_t lowest, std::int64_t highest,
                            K k, std::optional<std::string> (*unoffered)(const Configuration&, Place) = anything) {
  return {t, name, f, F::kNumber, lowest, highest, k, get<M>, set<M>, no_names, unoffered};
}
template <auto M>
constexpr SettingKey real(std::string_view name, std::string_view f,
                          std::optional<std::string> (*unoffered)(const Configuration&, Place) = anything) {
  return {T::kChannel, name, f, F::kReal, 0, 0, K::kNumber, get<M>, set<M>, no_names, unoffered};
}
template <auto M>
constexpr SettingKey flag(std::string_view name, std::string_view f) {
  return {T::kReported, name, f, F::kBoolean, 0, 1, K::kNever, get_flag<M>, set<M>, no_names, anything};
}

constexpr std::int64_t kByte = 255;
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

const SettingKey kKeys[] = {
    {T::kTop, "configured", "RXCONFIG", F::kReceivers, 0, 15, K::kNever, get_receivers, set_receivers, no_names,
     anything},

    text<&R::TAG_FIELD>(T::kReceiver, "tag", "TAG_FIELD", 25, K::kText, tag),
    {T::kReceiver, "data_format", "DATA_FORMAT", F::kCode, 0, kByte, K::kDigit, get<&R::DATA_FORMAT>,
     set<&R::DATA_FORMAT>, data_formats, named_only<data_formats, &R::DATA_FORMAT>},
    number<&R::NO_OF_TX>(T::kReceiver, "transmitters", "NO_OF_TX", 1, 4, K::kDigit),
    code<&R::UNITS, kUnits>(T::kReceiver, "temperature_units", "UNITS", kByte, K::kDigit,
                             named_only<fixed<kUnits>, &R::UNITS>),
    code<&R::LINE_REJ, kLineRejection>(T::kReceiver, "line_rejection", "LINE_REJ", kByte, K::kDigit,
                                        named_only<fixed<kLineRejection>, &R::LINE_REJ>),
    code<&R::MOD_BAUD, kBaud>(T::kReceiver, "baud", "MOD_BAUD", kByte, K::kDigit,
                               named_only<fixed<kBaud>, &R::MOD_BAUD>),
    code<&R::MOD_PARITY, kParity>(T::kReceiver, "parity", "MOD_PARITY", kByte, K::kAlways,
                                   named_only<fixed<kParity>, &R::MOD_PARITY>),
    code<&R::MOD_DBITS, kDataBits>(T::kReceiver, "data_bits", "MOD_DBITS", kByte, K::kAlways,
                                    named_only<fixed<kDataBits>, &R::MOD_DBITS>),
    number<&R::MOD_STOP>(T::kReceiver, "stop_bits", "MOD_STOP", 0, kByte, K::kAlways, stop_bits),
    number<&R::MOD_ADDRESSA>(T::kReceiver, "address_a", "MOD_ADDRESSA", 0, kByte, K::kAlways),
    number<&R::MOD_ADDRESSB>(T::kReceiver, "address_b", "MOD_ADDRESSB", 0, kByte, K::kAlways),
    code<&R::CHECK_MODE, kChecksumMode>(T::kReceiver, "checksum_mode", "CHECK_MODE", kByte, K::kDigit,
                                         named_only<fixed<kChecksumMode>, &R::CHECK_MODE>),
    code<&R::CKSUM_BASE, kChecksumDisplay>(T::kReceiver, "checksum_display", "CKSUM_BASE", kByte, K::kNever,
                                            named_only<fixed<kChecksumDisplay>, &R::CKSUM_BASE>),

    text<&R::HCAVER>(T::kReported, "hca_version", "HCAVER", 10, K::kNever),
    text<&R::IPVER>(T::kReported, "ip_version", "IPVER", 10, K::kNever),
    code<&R::ADD_MODE, kSetBy>(T::kReported, "address_mode", "ADD_MODE", 1, K::kNever),
    code<&R::COMM_MODE, kSetBy>(T::kReported, "comms_mode", "COMM_MODE", 1, K::kNever),
    code<&R::MOD_MODE, kModbusMode>(T::kReported, "modbus_mode", "MOD_MODE", kByte, K::kNever),
    number<&R::CHECKSUM>(T::kReported, "checksum", "CHECKSUM", kInt32Min, kInt32Max, K::kNever),
    number<&R::RAMCHKSUM>(T::kReported, "ram_checksum", "RAMCHKSUM", kInt32Min, kInt32Max, K::kNever),
    number<&R::STATUS1>(T::kReported, "status1", "STATUS1", 0, kByte, K::kNever),
    number<&R::STATUS2>(T::kReported, "status2", "STATUS2", 0, kByte, K::kNever),
    flag<&R::HW1>("highway1_ok", "HW1"),
    flag<&R::HW2>("highway2_ok", "HW2"),
    flag<&R::ELD>("eld_active", "ELD"),
    flag<&R::SYSFAIL>("sysfail", "SYSFAIL"),
    number<&R::HCASWITCH>(T::kReported, "hca_switch", "HCASWITCH", 0, kByte, K::kNever),
    number<&R::IPSWITCH>(T::kReported, "ip_switch", "IPSWITCH", 0, kByte, K::kNever),

    code<&X::TXTYPE, kTxType>(T::kTransmitter, "type", "TXTYPE", kByte, K::kDigit,
                               named_only<fixed<kTxType>, &X::TXTYPE>),
    text<&X::CJTEMP>(T::kTransmitterReported, "cj_temperature", "CJTEMP", 20, K::kNever),
    text<&X::CJUNIT>(T::kTransmitterReported, "cj_unit", "CJUNIT", 2, K::kNever),

    {T::kChannel, "input_type", "INPUT_TYPE", F::kCode, 0, kByte, K::kDigit, get<&C::INPUT_TYPE>,
     set<&C::INPUT_TYPE>, input_types, input_type},
    code<&C::THC_DRIVE, kDrive>(T::kChannel, "drive", "THC_DRIVE", kByte, K::kDigit, drive),
    real<&C::HIGH_ALARM>("high_alarm", "HIGH_ALARM", not_negative_if_unipolar<&C::HIGH_ALARM>),
    real<&C::LOW_ALARM>("low_alarm", "LOW_ALARM", not_negative_if_unipolar<&C::LOW_ALARM>),
    real<&C::SCALE_IPZERO>("input_zero", "SCALE_IPZERO"),
    real<&C::SCALE_OPZERO>("output_zero", "SCALE_OPZERO", not_negative_if_unipolar<&C::SCALE_OPZERO>),
    real<&C::SCALE_GAIN>("gain", "SCALE_GAIN"),

    text<&C::VALUE>(T::kChannelReported, "value", "VALUE", 20, K::kNever),
    text<&C::VUNIT>(T::kChannelReported, "unit", "VUNIT", 2, K::kNever),
    code<&C::ALARM, kAlarm>(T::kChannelReported, "alarm", "ALARM", kOff, K::kNever),
};


}  // namespace

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

Configuration fresh_configuration() {
  Configuration c;
  init_receiver(c.rx, 1);
  c.flags.RXCONFIG[0] = true;
  return c;
}

std::span<const SettingKey> setting_keys() { return kKeys; }

const SettingKey* find_setting(Table table, std::string_view name) {
  for (const SettingKey& k : kKeys)
    if (k.table == table && k.name == name) return &k;
  return nullptr;
}

std::string table_path(Table table, Place p) {
  const std::string tx = "tx" + std::to_string(p.tx);
  const std::string ch = tx + ".ch" + std::to_string(p.ch);
  switch (table) {
    case T::kTop: return "";
    case T::kReceiver: return "receiver";
    case T::kReported: return "reported";
    case T::kTransmitter: return tx;
    case T::kTransmitterReported: return tx + ".reported";
    case T::kChannel: return ch;
    case T::kChannelReported: return ch + ".reported";
  }
  return "";
}

std::string dotted_key(const SettingKey& key, Place place) {
  const std::string table = table_path(key.table, place);
  return table.empty() ? std::string(key.name) : table + "." + std::string(key.name);
}

void for_each_setting(const std::function<void(const SettingKey&, Place)>& visit) {
  auto table = [&](Table t, Place p) {
    for (const SettingKey& k : kKeys)
      if (k.table == t) visit(k, p);
  };
  table(T::kTop, {});
  table(T::kReceiver, {});
  table(T::kReported, {});
  for (int t = 1; t <= 4; ++t) {
    table(T::kTransmitter, {t, 0});
    table(T::kTransmitterReported, {t, 0});
    for (int c = 1; c <= 16; ++c) {
      table(T::kChannel, {t, c});
      table(T::kChannelReported, {t, c});
    }
  }
}

bool in_use(const ReceiverRecord& rx, Place p) {
  if (p.tx == 0) return true;
  if (p.tx > std::min<int>(rx.NO_OF_TX, 4)) return false;
  return p.ch <= (rx.TRANSMITTER[p.tx].TXTYPE == 2 ? 8 : 16);
}

std::optional<std::int64_t> code_of(const SettingKey& key, std::string_view name) {
  for (const CodeName& n : key.names(nullptr, {}))
    if (same_name(n.name, name)) return n.code;
  return std::nullopt;
}

std::optional<std::string> name_of(const SettingKey& key, const ReceiverRecord& rx, Place place, std::int64_t code) {
  for (const CodeName& n : key.names(&rx, place))
    if (n.code == code) return n.name;
  return std::nullopt;
}

}  // namespace kdv::model
