// The live monitor: the single-channel monitor screen with its live panel,
// and the all-channels list of one transmitter. Both live loops only read;
// they end when the link gives up an exchange (Escape or no reply).
#pragma once

#include "model/session.h"

namespace kdv::monitor {

// Single-channel monitor screen (menu screen 4).
void MONINPUT(kdv::model::Session& session);
// Live loop on the current channel, drawing the panel on the right.
void MONIP(kdv::model::Session& session);
// All-channels monitor screen (menu screen 3).
void TEXTDEMO(kdv::model::Session& session);
// Live loop on all channels of the current transmitter.
void MONALL(kdv::model::Session& session);

}  // namespace kdv::monitor
