#include "app/console_journal.h"

#include "model/records.h"
#include "ui/console.h"
#include "ui/popups.h"

namespace kdv::app {

kdv::link::JournalWatcher console_journal(const kdv::model::Session& session, std::optional<std::string> path) {
  return {std::move(path), "kdv578", KDV578_VERSION,
          [&session](const std::string&) {
            // Left standing like a link error; the work goes on in the usual colours.
            kdv::ui::show_link_error(session, " Audit journal not writable");
            kdv::ui::text_background(session.background);
          }};
}

}  // namespace kdv::app
