// The lines of a frame trace file, without its '#' comment lines.
#pragma once

#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::string> trace_lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.rfind('#', 0) != 0) lines.push_back(line);
  return lines;
}
