// Texts of record values that the screens, the report and the headless tools
// share: fixed-decimal and right-aligned numbers, input type names and
// temperature units.
#pragma once

#include <string>

#include "model/records.h"

namespace kdv::model {

// value with the given decimals, right-aligned to at least width characters
// (independent of the locale). Every fixed-decimal text of the screens and
// the report is made here: the decimal value the double holds exactly is
// rounded, exact halves away from zero (2.5 gives "3", 0.125 to 2 decimals
// "0.13", while 1.005 is held just below 1.005 and gives "1.00"), and a zero
// never shows a minus sign.
std::string fixed_decimal(double value, int width, int decimals);
// value right-aligned to at least width characters.
std::string right_aligned(int value, int width);

// Name of input type `it` on a transmitter of type `tt` (1 = 571), or
// "Invalid".
std::string input_type_name(Byte tt, Byte it);

// The temperature units as the value columns show them ("error" for a code
// outside 1..3).
std::string units_text(Byte units);

}  // namespace kdv::model
