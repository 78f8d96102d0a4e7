// The settings of a configuration by name: one entry per record field, with
// the dotted key that names it everywhere (the text format, diff, error
// messages, get and set), its form and limits, its fixed names, what the
// editors offer and how a SET operation carries it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/records.h"

namespace kdv::model {

// What a ".gdt"/".rxd" pair holds.
struct Configuration {
  HeldFlagsRecord flags;
  ReceiverRecord rx;
};

// A configuration as a freshly started console holds it.
Configuration fresh_configuration();

// The table a key belongs to: [receiver], [reported], [txN], [txN.reported],
// [txN.chC], [txN.chC.reported], or the top level.
enum class Table : std::uint8_t {
  kTop,
  kReceiver,
  kReported,
  kTransmitter,
  kTransmitterReported,
  kChannel,
  kChannelReported,
};

// The transmitter (1..4) and channel (1..16) a key of a transmitter or
// channel table belongs to; 0 where it does not apply.
struct Place {
  int tx = 0;
  int ch = 0;
};

// How a value is written and what a pair can hold of it.
enum class Form : std::uint8_t {
  kText,       // code page 437 text of at most `highest` bytes
  kCode,       // a stored code 0..highest, written as its name where it has one
  kNumber,     // a whole number lowest..highest, written as itself
  kReal,       // a binary64
  kBoolean,    // true or false
  kReceivers,  // the receiver numbers whose configured flag is set
};

// How a SET operation sends the value.
enum class Carriage : std::uint8_t {
  kNever,   // the receiver reports it; nothing sends it
  kDigit,   // one byte, 30h + code
  kAlways,  // in a form that holds every stored value (hex digits, line bits)
  kNumber,  // a 10-character number field
  kText,    // the text's bytes
};

// A key's value. Texts are code page 437 bytes; codes, numbers and the
// receiver numbers are integers.
using Value = std::variant<bool, std::int64_t, double, std::string, std::vector<std::int64_t>>;

struct CodeName {
  std::int64_t code;
  std::string name;
};
using CodeNames = std::vector<CodeName>;

struct SettingKey {
  Table table;
  std::string_view name;   // the key within its table
  std::string_view field;  // the record field
  Form form;
  std::int64_t lowest;
  std::int64_t highest;  // text capacity, largest code or number
  Carriage carriage;
  Value (*get)(const Configuration&, Place);
  // Stores a value of the key's form within its limits.
  void (*set)(Configuration&, Place, const Value&);
  // The names of the codes at this place of this record (input types follow
  // the transmitter's type); with no record, every name the key knows.
  const CodeNames& (*names)(const ReceiverRecord*, Place);
  // Why no editor offers the value at this place, or nothing.
  std::optional<std::string> (*unoffered)(const Configuration&, Place);
};

// Every key, in document order within each table.
std::span<const SettingKey> setting_keys();
// The key of a table by its name.
const SettingKey* find_setting(Table table, std::string_view name);

// The table's dotted path at a place: "receiver", "tx1.ch3.reported"; empty
// for the top level.
std::string table_path(Table table, Place place);
// The dotted key: "tx1.ch3.high_alarm".
std::string dotted_key(const SettingKey& key, Place place);

// Every key at every place, tables in document order: the top level,
// [receiver], [reported], then per transmitter its table, its reported
// table and per channel the channel's two tables.
void for_each_setting(const std::function<void(const SettingKey&, Place)>& visit);

// Whether a download sends the settings at this place: transmitters up to
// the receiver's count, channels up to 8 on a 572 and 16 otherwise.
bool in_use(const ReceiverRecord& rx, Place place);

// Whether two names are the same without regard to case.
bool same_name(std::string_view a, std::string_view b);
// The code of a name, matched without regard to case, among all the names
// the key knows.
std::optional<std::int64_t> code_of(const SettingKey& key, std::string_view name);
// The name a code is written as at this place, if exactly one code has it.
std::optional<std::string> name_of(const SettingKey& key, const ReceiverRecord& rx, Place place,
                                   std::int64_t code);

}  // namespace kdv::model
