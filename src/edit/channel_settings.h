// The channel settings screen: choice of transmitter and channel, and the
// editors of the transmitter type and of the channel's input type, drive,
// alarm thresholds and scaling. Online, each change is sent at once and
// taken back when the receiver refuses it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/session.h"

namespace kdv::edit {

// The channel settings menu loop (main menu).
void channel_settings_menu(kdv::model::Session& session);

// Choice of the current transmitter and channel (nothing is sent); false
// after Escape.
bool choose_transmitter(kdv::model::Session& session);
bool choose_channel(kdv::model::Session& session);

void edit_transmitter_type(kdv::model::Session& session);
void edit_input_type(kdv::model::Session& session);
void edit_drive(kdv::model::Session& session);
void edit_high_alarm(kdv::model::Session& session);
void edit_low_alarm(kdv::model::Session& session);
void edit_input_zero(kdv::model::Session& session);
// `acceptable`, when given, refuses an entry (the scaling calculator's check
// of the gain that follows from it).
void edit_output_zero(kdv::model::Session& session, const std::function<bool(double)>& acceptable = {});
void edit_gain(kdv::model::Session& session);

// The lines of a numbered choice list, 1..n: each number right-aligned in 10
// characters (the transmitter and channel lists, the copy screen's boxes).
std::vector<std::string> numbered_lines(int n);

}  // namespace kdv::edit
