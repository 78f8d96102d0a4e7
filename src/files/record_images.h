// The ".gdt" (configuration-held flags) and ".rxd" (receiver record) byte
// images: their sizes, and the records encoded to and decoded from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/records.h"

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

}  // namespace kdv::files
