// The receiver settings screen and its editors: each changes the receiver
// record at once and, while online, sends the change with one command,
// putting the old value back when the receiver refuses it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/outcome.h"
#include "model/records.h"
#include "model/session.h"

namespace kdv::edit {

// The receiver settings menu loop (main menu).
void receiver_settings_menu(kdv::model::Session& session);

// Editors of the receiver settings; r is always receiver_number.
void edit_defaults(kdv::model::Session& session);
void edit_tag(kdv::model::Session& session);
void edit_data_format(kdv::model::Session& session);
void reset_scalings(kdv::model::Session& session, int r, kdv::model::Byte type);
void edit_transmitter_count(kdv::model::Session& session);
void edit_temperature_units(kdv::model::Session& session);
void edit_line_rejection(kdv::model::Session& session);
void edit_checksum_mode(kdv::model::Session& session);
void edit_checksum_base(kdv::model::Session& session, int r);
void edit_address(kdv::model::Session& session, int r, int link);
void edit_baud_rate(kdv::model::Session& session, int r);
void edit_stop_bits(kdv::model::Session& session, int r);
void edit_data_bits(kdv::model::Session& session, int r);
void edit_parity(kdv::model::Session& session, int r);

// The whole configuration back to the defaults of a transmitter type:
// on the receiver and read back while online, in memory (with a notice)
// while offline. The outcome of the reset, the upload or the confirm.
kdv::link::Outcome reset_receiver(kdv::model::Session& session, int r, kdv::model::Byte type);

// Shared by the settings screens and editors.
// A settings menu on `screen`: the caller's highlight is kept aside and the
// menu starts on cell (x, y); until Escape, fill the value column
// (`values`), redraw the background, run the menu and `act` on the code.
void menu_loop(kdv::model::Session& session, kdv::model::Byte screen, kdv::model::Byte x, kdv::model::Byte y,
              const std::function<void()>& values,
              const std::function<void(kdv::model::Byte)>& act);
// Three spaces (or `spaces`) and the title of the highlighted menu cell.
std::string cell_title(const kdv::model::Session& session, int spaces = 3);
// Sends one change while online: the working text, the
// command, the working text cleared. False when the receiver did not take
// it (the error has been shown); the caller then puts the old value back.
bool send_change(const kdv::model::Session& session, const std::function<kdv::link::Outcome()>& command);
// Blanks the working text on the bottom line.
void clear_working();
// A choice list of `items` under `title` at column 30, row y, with the
// item at `current` highlighted (the first when `current` is no item).
// Gives the chosen position, or nothing after Escape.
std::optional<int> choose_from_list(const kdv::model::Session& session, const std::string& title, const std::vector<std::string>& items, int y,
                          int current);

}  // namespace kdv::edit
