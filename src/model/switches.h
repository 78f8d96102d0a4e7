// What the receiver's switch banks mean, in the plain words the diagnostics
// screen and kdv578ctl diag show.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace kdv::model {

// HCA bank SW301: the serial settings of levers 1..4, the link B address
// rule of lever 5, the Modbus mode of lever 7.
std::vector<std::string> hca_switch_meaning(Byte bank);
// IP bank SW101: the Modbus address of levers 1..5, the hand-held and
// serial change locks of levers 6 and 7, lever 8's factory setting (the
// last line, a warning when the lever is set).
std::vector<std::string> ip_switch_meaning(Byte bank);
// Whether IP lever 8, for factory use only, is set.
bool factory_lever_set(Byte ip_bank);

}  // namespace kdv::model
