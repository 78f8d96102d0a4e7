#include "app/console_journal.h"

#include "ui/wind.h"

namespace project1 {

disk::JournalWatcher console_journal(std::optional<std::string> path) {
  return {std::move(path), "kdv578", KDV578_VERSION,
          [](const std::string&) { wind::WRTERROR(" Audit journal not writable"); }};
}

}  // namespace project1
