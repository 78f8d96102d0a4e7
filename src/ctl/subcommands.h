// kdv578ctl's subcommands as one table: each row gives the name and help
// line --help lists, the options the command takes and the function that
// runs it. Adding a subcommand is adding a row.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ctl/exit_codes.h"

namespace CLI {
class App;
}

namespace kdv::ctl {

struct Subcommand {
  std::string_view name;
  std::string_view help;
  // Declares the command's options on `command`, bound to options of its
  // own, and returns the command run with the options as parsed.
  std::function<std::function<Exit()>(CLI::App& command)> declare;
};

// Every subcommand, in the order --help lists them.
std::vector<Subcommand> subcommands();

// "export, import, ... and audit": the names of the table, for messages.
std::string subcommand_names();

}  // namespace kdv::ctl
