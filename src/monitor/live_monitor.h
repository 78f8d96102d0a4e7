// The live monitor: the single-channel monitor screen with its live panel,
// and the all-channels list of one transmitter. Both live loops only read;
// they end when the link gives up an exchange (Escape or no reply).
#pragma once

#include "model/session.h"

namespace kdv::monitor {

// Single-channel monitor screen (menu screen 4).
void channel_monitor_menu(kdv::model::Session& session);
// Live loop on the current channel, drawing the panel on the right.
void live_channel_loop(kdv::model::Session& session);
// All-channels monitor screen (menu screen 3).
void all_channels_monitor_menu(kdv::model::Session& session);
// Live loop on all channels of the current transmitter.
void live_all_channels_loop(kdv::model::Session& session);

}  // namespace kdv::monitor
