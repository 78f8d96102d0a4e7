// What kdv578ctl prints and writes: results on standard output or into a
// file written whole, the readable table of `show`, the differences of
// `diff` as lines or JSON, and messages on standard error.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "model/setting_keys.h"

namespace kdv::ctl {

// The text to standard output ("-") or into the file, which is replaced only
// once the whole text is written. Failure: exit code 3.
void write_output(const std::string& path, std::string_view text);

// One line on standard error, its control characters shown escaped
// (printable_text).
void message(std::string_view line);

// A value as the document writes it, fit for a terminal.
std::string shown_value(const kdv::model::SettingKey& key, const kdv::model::Configuration& c, kdv::model::Place p);

// A value as JSON: texts in UTF-8, codes by their names where they have one.
nlohmann::ordered_json json_of(const kdv::model::SettingKey& key, const kdv::model::Configuration& c, kdv::model::Place p);

// One setting that differs between two configurations.
struct Difference {
  const kdv::model::SettingKey* key;
  kdv::model::Place place;
};

// The settings whose stored values differ (reals bit for bit); the tables
// of what the receiver reported only when `reported`.
std::vector<Difference> differences(const kdv::model::Configuration& a, const kdv::model::Configuration& b,
                                    bool reported);

// "tx1.ch3.high_alarm: 60 -> 80", a line each.
std::string difference_lines(const std::vector<Difference>& d, const kdv::model::Configuration& a,
                             const kdv::model::Configuration& b);
// {"tx1.ch3.high_alarm": {"old": 60, "new": 80}, ...}
std::string difference_json(const std::vector<Difference>& d, const kdv::model::Configuration& a,
                            const kdv::model::Configuration& b);

// The configuration as a readable table: the receiver's settings and, per
// transmitter in use, its channels in use at full precision.
std::string show_text(const kdv::model::Configuration& c);

}  // namespace kdv::ctl
