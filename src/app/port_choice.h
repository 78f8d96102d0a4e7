// Port discovery, the port choice window and the online/offline window.
#pragma once

#include "model/session.h"
#include "model/text.h"

namespace project1 {

// Empties all 40 entries of the session's port list.
void CLEARPORT(globals::Session& session);
// Rebuilds the session's COM_PORT_NAME and NO_OF_PORTS, and
// SELECTED_PORT_NAME, from the system's port list (whole names, at most 40
// of them).
void COMPORTSCAN(globals::Session& session);
// The port choice window (main menu command): rescans, lets the user pick a
// port and opens it.
void COMPORT1(globals::Session& session);
// The online/offline window (main menu command).
void ONLINPROG(globals::Session& session);

// The notice that no serial port exists; waits for Enter or Escape.
void SAY_NO_PORT(const globals::Session& session);

// The main menu's value text for the port: four blanks and the port name.
Text<16> PORT_CELL_TEXT(const globals::Session& session);

}  // namespace project1
