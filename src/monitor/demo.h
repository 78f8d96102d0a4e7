// The live monitor: the single-channel monitor screen with its live panel,
// and the all-channels list of one transmitter. Both live loops only read;
// they end when the link gives up an exchange (Escape or no reply).
#pragma once

#include "model/session.h"

namespace demo {

// Single-channel monitor screen (menu screen 4).
void MONINPUT(globals::Session& session);
// Live loop on the current channel, drawing the panel on the right.
void MONIP(globals::Session& session);
// All-channels monitor screen (menu screen 3).
void TEXTDEMO(globals::Session& session);
// Live loop on all channels of the current transmitter.
void MONALL(globals::Session& session);

}  // namespace demo
