#include "app/console_journal.h"

#include "model/globals.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace project1 {

disk::JournalWatcher console_journal(const globals::Session& session, std::optional<std::string> path) {
  return {std::move(path), "kdv578", KDV578_VERSION,
          [&session](const std::string&) {
            // Left standing like a link error; the work goes on in the usual colours.
            wind::WRTERROR(session, " Audit journal not writable");
            crt::TextBackground(session.BACK);
          }};
}

}  // namespace project1
