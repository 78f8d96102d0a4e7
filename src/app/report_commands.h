// The report command of the main menu: the report menu, the choice of
// destination and the boxes that say how the report went.
#pragma once

#include <string_view>

#include "model/text.h"

namespace project1 {

// The report menu (menu screen 6).
void HCOPY();
// The destination choice: sets hardc::LPT and returns the (possibly new)
// file name.
Text<255> PPORT(const Text<255>& FILE1);
// Writes the report of receiver hardc::RX to the printer or file NAME and
// says how it went in a message box.
void OUTPT(std::string_view NAME);

}  // namespace project1
