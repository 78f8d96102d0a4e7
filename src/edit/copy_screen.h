// The copy screen (menu screen 7): source and destination transmitter and
// channel chosen in boxes, then the copy (transfer/copy.h), sent at once
// for a single channel while online, or offered for download.
#pragma once

#include "model/session.h"

namespace kdv::edit {

// The copy screen's menu loop (main menu).
void copy_menu(kdv::model::Session& session);

}  // namespace kdv::edit
