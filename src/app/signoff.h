// The signoff command of the main menu and its warning box.
#pragma once

#include "model/session.h"

namespace kdv::app {

// The signoff warning box; false when it is left with Escape.
bool signoff_warning(const kdv::model::Session& session);
// The signoff menu command: the box, then the signoff (confirm, then
// signoff) unless the box was left with Escape; only a failed confirm is
// shown.
void signoff(kdv::model::Session& session);

}  // namespace kdv::app
