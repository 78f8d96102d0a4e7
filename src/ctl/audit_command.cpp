#include "ctl/audit_command.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "ctl/file_commands.h"
#include "ctl/output.h"
#include "model/printable_text.h"

namespace kdv::ctl {

namespace {

using Json = nlohmann::ordered_json;

// A field as text: strings as they stand, anything else as JSON.
std::string text(const Json& entry, const char* field) {
  if (!entry.contains(field)) return "";
  const Json& v = entry[field];
  return v.is_string() ? v.get<std::string>() : v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A field as a terminal may show it.
std::string shown(const Json& entry, const char* field) { return kdv::model::printable_text(text(entry, field)); }

bool selected(const Json& entry, const AuditOptions& o) {
  return text(entry, "time") >= o.since && (o.port.empty() || text(entry, "port") == o.port);
}

}  // namespace

bool valid_since(const std::string& since) {
  // The digits and separators of 2026-12-08T13:05:09.123, cut after any
  // field, with or without a Z.
  static const std::string kShape = "dddd-dd-ddTdd:dd:dd.ddd";
  const std::string_view t = std::string_view(since).substr(0, since.size() - (since.ends_with('Z') ? 1 : 0));
  if (t.size() < 10 || t.size() > kShape.size()) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(c)) : c != kShape[i]) return false;
  }
  return t.size() == 10 || t.size() == 13 || t.size() == 16 || t.size() == 19 || t.size() >= 21;
}

std::string audit_listing(const kdv::link::JournalRead& journal, const AuditOptions& o) {
  const std::string since = o.since.ends_with('Z') ? o.since.substr(0, o.since.size() - 1) : o.since;
  AuditOptions chosen = o;
  chosen.since = since;
  if (o.json) {
    Json all = Json::array();
    for (const auto& [line, entry] : journal.entries)
      if (selected(entry, chosen)) all.push_back(entry);
    return all.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  }
  std::string out;
  for (const auto& [line, entry] : journal.entries) {
    if (!selected(entry, chosen)) continue;
    out += shown(entry, "time") + "  " + shown(entry, "user") + "@" + shown(entry, "host") + "  " +
           shown(entry, "program") + "  " + shown(entry, "port") + "  receiver " + shown(entry, "receiver") + "  " +
           shown(entry, "operation") + "  " + shown(entry, "outcome");
    if (entry.contains("text")) out += ": " + shown(entry, "text");
    if (entry.contains("code")) out += " (code " + shown(entry, "code") + ")";
    if (entry.contains("confirmed")) out += entry["confirmed"] == true ? ", confirmed" : ", unconfirmed";
    out += '\n';
    if (!entry.contains("keys") || !entry["keys"].is_object()) continue;
    const Json read_back = entry.contains("read_back") && entry["read_back"].is_object() ? entry["read_back"] : Json{};
    for (const auto& [key, change] : entry["keys"].items()) {
      out += "    " + kdv::model::printable_text(key) + ": ";
      if (change.is_object() && change.contains("old")) out += shown(change, "old") + " -> ";
      out += change.is_object() ? shown(change, "new")
                                : kdv::model::printable_text(change.dump(-1, ' ', false, Json::error_handler_t::replace));
      if (read_back.contains(key)) out += " (read back: " + shown(read_back, key.c_str()) + ")";
      out += '\n';
    }
  }
  return out;
}

Exit audit_command(const AuditOptions& o) {
  if (!o.since.empty() && !valid_since(o.since))
    throw Failure{Exit::kUsage, "kdv578ctl: --since takes a UTC time as 2026-12-08, 2026-12-08T13:05 or "
                                "2026-12-08T13:05:09Z, not " + o.since};
  const std::optional<std::string> path = kdv::link::audit_path();
  if (!path) throw Failure{Exit::kUsage, "kdv578ctl: no audit journal: KDV578_AUDIT is off, or no home is set"};
  // No journal yet (nothing was ever written to a receiver) lists as an
  // empty one; a journal that is there but cannot be read still fails.
  std::error_code missing;
  const bool none_yet = !std::filesystem::exists(*path, missing) && !missing;
  const kdv::link::JournalRead journal =
      none_yet ? kdv::link::JournalRead{} : kdv::link::read_journal(read_document(*path));
  for (const std::string& damaged : journal.damaged) message("kdv578ctl: " + *path + ": " + damaged + "; skipped");
  write_output("-", audit_listing(journal, o));
  return Exit::kDone;
}

}  // namespace kdv::ctl
