#include "link/audit_watch.h"

#include <set>
#include <utility>

#include "link/comms.h"
#include "model/setting_keys.h"

namespace disk {

namespace {

bool text_key(const std::string& key) {
  static const std::set<std::string> texts = [] {
    std::set<std::string> keys;
    globals::for_each_setting([&keys](const globals::SettingKey& k, globals::Place at) {
      if (k.form == globals::Form::kText) keys.insert(globals::dotted_key(k, at));
    });
    return keys;
  }();
  return texts.contains(key);
}

// A value as the journal holds it: a number where the text format writes
// one, whole when it has no fraction or exponent.
nlohmann::ordered_json value_of(const std::string& key, const std::string& text) {
  double x = 0;
  if (text_key(key) || !comms::DECIMAL(text, x)) return text;
  if (text.find_first_of(".eE") == std::string::npos) return static_cast<std::int64_t>(x);
  return x;
}

}  // namespace

JournalWatcher::JournalWatcher(std::optional<std::string> path, std::string program, std::string version,
                               AuditJournal::Warn warn)
    : journal_(std::move(path), std::move(program), std::move(version), std::move(warn)) {}

void JournalWatcher::sent(const comms::SentChange& change) { journal_.append(audit_entry(change)); }

AuditEntry audit_entry(const comms::SentChange& change) {
  AuditEntry e;
  e.port = change.port;
  e.receiver = change.receiver;
  e.operation = change.operation;
  for (const comms::SentSetting& s : change.settings) {
    std::optional<nlohmann::ordered_json> old;
    if (s.old) old = value_of(s.key, *s.old);
    e.change(s.key, old, value_of(s.key, s.value));
  }
  e.outcome = change.outcome;
  return e;
}

}  // namespace disk
