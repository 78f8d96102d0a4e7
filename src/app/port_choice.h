// Port discovery, the port choice window and the online/offline window.
#pragma once

#include "model/session.h"
#include "model/text.h"

namespace kdv::app {

// Empties all 40 entries of the session's port list.
void clear_port_list(kdv::model::Session& session);
// Rebuilds the session's port_names and port_count, and
// selected_port, from the system's port list (whole names, at most 40
// of them).
void scan_ports(kdv::model::Session& session);
// The port choice window (main menu command): rescans, lets the user pick a
// port and opens it. Escape, or no port at all, keeps the port in use.
void choose_port(kdv::model::Session& session);
// The online/offline window (main menu command).
void choose_online(kdv::model::Session& session);

// The notice that no serial port exists; waits for Enter or Escape.
void say_no_port(const kdv::model::Session& session);

// The main menu's value text for the port: four blanks and the port name.
kdv::model::Text<16> port_cell_text(const kdv::model::Session& session);

}  // namespace kdv::app
