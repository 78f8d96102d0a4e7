// The report command of the main menu: the report menu, the choice of
// destination and the boxes that say how the report went.
#pragma once

#include <string_view>

#include "model/session.h"
#include "model/text.h"

namespace kdv::app {

// The report menu (menu screen 6).
void report_menu(kdv::model::Session& session);
// The destination choice: sets the session's report_destination and returns the (possibly
// new) file name.
kdv::model::Text<255> choose_destination(kdv::model::Session& session, const kdv::model::Text<255>& file);
// Writes the report of the session's report receiver to the printer or file
// working_directory and says how it went in a message box.
void output_report(const kdv::model::Session& session, std::string_view destination);

}  // namespace kdv::app
