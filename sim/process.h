// kdv578-sim as a child process: started with options, its pseudo-terminal
// read from the first line it prints, stopped with SIGTERM when the object
// goes. For tests and benchmarks that talk to the simulator over a real port.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kdv::sim {

class Process {
 public:
  Process(const std::string& executable, std::vector<std::string> args);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Standard output up to its first line end (the port's path), or all of
  // it; waits at most 5 s for each byte.
  std::string read_output(bool whole = false);
  // Waits for the process to end by itself; its exit code (-1 if killed).
  int exit_code();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

}  // namespace kdv::sim
