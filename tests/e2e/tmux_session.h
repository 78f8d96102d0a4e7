// Runs the real program on a pseudo-terminal of a private tmux server
// (80 x 25), with the real simulator on another pseudo-terminal, and reads the
// screen back through tmux. Everything started is stopped by the destructor.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

class TmuxSession {
 public:
  // Starts build/kdv578-sim with sim_args, then build/kdv578 with
  // program_args in the build directory, its port list offered through
  // KDV578_PORTS.
  explicit TmuxSession(const std::vector<std::string>& program_args = {},
                       const std::vector<std::string>& sim_args = {});
  ~TmuxSession();
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  bool started() const { return started_; }
  const std::string& error() const { return error_; }

  // Sends tmux key names ("Enter", "Down", "Escape", "M-x") or literal text.
  void keys(const std::string& tmux_keys);
  void text(const std::string& literal);

  // The screen as 25 lines of text.
  std::vector<std::string> screen();
  std::string row(int row);  // 1-based
  // Waits until the screen contains the text; false after the time limit.
  bool wait_for(const std::string& text, std::chrono::milliseconds limit);
  // Waits until the text is gone from the screen.
  bool wait_gone(const std::string& text, std::chrono::milliseconds limit);
  // Waits for the program to end; its exit code, or nothing after the limit.
  std::optional<int> wait_exit(std::chrono::milliseconds limit);
  // The terminal settings (stty -a) read on the program's terminal after
  // it ended.
  std::string stty_after_exit();

 private:
  std::string tmux(const std::string& args);
  std::string file(const std::string& name) const;

  bool started_ = false;
  std::string error_;
  std::string socket_;
  std::string socket_path_;  // the server's socket file, removed at the end
  std::string dir_;  // scratch directory for logs and the exit status
  pid_t sim_pid_ = -1;
};

}  // namespace e2e
