// The exit codes of kdv578ctl, one per kind of outcome, and the failure that
// carries one from deep in a command to the entry.
#pragma once

#include <string>
#include <utility>

namespace kdv::ctl {

enum class Exit : int {
  kDone = 0,          // done, or the configurations are the same
  kDifferent = 1,     // diff found differences
  kUsage = 2,         // usage or validation
  kFile = 3,          // a file unreadable or unwritable, screen files not found
  kLink = 4,          // the link failed
  kRefused = 5,       // the receiver refused
  kInterrupted = 130  // interrupted
};

// Thrown inside kdv578ctl only, caught by its entry, which prints the
// message (one line, or none when the lines are out already) and exits.
struct Failure {
  Exit code;
  std::string message;
};

}  // namespace kdv::ctl
