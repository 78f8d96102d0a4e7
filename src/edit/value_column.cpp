#include "edit/value_column.h"

#include <algorithm>
#include <cmath>

#include "model/messages.h"
#include "ui/popups.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

// count digits of value in the given base. Each digit is the low byte of the
// quotient; a value of base or more (value too large for count digits, or negative)
// shows as "?" and only that byte's worth is taken away before the next one.
std::string digits(double value, int count, int base, int max_digits) {
  count = std::clamp(count, 0, max_digits);
  double rest = 1;
  for (int i = 1; i < count; ++i) rest *= base;
  std::string out;
  for (int i = 1; i <= count; ++i) {
    double t = std::fmod(std::trunc(value / rest), 256.0);
    if (t < 0) t += 256;
    value -= t * rest;
    rest /= base;
    const int d = static_cast<int>(t);
    out += d < base ? "0123456789ABCDEF"[d] : '?';
  }
  return out;
}

}  // namespace

std::string to_hex(double value, int count) { return digits(value, count, 16, 8); }

std::string to_binary(double value, int count) { return digits(value, count, 2, 32); }

std::string reversed(std::string_view text, int count) {
  const auto n = static_cast<std::size_t>(std::clamp(count, 0, 32));
  std::string head(text.substr(0, n));
  return {head.rbegin(), head.rend()};
}

std::string checksum_text(std::int32_t value, Byte base) {
  if (base == 0) return kdv::ui::right_aligned(value, 9);
  return "     " + to_hex(value, 4) + "  hex";
}

void fill_receiver_values(Session& session) {
  const ReceiverRecord& receiver = session.current_receiver();
  session.reserved_channel = has_cold_junction_channel(session.current_receiver().TRANSMITTER[session.transmitter_number]);
  auto& column = session.value_column;
  column[1][1] = " ";
  column[1][2] = receiver.TAG_FIELD.view();
  const int format = data_format_position(receiver.DATA_FORMAT);
  column[1][3] = format == 0 ? std::string("   unknown   ") : " " + kDataFormatNames[format];
  column[1][4] = " ";
  column[1][5] = "      " + kdv::ui::right_aligned(receiver.NO_OF_TX, 1);
  column[1][6] = units_text(receiver.UNITS);
  if (receiver.TRANSMITTER[session.transmitter_number].TXTYPE == 1)
    column[1][7] = "     " + kdv::ui::right_aligned(50 + 10 * receiver.LINE_REJ, 2) + "Hz";
  else
    column[1][7] = session.messages[kMessageNotApplicable].view();
  column[1][8] = receiver.CHECK_MODE == 0 ? "     AUTO" : "    MANUAL";
  column[1][9] = checksum_text(receiver.CHECKSUM, receiver.CKSUM_BASE);
  column[2][1] = receiver.ADD_MODE ? "   Software" : "   Hardware";
  column[2][2] = "     " + kdv::ui::right_aligned(receiver.MOD_ADDRESSA, 2);
  column[2][3] = "     " + kdv::ui::right_aligned(receiver.MOD_ADDRESSB, 2);
  column[2][4] = receiver.COMM_MODE ? "   Software" : "   Hardware";
  static constexpr const char* kBaudNames[8] = {"     300",  "     600",  "    1200",  "    2400",
                                          "    4800",  "    9600",  "    19200", "    38400"};
  column[2][5] = receiver.MOD_BAUD >= 1 && receiver.MOD_BAUD <= 8 ? kBaudNames[receiver.MOD_BAUD - 1] : "    ???";
  column[2][6] = "      " + kdv::ui::right_aligned(receiver.MOD_STOP, 1);
  column[2][7] = receiver.MOD_DBITS == 1 ? "      8" : "      7";
  // Codes without a meaning leave their cells as they were.
  static constexpr const char* kParityNames[3] = {"    none", "     odd", "    even"};
  if (receiver.MOD_PARITY <= 2) column[2][8] = kParityNames[receiver.MOD_PARITY];
  static constexpr const char* kModeNames[3] = {"    ASCII", "     RTU", "   Unknown"};
  if (receiver.MOD_MODE <= 2) column[2][9] = kModeNames[receiver.MOD_MODE];
  column[2][10] = " ";
}

void fill_channel_values(Session& session) {
  const ReceiverRecord& receiver = session.current_receiver();
  session.reserved_channel = false;
  if (session.transmitter_number > receiver.NO_OF_TX) session.transmitter_number = 1;
  const TransmitterRecord& transmitter = receiver.TRANSMITTER[session.transmitter_number];
  const ChannelRecord& channel = transmitter.CHANNEL[session.channel_number];
  if (transmitter.TXTYPE == 1) session.reserved_channel = has_cold_junction_channel(session.current_receiver().TRANSMITTER[session.transmitter_number]);
  auto& column = session.value_column;
  column[1][1] = "      " + kdv::ui::right_aligned(session.transmitter_number, 1);
  column[1][3] = "     " + kdv::ui::right_aligned(session.channel_number, 2);
  column[1][2] = transmitter.TXTYPE == 1 ? "     571" : "     572";
  column[1][4] = input_type_name(transmitter.TXTYPE, channel.INPUT_TYPE);
  const std::string high = kdv::ui::fixed_decimal(channel.HIGH_ALARM, 10, 4), low = kdv::ui::fixed_decimal(channel.LOW_ALARM, 10, 4);
  if (transmitter.TXTYPE == 1) {
    // A drive code outside 0..2 (an unchecked file) names no setting.
    column[1][5] = channel.THC_DRIVE <= 2 ? session.messages[kMessageDriveUpscale + channel.THC_DRIVE].str() : std::string("Invalid");
    if (channel.INPUT_TYPE == 15) column[1][5] = column[1][6] = column[1][7] = session.messages[kMessageNotApplicable].view();
    if (session.reserved_channel && session.channel_number == 16) {
      column[1][4] = session.messages[kMessageCjSensor].view();
      column[1][6] = column[1][7] = "    Fixed      ";
    } else {
      column[1][6] = high;
      column[1][7] = low;
    }
  } else if (transmitter.TXTYPE == 2) {
    column[1][5] = session.messages[kMessageNotApplicable].view();
    column[1][6] = high;
    column[1][7] = low;
  }
  column[2][1] = kdv::ui::value_with_unit(channel.SCALE_IPZERO, static_cast<Byte>(transmitter.TXTYPE - 1),
                                          {channel.INPUT_TYPE, receiver.UNITS});
  column[2][2] = kdv::ui::fixed_decimal(channel.SCALE_OPZERO, 10, 4);
  column[2][3] = kdv::ui::fixed_decimal(channel.SCALE_GAIN, 10, 4);
  column[2][4] = "";
}

}  // namespace kdv::edit
