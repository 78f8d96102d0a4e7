// A transfer's progress in the console: the progress line on the bottom row
// and the error line above it.
#pragma once

#include "transfer/progress.h"

namespace project1 {

class ConsoleProgress final : public transfer::Progress {
 public:
  void started(transfer::Direction direction, int rx) override;
  void reached(transfer::Direction direction, int rx, int tx, int ch) override;
  void sending_channel(int rx, int tx, int ch) override;
  void failed(transfer::Direction direction, const comms::Outcome& outcome) override;
  void ended(transfer::Direction direction) override;
};

// The console's progress, installed by start-up (and by tests of console
// screens that run transfers).
ConsoleProgress& console_progress();

}  // namespace project1
