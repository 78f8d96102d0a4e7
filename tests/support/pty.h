// A pseudo-terminal for tests that drive the real terminal code: the test
// holds the master side (what a terminal emulator sees and types), the code
// under test the slave side.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testpty {

class Pty {
 public:
  Pty(int rows = 25, int cols = 80);
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  int master() const { return master_; }
  int slave() const { return slave_; }
  // Sets the window size as a terminal emulator would (no signal is sent).
  void resize(int rows, int cols);
  // Bytes typed on the keyboard.
  void type(std::string_view bytes);
  // Everything written to the terminal until it stays quiet for quiet_ms.
  std::string read(int quiet_ms = 100);

 private:
  int master_ = -1;
  int slave_ = -1;
};

struct Run {
  std::string output;  // everything the program wrote to its terminal
  int status = 0;      // as waitpid reports it
};

struct Start {
  std::vector<std::string> argv;
  const char* term = "xterm";
  const char* cwd = nullptr;  // the test's own when null
  std::string typed;          // typed once the output holds typed_after
  std::string typed_after = "\x1b[?1049h";  // the screen is taken
  int timeout_ms = 10000;
};

// Runs a program on a fresh 80 x 25 pseudo-terminal and collects its output
// until it ends (or the time-out passes: then it is killed).
Run run_program(const Start& start);

}  // namespace testpty
