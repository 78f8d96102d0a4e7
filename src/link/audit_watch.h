// The audit journal listening to the link: each command that changed a
// receiver becomes one journal line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/audit.h"
#include "link/sent_changes.h"

namespace kdv::link {

// What reading a setting back after its change found.
struct Confirmation {
  std::string key;  // the setting's dotted key
  bool confirmed = false;
  // The value read, as the journal holds values, where it is not the one sent.
  std::optional<nlohmann::ordered_json> read_back;
};

class JournalWatcher final : public kdv::link::ChangeWatcher {
 public:
  // path: the journal, or nothing for none; warn hears the first failure.
  JournalWatcher(std::optional<std::string> path, std::string program, std::string version,
                 AuditJournal::Warn warn);
  void sent(const kdv::link::SentChange& change) override;

  // The lines of the changes sent from now on wait for release, so that a
  // read-back can still add to them.
  void hold();
  // Writes the lines held, in order, and holds no more; the lines that
  // carried the confirmation's key gain what it found.
  void release(const std::optional<Confirmation>& confirmation);

 private:
  AuditJournal journal_;
  bool holding_ = false;
  std::vector<AuditEntry> held_;
};

// The entry a sent change makes; numbers the text format writes as numbers
// go in as JSON numbers.
AuditEntry audit_entry(const kdv::link::SentChange& change);

}  // namespace kdv::link
