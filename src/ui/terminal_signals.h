// The terminal's way back to the shell on every way out, and the signals
// that wake its waits: the restore state the signal handlers use (written by
// the main thread only, read by the handlers), the handlers themselves and
// the wake-up pipe. Private to the ncurses terminal.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kdv::ui {

using WayOut = void (*)() noexcept;

// Claims the one terminal the process has; false when it is taken already.
[[nodiscard]] bool claim_terminal();
void release_terminal();

// Where the screen and the terminal modes go, what to call first on every
// way out, and the shell's terminal modes (read from fd now).
void take_tty(int fd, WayOut on_way_out);
int tty_fd();
// The modes the program set up, put back after Ctrl-Z.
void save_program_modes();

// The bytes that give the terminal back to the shell, and those that take
// it again after Ctrl-Z.
void set_leave_bytes(std::string_view bytes);
void set_enter_bytes(std::string_view bytes);

// The terminal is in screen mode from here: a signal finds the way back.
void screen_is_up();
// Async-signal-safe: back to the shell's screen and terminal modes, once.
void leave_screen();

// The wake-up pipe a signal writes to, so poll() returns: opened once; the
// reason when it cannot be.
[[nodiscard]] std::string open_wake_pipe();
int wake_fd();
// Empties the pipe: a byte left in it would make every later poll return
// at once.
void drain_wake_pipe();

// A window size change or a continue after a stop since the last clear.
bool screen_event_pending();
void clear_screen_events();

// Restore on exit() and std::terminate too; installed once per process.
void install_exit_hooks();

// The handlers for the terminating and fatal signals, window size changes
// and Ctrl-Z, and the handlers they replaced.
class SignalHandlers {
 public:
  SignalHandlers();
  ~SignalHandlers();
  SignalHandlers(const SignalHandlers&) = delete;
  SignalHandlers& operator=(const SignalHandlers&) = delete;

  void install_all();
  void restore_all();

 private:
  struct Replaced;
  std::unique_ptr<Replaced> replaced_;
};

}  // namespace kdv::ui
