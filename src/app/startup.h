// The program's command-line options, its start-up sequence, the opening
// question and the main menu loop.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/session.h"
#include "monitor/live_monitor.h"

namespace kdv::app {

// The option checker: short options are letters, a letter followed by ':'
// takes an argument; long options are names, a name ending in ':' takes
// an argument ("--name=value" or the next parameter). Returns the first
// error text, or an empty text when every option is known and well-formed.
[[nodiscard]] std::string option_error(const std::vector<std::string>& arguments, std::string_view short_options,
                                       const std::vector<std::string>& long_options);

// Checks the command line (the arguments after the program name) against
// "-h" and "--help" and prints on out the error as an error report, or else
// the usage line naming own_path when help is asked for. Options never stop
// the program; start-up follows in every case.
void print_option_messages(const std::vector<std::string>& arguments, std::string_view own_path, std::ostream& out);

// The program's own file name as the system reports it (its full path), or
// argv0 when the system cannot tell.
[[nodiscard]] std::string own_program_path(std::string_view argv0);

// Start-up from the full-screen window on, in its fixed order, with the
// console installed as the link's host; ends in run_opening and does not return.
[[noreturn]] void start_up(kdv::model::Session& session);

// The editors the monitor screens' cells run: those of the settings screens.
[[nodiscard]] kdv::monitor::ChannelEditors monitor_editors();

// Fills the main menu's value column from the session and the globals.
void fill_main_menu_values(kdv::model::Session& session);
// The opening question (upload now, or the notice that no port exists), then
// the main menu for as long as the program runs. Does not return: the
// program ends inside the menu routine (Alt-X, then "Y").
[[noreturn]] void run_opening(kdv::model::Session& session);

}  // namespace kdv::app
