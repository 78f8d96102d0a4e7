// The live monitor: the single-channel monitor screen with its live panel,
// and the all-channels list of one transmitter. Both live loops only read;
// they end when the link gives up an exchange (Escape or no reply).
#pragma once

#include <functional>

#include "model/session.h"

namespace kdv::monitor {

// What the monitor screens' editing cells do: the choices of transmitter
// and channel and the editors of the channel's settings, as the console's
// settings screens have them.
struct ChannelEditors {
  using Action = std::function<void(kdv::model::Session&)>;
  Action choose_transmitter, choose_channel, edit_temperature_units, edit_input_type, edit_drive,
      edit_high_alarm, edit_low_alarm, edit_input_zero, edit_output_zero, edit_gain;
};

// Single-channel monitor screen (menu screen 4).
void channel_monitor_menu(kdv::model::Session& session, const ChannelEditors& editors);
// Live loop on the current channel, drawing the panel on the right.
void live_channel_loop(kdv::model::Session& session);
// All-channels monitor screen (menu screen 3); its transmitter cell runs
// choose_transmitter.
void all_channels_monitor_menu(kdv::model::Session& session, const ChannelEditors::Action& choose_transmitter);
// Live loop on all channels of the current transmitter.
void live_all_channels_loop(kdv::model::Session& session);

}  // namespace kdv::monitor
