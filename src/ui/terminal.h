// The platform seam behind the console layer: something that shows the
// screen model, delivers keys in the two-code form, sleeps and ends the
// program with the terminal restored. One real implementation (ncurses) and
// one scripted (tests, headless use).
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>

#include "ui/screen_model.h"

namespace kdv::ui {

class Terminal {
 public:
  virtual ~Terminal() = default;

  // Shows the model; only what changed needs to reach the terminal.
  virtual void present(ScreenModel& model) = 0;
  // Appends decoded key codes to the queue (an extended key is 0 followed by
  // its scan code). Waits up to timeout_ms for the first one; a negative
  // timeout waits until a key arrives.
  virtual void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) = 0;
  // The descriptor the next key arrives on, for a wait elsewhere to watch;
  // -1 when keys do not come from a descriptor or bytes already read may
  // still make one (fetch_keys must then be asked).
  virtual int input_fd() const { return -1; }
  virtual void sleep(unsigned ms) = 0;
  virtual void bell() = 0;
  virtual void cursor_visible(bool visible) = 0;
  // Restores the terminal, then prints message (if any) on it, where it
  // stays readable, and ends the process with the given code.
  [[noreturn]] virtual void quit(int code, std::string_view message) = 0;
};

}  // namespace kdv::ui
