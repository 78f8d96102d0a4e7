#include "ctl/output.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "ctl/exit_codes.h"
#include "files/file_pair.h"
#include "files/text_format.h"
#include "model/code_page_437.h"
#include "model/printable_text.h"

namespace kdv::ctl {

using kdv::model::Configuration;
using kdv::model::Form;
using kdv::model::Place;
using kdv::model::SettingKey;
using kdv::model::Table;
using kdv::model::Value;

void write_output(const std::string& path, std::string_view text) {
  if (path == "-") {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
      throw Failure{Exit::kFile, "kdv578ctl: cannot write to standard output"};
    return;
  }
  if (!kdv::files::write_file(path, text)) throw Failure{Exit::kFile, "kdv578ctl: cannot write " + path};
}

void message(std::string_view line) {
  const std::string shown = kdv::model::printable_text(line);
  std::fprintf(stderr, "%s\n", shown.c_str());
}

namespace {

bool reported_table(Table t) {
  return t == Table::kReported || t == Table::kTransmitterReported || t == Table::kChannelReported;
}

// Stored values compare as the pair stores them: reals by their bits.
bool same(const Value& a, const Value& b) {
  if (std::holds_alternative<double>(a) && std::holds_alternative<double>(b))
    return std::bit_cast<std::uint64_t>(std::get<double>(a)) == std::bit_cast<std::uint64_t>(std::get<double>(b));
  return a == b;
}

// A value for reading: names without quotes, everything else as written.
std::string plain(const SettingKey& key, const Configuration& c, Place p) {
  if (key.form == Form::kCode)
    if (const auto name = kdv::model::name_of(key, c.rx, p, std::get<std::int64_t>(key.get(c, p)))) return *name;
  return shown_value(key, c, p);
}

// Display width of UTF-8 text: its characters.
std::size_t width(std::string_view s) {
  std::size_t n = 0;
  for (const char ch : s) n += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  return n;
}

std::string padded(std::string s, std::size_t w) {
  const std::size_t have = width(s);
  if (have < w) s.append(w - have, ' ');
  return s;
}

// "  key   value" lines of one table.
void key_lines(std::string& out, Table table, Place p, const Configuration& c) {
  for (const SettingKey& k : kdv::model::setting_keys())
    if (k.table == table) out += "  " + padded(std::string(k.name), 18) + plain(k, c, p) + "\n";
}

void channel_table(std::string& out, int t, const Configuration& c) {
  std::vector<const SettingKey*> columns;
  for (const SettingKey& k : kdv::model::setting_keys())
    if (k.table == Table::kChannel || k.table == Table::kChannelReported) columns.push_back(&k);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> head = {"ch"};
  for (const SettingKey* k : columns) head.emplace_back(k->name);
  rows.push_back(head);
  for (int ch = 1; ch <= 16; ++ch) {
    if (!kdv::model::in_use(c.rx, {t, ch})) continue;
    std::vector<std::string> row = {std::to_string(ch)};
    for (const SettingKey* k : columns) row.push_back(plain(*k, c, {t, ch}));
    rows.push_back(row);
  }
  std::vector<std::size_t> widths(head.size(), 0);
  for (const auto& row : rows)
    for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], width(row[i]));
  for (const auto& row : rows) {
    std::string line = "  ";
    for (std::size_t i = 0; i < row.size(); ++i) line += padded(row[i], widths[i] + 2);
    line.erase(line.find_last_not_of(' ') + 1);
    out += line + "\n";
  }
}

}  // namespace

std::string shown_value(const SettingKey& key, const Configuration& c, Place p) {
  return kdv::model::printable_text(kdv::files::value_text(key, c, p));
}

nlohmann::ordered_json json_of(const SettingKey& key, const Configuration& c, Place p) {
  const Value v = key.get(c, p);
  switch (key.form) {
    case Form::kText: return kdv::model::to_utf8(std::get<std::string>(v));
    case Form::kCode:
      if (const auto name = kdv::model::name_of(key, c.rx, p, std::get<std::int64_t>(v))) return *name;
      return std::get<std::int64_t>(v);
    case Form::kNumber: return std::get<std::int64_t>(v);
    case Form::kReal: {
      const double x = std::get<double>(v);
      if (std::isfinite(x)) return x;
      return kdv::files::value_text(key, c, p);  // "nan", "inf", "-inf"
    }
    case Form::kBoolean: return std::get<bool>(v);
    case Form::kReceivers: return std::get<std::vector<std::int64_t>>(v);
  }
  return nullptr;
}

std::vector<Difference> differences(const Configuration& a, const Configuration& b, bool reported) {
  std::vector<Difference> out;
  kdv::model::for_each_setting([&](const SettingKey& key, Place p) {
    if (!reported && reported_table(key.table)) return;
    if (!same(key.get(a, p), key.get(b, p))) out.push_back({&key, p});
  });
  return out;
}

std::string difference_lines(const std::vector<Difference>& d, const Configuration& a, const Configuration& b) {
  std::string out;
  for (const Difference& x : d)
    out += kdv::model::dotted_key(*x.key, x.place) + ": " + shown_value(*x.key, a, x.place) + " -> " +
           shown_value(*x.key, b, x.place) + "\n";
  return out;
}

std::string difference_json(const std::vector<Difference>& d, const Configuration& a, const Configuration& b) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  for (const Difference& x : d)
    out[kdv::model::dotted_key(*x.key, x.place)] = {{"old", json_of(*x.key, a, x.place)},
                                                 {"new", json_of(*x.key, b, x.place)}};
  return out.dump(2) + "\n";
}

std::string show_text(const Configuration& c) {
  std::string out = "configured          " + plain(kdv::model::setting_keys()[0], c, {}) + "\n";
  out += "receiver\n";
  key_lines(out, Table::kReceiver, {}, c);
  out += "reported\n";
  key_lines(out, Table::kReported, {}, c);
  for (int t = 1; t <= 4; ++t) {
    if (!kdv::model::in_use(c.rx, {t, 0})) continue;
    out += "tx" + std::to_string(t) + "\n";
    key_lines(out, Table::kTransmitter, {t, 0}, c);
    key_lines(out, Table::kTransmitterReported, {t, 0}, c);
    channel_table(out, t, c);
  }
  return out;
}

}  // namespace kdv::ctl
