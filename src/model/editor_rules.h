// What the settings editors accept, apart from the screens that ask: the
// characters and length of a tag, the range of a number entry, the channels
// where a setting applies, and the zeroing under a unipolar data format.
// The console's editors and kdv578ctl's `set` both follow these.
#pragma once

#include <cstddef>

#include "model/records.h"

namespace kdv::model {

// A character the tag entry takes: blank, ".", "0".."9", ":", "@".."Z",
// "\", "_", "a".."z".
bool is_tag_character(Byte c);
// The most characters the tag entry takes (the receiver pads to 25).
inline constexpr std::size_t kTagEntryLength = 24;

// The range of a number entry: whole numbers (addresses) 0..255, reals
// -99999..99999.
bool entry_accepts(double v, bool whole);

// The channels of a transmitter type: 16 on a 571 (type 1), 8 otherwise.
int channel_count(Byte txtype);
// Channel 16 of a 571 with a compensated input measures the cold junction:
// no input type, scaling or alarm of its own.
bool is_reserved_channel(const TransmitterRecord& tx, int ch);
// Alarm thresholds apply to neither a reserved channel nor an unused input
// (type 15) of a 571.
bool alarms_apply(const TransmitterRecord& tx, int ch);
// An open-circuit drive exists on neither a 572 nor an unused input (type
// 15) of a 571.
bool drive_applies(const TransmitterRecord& tx, int ch);
// Whether the input list offers the code on this channel: a 571 offers
// 0..14 and 16..27, but not the RTD types 13 and 14 on channel 16; a 572
// offers 0, 13 and 15.
bool offers_input_type(Byte txtype, int ch, Byte code);

// Negative output zeros, gains and alarm thresholds of every configured
// channel become 0 (a unipolar data format cannot carry them).
void clear_unipolar_negatives(ReceiverRecord& receiver);

}  // namespace kdv::model
