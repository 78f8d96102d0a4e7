// A transfer's progress in the console: the progress line on the bottom row
// and the error line above it.
#pragma once

#include "model/session.h"
#include "transfer/progress.h"

namespace project1 {

// Installed by start-up (and by tests of console screens that run
// transfers); it draws in the session's colours.
class ConsoleProgress final : public transfer::Progress {
 public:
  explicit ConsoleProgress(const globals::Session& session) : session_(session) {}
  void started(transfer::Direction direction, int rx) override;
  void reached(transfer::Direction direction, int rx, int tx, int ch) override;
  void sending_channel(int rx, int tx, int ch) override;
  void failed(transfer::Direction direction, const comms::Outcome& outcome) override;
  void ended(transfer::Direction direction) override;

 private:
  const globals::Session& session_;
};

}  // namespace project1
