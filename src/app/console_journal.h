// The console's audit journal: every change the link sends to a receiver
// becomes a journal line; a journal that cannot be written shows
// " Audit journal not writable" once, where link errors show, and the work
// goes on.
#pragma once

#include <optional>
#include <string>

#include "link/audit_watch.h"
#include "model/session.h"

namespace kdv::app {

// A journal at path (nothing: none) that warns on the screen.
kdv::link::JournalWatcher console_journal(const kdv::model::Session& session, std::optional<std::string> path);

}  // namespace kdv::app
