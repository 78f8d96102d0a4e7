// The value column of the receiver and channel settings screens, and the
// small text formatters the displays and the diagnostics share.
#pragma once

#include <string>
#include <string_view>

#include "model/records.h"
#include "model/session.h"
#include "model/value_text.h"

namespace kdv::edit {

// count hexadecimal (to_hex, count <= 8) or binary (to_binary, count <= 32) digits of value, most
// significant first; a digit value that does not fit its base shows as "?".
std::string to_hex(double value, int count);
std::string to_binary(double value, int count);

// The first count characters of text in reverse order.
std::string reversed(std::string_view text, int count);

using kdv::model::input_type_name;

// A checksum as the displays show it: decimal in 9 when `base` is 0,
// otherwise four hex digits between five spaces and "  hex".
std::string checksum_text(std::int32_t value, kdv::model::Byte base);

// Fill the value column for the receiver settings screen and the channel
// settings screen, and the session's reserved-channel flag. fill_channel_values
// moves transmitter_number back to 1 when it lies beyond the receiver's number of
// transmitters.
void fill_receiver_values(kdv::model::Session& session);
void fill_channel_values(kdv::model::Session& session);

}  // namespace kdv::edit
