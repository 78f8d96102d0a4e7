// The opening question and the main menu loop, the program's top level.
#pragma once

namespace project1 {

// Fills the main menu's value column from the globals.
void OPENINGVALS();
// The opening question (upload now, or the notice that no port exists), then
// the main menu for as long as the program runs. Does not return.
[[noreturn]] void OPENING();

}  // namespace project1
