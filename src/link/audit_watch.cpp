#include "link/audit_watch.h"

#include <set>
#include <utility>

#include "link/command_set.h"
#include "model/setting_keys.h"

namespace kdv::link {

namespace {

bool text_key(const std::string& key) {
  static const std::set<std::string> kTexts = [] {
    std::set<std::string> keys;
    kdv::model::for_each_setting([&keys](const kdv::model::SettingKey& k, kdv::model::Place at) {
      if (k.form == kdv::model::Form::kText) keys.insert(kdv::model::dotted_key(k, at));
    });
    return keys;
  }();
  return kTexts.contains(key);
}

// A value as the journal holds it: a number where the text format writes
// one, whole when it has no fraction or exponent.
nlohmann::ordered_json value_of(const std::string& key, const std::string& text) {
  double x = 0;
  if (text_key(key) || !kdv::link::parse_decimal(text, x)) return text;
  if (text.find_first_of(".eE") == std::string::npos) return static_cast<std::int64_t>(x);
  return x;
}

}  // namespace

JournalWatcher::JournalWatcher(std::optional<std::string> path, std::string program, std::string version,
                               AuditJournal::Warn warn)
    : journal_(std::move(path), std::move(program), std::move(version), std::move(warn)) {}

void JournalWatcher::sent(const kdv::link::SentChange& change) {
  if (holding_)
    held_.push_back(audit_entry(change));
  else
    journal_.append(audit_entry(change));
}

void JournalWatcher::hold() { holding_ = true; }

void JournalWatcher::release(const std::optional<Confirmation>& confirmation) {
  holding_ = false;
  for (AuditEntry& e : held_) {
    if (confirmation && e.keys.contains(confirmation->key)) {
      e.confirmed = confirmation->confirmed;
      if (confirmation->read_back) e.read_back = nlohmann::ordered_json{{confirmation->key, *confirmation->read_back}};
    }
    journal_.append(e);
  }
  held_.clear();
}

AuditEntry audit_entry(const kdv::link::SentChange& change) {
  AuditEntry e;
  e.port = change.port;
  e.receiver = change.receiver;
  e.operation = change.operation;
  for (const kdv::link::SentSetting& s : change.settings) {
    std::optional<nlohmann::ordered_json> old;
    if (s.old) old = value_of(s.key, *s.old);
    e.change(s.key, old, value_of(s.key, s.value));
  }
  e.outcome = change.outcome;
  return e;
}

}  // namespace kdv::link
