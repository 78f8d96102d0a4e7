// Configuration files on disk: the ".gdt"/".rxd" pair under one base name,
// a single file written whole, and the base-name rule for an entered name.
// The commands that ask for names are the console's (app/file_commands.h).
#pragma once

#include <string>
#include <string_view>

#include "model/records.h"
#include "model/text.h"

namespace kdv::files {

// The pair base + ".gdt" and base + ".rxd". Writing goes to temporaries in
// the same directory, which replace the old pair only when both are
// complete; on any failure the old pair is left as it was. A replaced file
// keeps its permission bits (and owner and group where the process may set
// them); a symbolic link is written through to its target. Reading takes
// both files whole and changes the records only when both are good.
bool write_pair(std::string_view base, const kdv::model::HeldFlagsRecord& flags,
                const kdv::model::ReceiverRecord& rx);
// One file by its path, written whole or not at all in the same way: a
// temporary beside it, renamed over it once complete.
bool write_file(std::string_view path, std::string_view bytes);
// Unlinks the temporaries of a save in progress. Async-signal-safe: the
// terminal calls it on every way out it restores the screen on.
void remove_temporaries() noexcept;
bool read_pair(std::string_view base, kdv::model::HeldFlagsRecord& flags, kdv::model::ReceiverRecord& rx);
// One ".rxd" file by its path (the simulator starts from one).
bool read_rxd_file(const std::string& path, kdv::model::ReceiverRecord& rx);

// The base name of an entered file name: at most 8 characters (a folder
// prefix typed with it counts), everything from the first "." dropped.
kdv::model::Text<12> base_name(std::string_view entered);

}  // namespace kdv::files
