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

namespace kdv::edit {

// The receiver settings menu loop (main menu).
void CONFIGURE_RX(kdv::model::Session& session);

// Editors of the receiver settings; r is always RECNO.
void DFAULT(kdv::model::Session& session);
void TAG(kdv::model::Session& session);
void DATAFMT(kdv::model::Session& session);
void DFSCALE(kdv::model::Session& session, int r, kdv::model::byte type);
void NOFTX(kdv::model::Session& session);
void TEMPUNITS(kdv::model::Session& session);
void HERTZ(kdv::model::Session& session);
void CHECKSUM_MODE(kdv::model::Session& session);
void CHECKSUM_BASE(kdv::model::Session& session, int r);
void ADDRESS(kdv::model::Session& session, int r, int link);
void BAUDRATE(kdv::model::Session& session, int r);
void SBITS(kdv::model::Session& session, int r);
void DATABITS(kdv::model::Session& session, int r);
void PARITY(kdv::model::Session& session, int r);

// The whole configuration back to the defaults of a transmitter type:
// on the receiver and read back while online, in memory (with a notice)
// while offline. The outcome of the reset, the upload or the confirm.
kdv::link::Outcome RESET_RX(kdv::model::Session& session, int r, kdv::model::byte type);

// Shared by the settings screens and editors.
// A settings menu on `screen`: the caller's highlight is kept aside and the
// menu starts on cell (x, y); until Escape, fill the value column
// (`values`), redraw the background, run the menu and `act` on the code.
void MENULOOP(kdv::model::Session& session, kdv::model::byte screen, kdv::model::byte x, kdv::model::byte y,
              const std::function<void()>& values,
              const std::function<void(kdv::model::byte)>& act);
// Three spaces (or `spaces`) and the title of the highlighted menu cell.
std::string CELLTITLE(const kdv::model::Session& session, int spaces = 3);
// Sends one change while online: the working text, the
// command, the working text cleared. False when the receiver did not take
// it (the error has been shown); the caller then puts the old value back.
bool SENDCHANGE(const kdv::model::Session& session, const std::function<kdv::link::Outcome()>& command);
// Blanks the working text on the bottom line.
void CLEARWORKING();
// A choice list of `items` under `title` at column 30, row y, with the
// item at `current` highlighted (the first when `current` is no item).
// Gives the chosen position, or nothing after Escape.
std::optional<int> CHOOSE(const kdv::model::Session& session, const std::string& title, const std::vector<std::string>& items, int y,
                          int current);

}  // namespace kdv::edit
