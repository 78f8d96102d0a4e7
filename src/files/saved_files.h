// The listing of saved configurations in the working directory. The command
// that shows it is the console's (app/file_commands.h).
#pragma once

#include <string>
#include <vector>

namespace kdv::files {

// The saved configurations of the working directory: its ".gdt" files
// (regular files, links followed), sorted so that a listing reads the same
// every time.
std::vector<std::string> saved_configurations();
// A name as its column of the listing shows it: right-aligned in 17
// characters, cut to them, control characters as "?", so that no name can
// move the cursor.
std::string listed(std::string name);

}  // namespace kdv::files
