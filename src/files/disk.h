// Configuration files: the ".gdt" (configuration-held flags) and ".rxd"
// (receiver record) byte images, the pair on disk, the base-name rule and
// the directory listing's names. The commands that ask for names and show
// the listing are the console's (app/file_commands.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/text.h"

namespace kdv::files {

inline constexpr std::size_t kGdtSize = 16;
inline constexpr std::size_t kRxdSize = 4816;
inline constexpr std::size_t kTransmitterBlock = 1184;  // one transmitter in ".rxd"
inline constexpr std::size_t kChannelBlock = 72;    // one channel in a transmitter block

using GdtImage = std::array<std::uint8_t, kGdtSize>;
using RxdImage = std::array<std::uint8_t, kRxdSize>;

// The byte images, field by field at their little-endian offsets. Padding
// and the bytes after a text's length are written as zeros.
GdtImage encode_gdt(const kdv::model::HeldFlagsRecord& flags);
RxdImage encode_rxd(const kdv::model::ReceiverRecord& rx);

// Read one record from the start of the bytes. False, and the record left
// untouched, when there are fewer bytes than a record; bytes after the record
// are ignored. Nothing in the bytes is trusted: a text length above the
// capacity is clamped, an alarm state outside kHigh/kLow/kOff reads as kOff, a
// transmitter count outside 1..4 as 1.
bool decode_gdt(std::span<const std::uint8_t> bytes, kdv::model::HeldFlagsRecord& flags);
bool decode_rxd(std::span<const std::uint8_t> bytes, kdv::model::ReceiverRecord& rx);

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

// The saved configurations of the working directory: its ".gdt" files
// (regular files, links followed), sorted so that a listing reads the same
// every time.
std::vector<std::string> saved_configurations();
// A name as its column of the listing shows it: right-aligned in 17
// characters, cut to them, control characters as "?", so that no name can
// move the cursor.
std::string listed(std::string name);

}  // namespace kdv::files
