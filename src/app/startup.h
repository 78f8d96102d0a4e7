// The program's entry object, its start-up sequence, the opening question
// and the main menu loop.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/session.h"

namespace kdv::app {

// The application object: checks the command line once, prints the usage
// line or the option error on standard output, and ends. Options never stop
// the program; start-up follows in every case.
class Application {
 public:
  // params: the arguments after the program name; exe_name: the program's
  // own file name as the system reports it; out: standard output.
  Application(std::vector<std::string> params, std::string exe_name, std::ostream& out);

  std::string title;
  bool stop_on_exception = false;

  // The run loop: do_run until the object is terminated. An exception
  // escaping do_run is shown as an error report and, with stop_on_exception,
  // ends the loop.
  void run();
  void do_run();
  void write_help();
  void stop() { terminated_ = true; }
  bool stopped() const { return terminated_; }

  // The option checker: short options are letters, a letter followed by ':'
  // takes an argument; long options are names, a name ending in ':' takes
  // an argument ("--name=value" or the next parameter). Returns the first
  // error text, or an empty text when every option is known and well-formed.
  std::string check_options(std::string_view short_options,
                           const std::vector<std::string>& long_options) const;
  bool has_option(char short_name, std::string_view long_name) const;
  void show_exception(std::string_view message);
  const std::string& exe_name() const { return exe_name_; }

 private:
  std::vector<std::string> params_;
  std::string exe_name_;
  std::ostream& out_;
  bool terminated_ = false;
};

// Start-up step 1: the application object, titled "Ex11", over the command
// line kept in the session, printing on standard output. argv0 names the
// program when the system cannot report its full path.
void run_application(const kdv::model::Session& session, std::string_view argv0);

// Start-up from the full-screen window on, in its fixed order, with the
// console installed as the link's host; ends in run_opening and does not return.
[[noreturn]] void start_up(kdv::model::Session& session);

// Fills the main menu's value column from the session and the globals.
void fill_main_menu_values(kdv::model::Session& session);
// The opening question (upload now, or the notice that no port exists), then
// the main menu for as long as the program runs. Does not return: the
// program ends inside the menu routine (Alt-X, then "Y").
[[noreturn]] void run_opening(kdv::model::Session& session);

}  // namespace kdv::app
