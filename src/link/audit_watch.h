// The audit journal listening to the link: each command that changed a
// receiver becomes one journal line.
#pragma once

#include <optional>
#include <string>

#include "link/audit.h"
#include "link/sent_changes.h"

namespace kdv::link {

class JournalWatcher final : public kdv::link::ChangeWatcher {
 public:
  // path: the journal, or nothing for none; warn hears the first failure.
  JournalWatcher(std::optional<std::string> path, std::string program, std::string version,
                 AuditJournal::Warn warn);
  void sent(const kdv::link::SentChange& change) override;

 private:
  AuditJournal journal_;
};

// The entry a sent change makes; numbers the text format writes as numbers
// go in as JSON numbers.
AuditEntry audit_entry(const kdv::link::SentChange& change);

}  // namespace kdv::link
