// The configuration as a TOML document: everything a ".gdt"/".rxd" pair
// holds, in the tables and dotted keys of the setting keys, names for coded
// values, texts in UTF-8, reals in the shortest text that reads back to the
// same binary64. Reading validates the whole document before the caller
// writes anything.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/setting_keys.h"

namespace kdv::files {

// One message of the reader: an error or a warning, at a line of the
// document (0 when none applies), about a dotted key (empty when none).
struct Finding {
  enum class Severity : std::uint8_t { kError, kWarning };
  Severity severity;
  int line;
  std::string key;
  std::string text;  // what follows the key: "= 80: ..." or ": ..."
};

// "site.toml:12: error: tx1.ch3.gain = "x": a real number is expected ..."
std::string describe(const Finding& finding, std::string_view source);

// The document of a configuration. Keys whose value no TOML text reads back
// exactly (a NaN other than the one "nan" reads as) get a note, if asked.
std::string write_text(const kdv::model::Configuration& config, std::vector<Finding>* notes = nullptr);

// A value as the document writes it: 60, "571", "BOILER 3 ".
std::string value_text(const kdv::model::SettingKey& key, const kdv::model::Configuration& config, kdv::model::Place place);

// A further check of a value the document gives (the link's, for instance):
// why it is a problem, or nothing.
using ValueCheck = std::function<std::optional<std::string>(const kdv::model::SettingKey&, const kdv::model::Value&)>;

struct ReadOptions {
  // Warnings and missing keys become errors.
  bool strict = false;
  // Run on the values of the settings a download sends: warnings, or
  // errors when extra_is_error.
  ValueCheck extra;
  bool extra_is_error = false;
  // Run on the same values: always warnings (a number sent rounded).
  ValueCheck rounding{};
};

struct TextRead {
  // The keys the document gives over those of a freshly started console:
  // init_receiver, and per transmitter init_transmitter of its type under the document's
  // data format.
  kdv::model::Configuration config;
  // Every error and warning in the order of the document's lines; a TOML
  // syntax error stops the reading at the first.
  std::vector<Finding> findings;
  // The dotted keys the document gives, good or not.
  std::set<std::string> given;
  bool ok() const;
};

TextRead read_text(std::string_view document, const ReadOptions& options = {});

// What a document may be, checked before it is parsed; the largest export
// is about 14 KB, 60 bytes a line and 4 levels deep
// (tx1.ch3.reported.value).
inline constexpr std::size_t kDocumentBytesLimit = 262144;  // 256 KiB
inline constexpr std::size_t kDocumentLineBytesLimit = 4096;
inline constexpr int kDocumentKeyDepthLimit = 16;  // table, dotted key, inline tables and arrays together

// Why a document is refused before parsing (too large, a line too long, a
// key nested too deep), or nothing.
std::optional<Finding> beyond_limits(std::string_view document);

}  // namespace kdv::files
