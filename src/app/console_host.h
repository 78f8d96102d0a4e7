// The link's host in the console: the Escape check reads the keyboard (the
// port watches the terminal's input, so the check runs only once a key is
// there), the screen is presented before every receive wait so progress
// texts show while the link works (the terminal skips a screen that did
// not change), texts go to the bottom row, and waits are the terminal's
// (virtual time in tests).
#pragma once

#include "link/link.h"

namespace kdv::app {

class ConsoleHost final : public kdv::link::Host {
 public:
  bool escape() override;
  void before_receive() override;
  void status_text(std::string_view text) override;
  void pause(unsigned ms) override;
  int key_input() override;
};

// The console's host, installed by start-up (and by tests of console
// screens that talk to the receiver).
ConsoleHost& console_host();

}  // namespace kdv::app
