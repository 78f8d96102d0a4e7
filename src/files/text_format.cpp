#include "files/text_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <set>

#include <toml++/toml.h>

#include "model/code_page_437.h"
#include "model/printable_text.h"

namespace kdv::files {

using kdv::model::Configuration;
using kdv::model::Form;
using kdv::model::Place;
using kdv::model::SettingKey;
using kdv::model::Table;
using kdv::model::Value;

namespace {

// The NaN that "nan" reads back as.
constexpr std::uint64_t kPlainNan = 0x7FF8000000000000;

// ---- Writing ----------------------------------------------------------------------

// A TOML basic string of UTF-8 text; control characters escaped.
std::string toml_string(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto u = static_cast<std::uint8_t>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          static constexpr char kHex[] = "0123456789ABCDEF";
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// The shortest text that reads back as the same binary64: a TOML integer
// where the value is whole and fits one, else a TOML float. A negative zero
// keeps its sign as -0.0.
std::string real_text(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  if (v == 0 && std::signbit(v)) return "-0.0";
  char buf[64];
  auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  if (std::string_view(buf, static_cast<std::size_t>(end - buf)).find_first_of(".e") == std::string_view::npos &&
      std::abs(v) >= 9e18)
    end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific).ptr;
  return {buf, end};
}

std::string token(const SettingKey& key, const Value& v, const kdv::model::ReceiverRecord& rx, Place p) {
  switch (key.form) {
    case Form::kText: return toml_string(kdv::model::to_utf8(std::get<std::string>(v)));
    case Form::kCode: {
      const std::int64_t code = std::get<std::int64_t>(v);
      if (const auto name = kdv::model::name_of(key, rx, p, code)) return toml_string(*name);
      return std::to_string(code);
    }
    case Form::kNumber: return std::to_string(std::get<std::int64_t>(v));
    case Form::kReal: return real_text(std::get<double>(v));
    case Form::kBoolean: return std::get<bool>(v) ? "true" : "false";
    case Form::kReceivers: {
      std::string out;
      for (const std::int64_t n : std::get<std::vector<std::int64_t>>(v)) out += (out.empty() ? "" : ", ") + std::to_string(n);
      return "[" + out + "]";
    }
  }
  return {};
}

// ---- Reading ----------------------------------------------------------------------

std::string node_text(const toml::node& node) {
  if (const auto* s = node.as_string()) return toml_string(s->get());
  if (const auto* i = node.as_integer()) return std::to_string(i->get());
  if (const auto* f = node.as_floating_point()) return real_text(f->get());
  if (const auto* b = node.as_boolean()) return b->get() ? "true" : "false";
  if (const auto* a = node.as_array()) {
    std::string out;
    for (const toml::node& item : *a) out += (out.empty() ? "" : ", ") + node_text(item);
    return "[" + out + "]";
  }
  if (node.is_table()) return "{...}";
  return "a date or time";
}

// A value as a message shows it: escaped, and cut when long.
std::string shown_node(const toml::node& node) {
  return kdv::model::printable_text(node_text(node), kdv::model::kMessageValueLength);
}

std::string type_name(const toml::node& node) {
  if (node.is_string()) return "a text";
  if (node.is_integer()) return "an integer";
  if (node.is_floating_point()) return "a float";
  if (node.is_boolean()) return "a boolean";
  if (node.is_array()) return "an array";
  if (node.is_table()) return "a table";
  return "a date or time";
}

std::string quoted_names(const SettingKey& key) {
  std::string out;
  for (const kdv::model::CodeName& n : key.names(nullptr, {})) out += (out.empty() ? "\"" : ", \"") + n.name + "\"";
  return out;
}

// What a key takes, for messages.
std::string allowed(const SettingKey& key) {
  const std::string range = std::to_string(key.lowest) + ".." + std::to_string(key.highest);
  switch (key.form) {
    case Form::kText: return "a text of at most " + std::to_string(key.highest) + " characters";
    case Form::kCode:
      return key.names(nullptr, {}).empty() ? "a code " + range
                                            : "one of " + quoted_names(key) + " (any case) or a code " + range;
    case Form::kNumber: return "a whole number " + range;
    case Form::kReal: return "a real number (a TOML float or integer)";
    case Form::kBoolean: return "true or false";
    case Form::kReceivers: return "an array of receiver numbers " + range;
  }
  return {};
}

// The keys and tables a table holds, for the message about an unknown key.
std::string holds(Table table) {
  std::string out;
  for (const SettingKey& k : kdv::model::setting_keys())
    if (k.table == table) out += (out.empty() ? "" : ", ") + std::string(k.name);
  switch (table) {
    case Table::kTop: return out + ", receiver, reported, tx1..tx4";
    case Table::kTransmitter: return out + ", reported, ch1..ch16";
    case Table::kChannel: return out + ", reported";
    default: return out;
  }
}

// N for name == prefix + N with N in 1..last (no leading zeros).
int index_of(std::string_view name, std::string_view prefix, int last) {
  if (!name.starts_with(prefix)) return 0;
  name.remove_prefix(prefix.size());
  int n = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), n);
  if (ec != std::errc() || end != name.data() + name.size() || name.front() == '0' || n < 1 || n > last) return 0;
  return n;
}

struct Given {
  const SettingKey* key;
  Place place;
  Value value;
  int line;
};

class Reader {
 public:
  explicit Reader(const ReadOptions& options) : options_(options) {}

  TextRead read(const toml::table& root) {
    table_lines_[""] = 1;
    walk(root, Table::kTop, {}, "");
    TextRead out;
    out.config = apply();
    if (seen_.empty() && findings_.empty())
      error(0, "", "the document gives no key; an empty document is no configuration");
    else
      check(out.config);
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    out.findings = std::move(findings_);
    out.given = std::move(seen_);
    return out;
  }

 private:
  void add(Finding::Severity s, int line, std::string key, std::string text) {
    findings_.push_back({s, line, std::move(key), std::move(text)});
  }
  void error(int line, std::string key, std::string text) {
    add(Finding::Severity::kError, line, std::move(key), std::move(text));
  }
  void warning(int line, std::string key, std::string text) {
    add(options_.strict ? Finding::Severity::kError : Finding::Severity::kWarning, line, std::move(key),
        std::move(text));
  }

  static std::string join(const std::string& path, std::string_view name) {
    return path.empty() ? std::string(name) : path + "." + std::string(name);
  }

  // The entries of one table of the document.
  void walk(const toml::table& table, Table kind, Place place, const std::string& path) {
    for (auto&& [k, node] : table) {
      const std::string name(k.str());
      const std::string dotted = join(path, name);
      const int line = static_cast<int>(k.source().begin.line);
      if (const SettingKey* key = kdv::model::find_setting(kind, name)) {
        value(*key, place, dotted, node);
        continue;
      }
      std::optional<std::pair<Table, Place>> child;
      if (name == "reported" && (kind == Table::kTop || kind == Table::kTransmitter || kind == Table::kChannel))
        child = {{kind == Table::kTop ? Table::kReported
                  : kind == Table::kTransmitter ? Table::kTransmitterReported
                                                : Table::kChannelReported,
                  place}};
      else if (kind == Table::kTop && name == "receiver")
        child = {{Table::kReceiver, place}};
      else if (const int t = kind == Table::kTop ? index_of(name, "tx", 4) : 0)
        child = {{Table::kTransmitter, {t, 0}}};
      else if (const int c = kind == Table::kTransmitter ? index_of(name, "ch", 16) : 0)
        child = {{Table::kChannel, {place.tx, c}}};
      if (!child) {
        error(line, dotted, ": unknown key; " + (path.empty() ? std::string("the top level") : "[" + path + "]") +
                                " holds " + holds(kind));
        continue;
      }
      if (const toml::table* sub = node.as_table()) {
        table_lines_[dotted] = static_cast<int>(node.source().begin.line);
        walk(*sub, child->first, child->second, dotted);
      } else {
        error(static_cast<int>(node.source().begin.line), dotted,
              "= " + shown_node(node) + ": " + type_name(node) + " where a table belongs");
      }
    }
  }

  // One value: converted and kept, or an error naming what the key takes.
  void value(const SettingKey& key, Place place, const std::string& dotted, const toml::node& node) {
    const int line = static_cast<int>(node.source().begin.line);
    seen_.insert(dotted);
    std::string problem;
    const std::optional<Value> v = convert(key, node, problem);
    if (!v) {
      error(line, dotted, "= " + shown_node(node) + ": " + problem);
      return;
    }
    given_.push_back({&key, place, *v, line});
  }

  static std::optional<Value> convert(const SettingKey& key, const toml::node& node, std::string& problem) {
    auto wrong_type = [&] {
      problem = type_name(node) + " where " + allowed(key) + " belongs";
      return std::nullopt;
    };
    auto whole = [&](std::int64_t n) -> std::optional<Value> {
      if (n >= key.lowest && n <= key.highest) return n;
      problem = "outside what the field holds: " + allowed(key);
      return std::nullopt;
    };
    switch (key.form) {
      case Form::kText: {
        const auto* s = node.as_string();
        if (!s) return wrong_type();
        const kdv::model::FromUtf8 bytes = kdv::model::from_utf8(s->get());
        if (bytes.missing) {
          problem = "\"" + kdv::model::utf8_of(*bytes.missing) + "\" has no code page 437 character";
          return std::nullopt;
        }
        if (static_cast<std::int64_t>(bytes.bytes.size()) > key.highest) {
          problem = std::to_string(bytes.bytes.size()) + " characters; " + allowed(key);
          return std::nullopt;
        }
        return bytes.bytes;
      }
      case Form::kCode:
        if (const auto* s = node.as_string()) {
          if (const auto code = kdv::model::code_of(key, s->get())) return *code;
          problem = "no such name; " + allowed(key);
          return std::nullopt;
        }
        if (const auto* i = node.as_integer()) return whole(i->get());
        return wrong_type();
      case Form::kNumber:
        if (const auto* i = node.as_integer()) return whole(i->get());
        return wrong_type();
      case Form::kReal:
        if (const auto* f = node.as_floating_point()) return f->get();
        if (const auto* i = node.as_integer()) return static_cast<double>(i->get());
        return wrong_type();
      case Form::kBoolean:
        if (const auto* b = node.as_boolean()) return b->get();
        return wrong_type();
      case Form::kReceivers: {
        const auto* a = node.as_array();
        if (!a) return wrong_type();
        std::vector<std::int64_t> numbers;
        for (const toml::node& item : *a) {
          const auto* i = item.as_integer();
          if (!i || i->get() < key.lowest || i->get() > key.highest) {
            problem = shown_node(item) + " is no receiver number; " + allowed(key);
            return std::nullopt;
          }
          numbers.push_back(i->get());
        }
        return numbers;
      }
    }
    return std::nullopt;
  }

  // The configuration: a fresh console's, the receiver's keys, then per
  // transmitter the defaults of its type under the data format, then its keys.
  Configuration apply() {
    Configuration c = kdv::model::fresh_configuration();
    auto transmitter_level = [](const Given& g) { return g.place.tx != 0; };
    for (const Given& g : given_)
      if (!transmitter_level(g)) g.key->set(c, g.place, g.value);
    for (int t = 1; t <= 4; ++t) {
      kdv::model::Byte type = 1;
      for (const Given& g : given_)
        if (g.place.tx == t && g.key->field == "TXTYPE") type = static_cast<kdv::model::Byte>(std::get<std::int64_t>(g.value));
      kdv::model::init_transmitter(c.rx, t, type);
    }
    for (const Given& g : given_)
      if (transmitter_level(g)) g.key->set(c, g.place, g.value);
    return c;
  }

  // Warnings on the settings a download sends; with strict, the missing keys.
  void check(const Configuration& c) {
    for (const Given& g : given_) {
      const std::string dotted = kdv::model::dotted_key(*g.key, g.place);
      if (!kdv::model::in_use(c.rx, g.place)) continue;
      const std::string shown = "= " + value_text(*g.key, c, g.place) + ": ";
      if (const auto why = g.key->unoffered(c, g.place)) warning(g.line, dotted, shown + *why);
      if (g.key->carriage == kdv::model::Carriage::kNever) continue;
      if (options_.extra)
        if (const auto why = options_.extra(*g.key, g.value)) {
          if (options_.extra_is_error)
            error(g.line, dotted, shown + *why);
          else
            warning(g.line, dotted, shown + *why);
        }
      if (options_.rounding)
        if (const auto why = options_.rounding(*g.key, g.value)) warning(g.line, dotted, shown + *why);
    }
    if (!options_.strict) return;
    kdv::model::for_each_setting([&](const SettingKey& key, Place place) {
      const std::string dotted = kdv::model::dotted_key(key, place);
      if (seen_.contains(dotted)) return;
      std::string table = kdv::model::table_path(key.table, place);
      while (!table_lines_.contains(table)) {
        const std::size_t dot = table.rfind('.');
        table = dot == std::string::npos ? std::string() : table.substr(0, dot);
      }
      error(table_lines_[table], dotted, ": missing; a freshly started console has " + value_text(key, c, place));
    });
  }

  const ReadOptions& options_;
  std::vector<Given> given_;
  std::set<std::string> seen_;  // dotted keys the document gives, good or not
  std::vector<Finding> findings_;
  std::map<std::string, int> table_lines_;  // dotted path of a table -> its line
};

}  // namespace

std::string describe(const Finding& finding, std::string_view source) {
  std::string out(source);
  if (finding.line > 0) out += ":" + std::to_string(finding.line);
  out += finding.severity == Finding::Severity::kError ? ": error: " : ": warning: ";
  return out + kdv::model::printable_text(finding.key, kdv::model::kMessageValueLength) +
         (finding.text.starts_with('=') ? " " : "") + finding.text;
}

std::string value_text(const SettingKey& key, const Configuration& config, Place place) {
  return token(key, key.get(config, place), config.rx, place);
}

std::string write_text(const Configuration& config, std::vector<Finding>* notes) {
  std::string out =
      "# KDV 578 configuration. The [reported] tables hold what the receiver\n"
      "# reported; nothing sends them.\n";
  int line = 2;
  std::string table = "-";
  kdv::model::for_each_setting([&](const SettingKey& key, Place place) {
    const std::string path = kdv::model::table_path(key.table, place);
    if (path != table) {
      table = path;
      if (!path.empty()) {
        out += "\n[" + path + "]\n";
        line += 2;
      }
    }
    const Value v = key.get(config, place);
    out += std::string(key.name) + " = " + token(key, v, config.rx, place) + "\n";
    ++line;
    if (notes && key.form == Form::kReal && std::isnan(std::get<double>(v)) &&
        std::bit_cast<std::uint64_t>(std::get<double>(v)) != kPlainNan) {
      char bits[17];
      const auto end = std::to_chars(bits, bits + 16, std::bit_cast<std::uint64_t>(std::get<double>(v)), 16).ptr;
      notes->push_back({Finding::Severity::kWarning, line, kdv::model::dotted_key(key, place),
                        "= nan: the stored NaN 0x" + std::string(bits, end) +
                            " reads back as 0x7ff8000000000000; its sign and payload are not kept"});
    }
  });
  return out;
}

bool TextRead::ok() const {
  return std::none_of(findings.begin(), findings.end(),
                      [](const Finding& f) { return f.severity == Finding::Severity::kError; });
}

namespace {

// A document refused whole, with its one error.
TextRead refused(Finding error) {
  TextRead out;
  out.config = kdv::model::fresh_configuration();
  out.findings.push_back(std::move(error));
  return out;
}

}  // namespace

TextRead read_text(std::string_view document, const ReadOptions& options) {
  if (std::optional<Finding> beyond = beyond_limits(document)) return refused(std::move(*beyond));
  try {
    const toml::table root = toml::parse(document);
    return Reader(options).read(root);
  } catch (const toml::parse_error& e) {
    return refused({Finding::Severity::kError, static_cast<int>(e.source().begin.line), "",
                    "TOML syntax, column " + std::to_string(e.source().begin.column) + ": " +
                        std::string(e.description())});
  }
}

}  // namespace kdv::files
