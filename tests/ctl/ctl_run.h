// Runs kdv578ctl as a user does, in the working directory: its exit code,
// standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace ctltest {

struct Outcome {
  int code;
  std::string out, err;
};

inline std::string text_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A program of the build ("kdv578ctl", "kdv578-sim") with its arguments;
// env: NAME=VALUE words put before the command.
inline Outcome run(const std::string& program, const std::string& args, const std::string& env = "") {
  const std::string cmd =
      env + " " KDV578_BINARY_DIR "/" + program + " " + args + " >ctl.out 2>ctl.err </dev/null";
  const int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text_of("ctl.out"), text_of("ctl.err")};
}

inline Outcome ctl(const std::string& args, const std::string& env = "") { return run("kdv578ctl", args, env); }

inline int lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace ctltest
