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
void CONFIGURE_CH(kdv::model::Session& session);

// Choice of the current transmitter and channel (nothing is sent); false
// after Escape.
bool TRANNO(kdv::model::Session& session);
bool CHANO(kdv::model::Session& session);

void TX_TYPE(kdv::model::Session& session);
void INPUTYPE(kdv::model::Session& session);
void OCDRIVE(kdv::model::Session& session);
void HALARM(kdv::model::Session& session);
void LALARM(kdv::model::Session& session);
void IPZERO(kdv::model::Session& session);
// `acceptable`, when given, refuses an entry (the scaling calculator's check
// of the gain that follows from it).
void OPZERO(kdv::model::Session& session, const std::function<bool(double)>& acceptable = {});
void GAIN(kdv::model::Session& session);

// The lines of a numbered choice list, 1..n: each number right-aligned in 10
// characters (the transmitter and channel lists, the copy screen's boxes).
std::vector<std::string> NUMBERS(int n);

}  // namespace kdv::edit
