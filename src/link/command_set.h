// The receiver's command set beyond the commands themselves (they are the
// methods of `Link`, link.h): the command codes, what a request can carry
// (number fields, code digits, texts), how the read values of a reply are
// kept, and the digit of the serial settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/setting_keys.h"

namespace kdv::link {

// Command codes; a request carries 30h + code.
enum CommandCode : int {
  kCommandInput = 1, kCommandColdJunction = 2, kCommandTransmitterCount = 4, kCommandTransmitterType = 5, kCommandInputType = 6, kCommandAlarms = 8,
  kCommandTemperatureUnits = 11, kCommandLineRejection = 15, kCommandValues = 16, kCommandTag = 17, kCommandConfirm = 25,
  kCommandReset = 26, kCommandSignoff = 28, kCommandDataFormat = 29, kCommandChecksumMode = 30, kCommandSerialSettings = 31,
  kCommandAddress = 32, kCommandVersions = 33, kCommandChecksum = 34, kCommandScales = 35, kCommandSwitches = 36
};

// x with 3 decimals right-aligned in 10 characters (wider when needed).
std::string number_field_text(double x);
// Whether a number field, the first 10 characters of number_field_text(x), carries the
// number number_field_text(x) writes: a longer text may lose only zeros of its fraction.
// NaN and infinity are never carried.
bool carries(double x);
// Whether a code goes out as one digit byte, 30h + code: up to CFh, so it
// stays a byte and is never the STX or ETX of a frame.
bool carries_digit(int code);
// Whether a text goes out as it stands: no control bytes.
bool carries_text(std::string_view text);
// Why a SET operation could not send a setting's value as it stands (a
// number whose text exceeds the 10-character field, a code whose digit
// would pass FFh, a control byte in a text), or nothing.
std::optional<std::string> why_uncarried(const kdv::model::SettingKey& key, const kdv::model::Value& value);
// What a SET operation sends for a number its field carries only rounded to
// three decimals (80.0004 goes out as 80.000), or nothing.
std::optional<std::string> why_rounded(const kdv::model::SettingKey& key, const kdv::model::Value& value);
// What the reads leave in the record of what the receiver reports: an input
// type the transmitter's type does not admit reads as 0 (mV, mA), a drive
// above 2 as 0 (upscale), a tag as 25 characters with bytes outside 20h..7Ah
// read as blanks.
bool admits_input_type(int txtype, int code);
int input_type_as_read(int txtype, int code);
int drive_as_read(int code);
std::string tag_as_read(std::string_view tag);
// Converts a decimal real (sign, digits, point, exponent), independent of
// the locale; false when the whole text is not such a number.
bool parse_decimal(std::string_view text, double& x);

// The line-bits digit of the Modbus serial settings (bit 0: two stop bits,
// bit 1: parity, bit 3: odd parity, bit 2: 8 data bits), and back.
int line_bits_digit(int stop, int parity, int dbits);
void from_line_bits_digit(int bits, std::uint8_t& stop, std::uint8_t& parity, std::uint8_t& dbits);

}  // namespace kdv::link
