// The receiver settings screen and its editors: each changes the receiver
// record at once and, while online, sends the change with one command,
// putting the old value back when the receiver refuses it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/comms.h"
#include "model/globals.h"
#include "model/session.h"

namespace rxconf {

// The receiver settings menu loop (main menu).
void CONFIGURE_RX(globals::Session& session);

// Editors of the receiver settings; r is always RECNO.
void DFAULT(globals::Session& session);
void TAG(globals::Session& session);
void DATAFMT(globals::Session& session);
void DFSCALE(globals::Session& session, int r, globals::byte type);
void NOFTX(globals::Session& session);
void TEMPUNITS(globals::Session& session);
void HERTZ(globals::Session& session);
void CHECKSUM_MODE(globals::Session& session);
void CHECKSUM_BASE(globals::Session& session, int r);
void ADDRESS(globals::Session& session, int r, int link);
void BAUDRATE(globals::Session& session, int r);
void SBITS(globals::Session& session, int r);
void DATABITS(globals::Session& session, int r);
void PARITY(globals::Session& session, int r);

// The whole configuration back to the defaults of a transmitter type:
// on the receiver and read back while online, in memory (with a notice)
// while offline. The outcome of the reset, the upload or the confirm.
comms::Outcome RESET_RX(globals::Session& session, int r, globals::byte type);

// Shared by the settings screens and editors.
// A settings menu on `screen`: the caller's highlight is kept aside and the
// menu starts on cell (x, y); until Escape, fill the value column
// (`values`), redraw the background, run the menu and `act` on the code.
void MENULOOP(globals::Session& session, globals::byte screen, globals::byte x, globals::byte y,
              const std::function<void()>& values,
              const std::function<void(globals::byte)>& act);
// Three spaces (or `spaces`) and the title of the highlighted menu cell.
std::string CELLTITLE(const globals::Session& session, int spaces = 3);
// Sends one change while online: the working text, the
// command, the working text cleared. False when the receiver did not take
// it (the error has been shown); the caller then puts the old value back.
bool SENDCHANGE(const globals::Session& session, const std::function<comms::Outcome()>& command);
// Blanks the working text on the bottom line.
void CLEARWORKING();
// A choice list of `items` under `title` at column 30, row y, with the
// item at `current` highlighted (the first when `current` is no item).
// Gives the chosen position, or nothing after Escape.
std::optional<int> CHOOSE(const globals::Session& session, const std::string& title, const std::vector<std::string>& items, int y,
                          int current);

}  // namespace rxconf
