// A transfer's progress in the console: the progress line on the bottom row
// and the error line above it.
#pragma once

#include "model/session.h"
#include "transfer/progress.h"

namespace kdv::app {

// Installed by start-up (and by tests of console screens that run
// transfers); it draws in the session's colours.
class ConsoleProgress final : public kdv::transfer::Progress {
 public:
  explicit ConsoleProgress(const kdv::model::Session& session) : session_(session) {}
  void started(kdv::transfer::Direction direction, int rx) override;
  void reached(kdv::transfer::Direction direction, int rx, int tx, int ch) override;
  void sending_channel(int rx, int tx, int ch) override;
  void failed(kdv::transfer::Direction direction, const kdv::link::Outcome& outcome) override;
  void ended(kdv::transfer::Direction direction) override;

 private:
  const kdv::model::Session& session_;
};

}  // namespace kdv::app
