// Runs the real program on a pseudo-terminal of a private tmux server
// (80 x 25), with the real simulator on another pseudo-terminal, and reads the
// screen back through tmux. The program works in a scratch directory holding
// the screen definition files, and reaches the simulator through a symbolic
// link, so a simulator started again later is found under the same port name.
// Everything started and written is removed by the destructor.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

struct Setup {
  std::vector<std::string> program_args;
  std::vector<std::string> sim_args;
  std::vector<std::string> env;          // NAME=VALUE for the program (LC_ALL=C)
  std::vector<std::string> extra_ports;  // offered after the simulator's port
  // Offers the simulator's terminal by its own name (short enough for the
  // port list's 12 characters) instead of the link that survives restarts.
  bool pty_port = false;
};

class TmuxSession {
 public:
  // Starts build/kdv578-sim with sim_args, then build/kdv578 with
  // program_args, its port list offered through KDV578_PORTS.
  explicit TmuxSession(const std::vector<std::string>& program_args = {},
                       const std::vector<std::string>& sim_args = {});
  explicit TmuxSession(const Setup& setup);
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
  // The same with the terminal's attribute sequences (SGR, SO/SI for the
  // line-drawing set) as tmux sees the cells.
  std::string attributed_screen();
  // Sets the terminal's size (the program sees SIGWINCH).
  void resize(int columns, int rows);
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
  // Sends a signal to the program.
  void signal_program(int sig);

  // The simulator: stopped hard (the port vanishes), started again with
  // new options behind the same port name; its output so far (with
  // --verbose, every request and reply).
  void kill_simulator();
  bool restart_simulator(const std::vector<std::string>& sim_args);
  std::string simulator_log() const;

  // The program's working directory and its name for the simulator's port.
  const std::string& work_dir() const { return work_; }
  std::string port() const { return file("port"); }
  std::string pty() const { return pty_; }

 private:
  bool start_simulator(const std::vector<std::string>& sim_args);
  std::string tmux(const std::string& args);
  std::string file(const std::string& name) const;

  bool started_ = false;
  std::string error_;
  std::string socket_;
  std::string socket_path_;  // the server's socket file, removed at the end
  std::string dir_;  // scratch directory for logs and the exit status
  std::string work_;  // the program's working directory, inside dir_
  std::string sim_log_;  // output of the simulator started last
  std::string pty_;      // its terminal
  int sim_starts_ = 0;
  pid_t sim_pid_ = -1;
};

}  // namespace e2e
