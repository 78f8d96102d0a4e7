#include "model/records.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <system_error>

#include "model/colours.h"
#include "model/session.h"

namespace kdv::model {

namespace {

void set_colours(Session& s, bool mono) {
  if (mono) {
    s.background = kBlack, s.bar_text = kBlack, s.error_bar = kBlack, s.menu_background = kBlack;
    s.menu_text = kWhite, s.main_text = kYellow;
  } else {
    s.background = kBlue, s.bar_text = kRed, s.error_bar = kRed, s.menu_background = kMagenta;
    s.menu_text = kWhite, s.main_text = kWhite;
  }
}

NameTable make_table(std::initializer_list<std::string_view> names) {
  NameTable t{};
  int i = 1;
  for (auto n : names) t[i++] = n;
  return t;
}

}  // namespace

const NameTable kDataFormatNames = make_table({
    "    IEEE        ", "reverse IEEE    ", "16BIT Unsigned  ", " 16BIT offset   ",
    "16BIT 2s comp   ", " 16BIT signed   ", "12BIT Unsigned  ", " 12BIT offset   ",
    "12BIT 2s comp   ", " 12BIT signed   ", "   4DEC BCD     ", "4DEC offset BCD ",
    "4DEC BCD comp   ", "   3DEC BCD     ", "3DEC offset BCD ", "3DEC BCD comp   "});

const NameTable kInputTypes571Page1 = make_table({
    "     mV         ", "  E  THC no CJ  ", "  J  THC no CJ  ", "  K  THC no CJ  ",
    "  N  THC no CJ  ", "  R  THC no CJ  ", "  T  THC no CJ  ", " E  THC with CJ ",
    " J  THC with CJ ", " K  THC with CJ ", " N  THC with CJ ", " R  THC with CJ ",
    " T  THC with CJ ", "RTD Ohmic Output", "RTD Temp Output ", " -----more----- "});

const NameTable kInputTypes571Page2 = make_table({
    "  S THC no CJ  ", "  S THC with CJ ", "  E THC mV+CJ   ", "  J THC mV+CJ   ",
    "  K THC mV+CJ   ", "  N THC mV+CJ   ", "  R THC mV+CJ   ", "  T THC mV+CJ   ",
    "  S THC mV+CJ   ", "  B THC mV+CJ   ", "  B THC no CJ   ", "  B THC with CJ ",
    " -----more----- ", " ", " ", " "});

const NameTable kInputTypes572 = make_table({"      mA        ", "   RTD ohmic    ", "     SQRT       "});

Byte data_format_code(int p) {
  if (p <= 2) return static_cast<Byte>(p - 1);
  if (p <= 13) return static_cast<Byte>(p + 1);
  return static_cast<Byte>(p + 2);
}

int data_format_position(Byte c) {
  if (c <= 1) return c + 1;
  if (c >= 4 && c <= 14) return c - 1;
  if (c >= 16 && c <= 18) return c - 2;
  return 0;
}

Text<2> unit_text(char letter) {
  switch (letter) {
    case '!': return std::string{kSquareRootSign, 'I'};
    case 'C': return std::string{kDegreeSign, 'C'};
    case 'F': return std::string{kDegreeSign, 'F'};
    case 'I': return "mA";
    case 'K': return " K";
    case 'R': return std::string{' ', kOhmSign};
    default: return "  ";
  }
}

bool is_unipolar(Byte data_format) {
  return data_format == 4 || data_format == 8 || data_format == 12 || data_format == 16;
}

namespace {

// Input type codes whose thermocouple needs cold-junction compensation.
bool is_cold_junction_input(Byte input_type) {
  const Byte t = input_type;
  return (t >= 7 && t <= 12) || t == 17 || (t >= 18 && t <= 25) || t == 27;
}

}  // namespace

// Channel 16 of a type 571 transmitter is the cold-junction sensor as soon as
// one of channels 1..15 uses a compensated thermocouple.
bool has_cold_junction_channel(const TransmitterRecord& tx) {
  if (tx.TXTYPE != 1) return false;
  for (int c = 1; c <= 15; ++c)
    if (is_cold_junction_input(tx.CHANNEL[c].INPUT_TYPE)) return true;
  return false;
}

void init_transmitter(ReceiverRecord& rx, int t, Byte type) {
  TransmitterRecord& tx = rx.TRANSMITTER[t];
  tx.TXTYPE = type;
  double high = 20, low = 4;
  if (type == 1) {
    high = 60;
    low = is_unipolar(rx.DATA_FORMAT) ? 0 : -60;
  }
  tx.CJTEMP = "";
  for (ChannelRecord& ch : tx.CHANNEL) {
    ch.VALUE = "";
    ch.VUNIT = "  ";
    ch.HIGH_ALARM = high;
    ch.LOW_ALARM = low;
    ch.ALARM = kOff;
    ch.INPUT_TYPE = 0;
    ch.THC_DRIVE = 0;
    ch.SCALE_IPZERO = 0;
    ch.SCALE_OPZERO = 0;
    ch.SCALE_GAIN = 1;
  }
}

void init_scales(ReceiverRecord& rx, Byte type) {
  for (int t = 1; t <= 4; ++t) init_transmitter(rx, t, type);
}

void init_receiver(ReceiverRecord& rx, Byte type) {
  rx.HW1 = rx.HW2 = rx.ELD = false;
  rx.MOD_MODE = 2;
  rx.TAG_FIELD = "Data not loaded          ";
  rx.IPVER = "Unknown";
  rx.HCAVER = "Unknown";
  rx.COMM_MODE = true;
  rx.ADD_MODE = true;
  rx.DATA_FORMAT = 0;
  rx.MOD_ADDRESSA = 0;
  rx.MOD_ADDRESSB = 0;
  rx.CHECK_MODE = 0;
  rx.MOD_BAUD = 6;
  rx.MOD_PARITY = 0;
  rx.MOD_STOP = 1;
  rx.MOD_DBITS = 1;
  rx.CHECKSUM = 0;
  rx.RAMCHKSUM = 0;
  rx.CKSUM_BASE = 1;
  rx.UNITS = 1;
  rx.LINE_REJ = 0;
  rx.NO_OF_TX = 1;
  for (int t = 1; t <= 4; ++t) init_transmitter(rx, t, type);
}

void init_model(Session& session) {
  const std::vector<std::string>& arguments = session.arguments;
  set_colours(session, !arguments.empty() && (arguments[0] == "BW" || arguments[0] == "bw"));
  std::error_code ec;
  session.start_directory = std::filesystem::current_path(ec).string();
  session.working_directory = session.start_directory;
  session.receiver_number = 0;
  session.transmitter_number = 1;
  session.channel_number = 1;
  // A second call (tests) starts from a fresh record.
  session.receivers[0] = std::make_unique<ReceiverRecord>();
  init_receiver(*session.receivers[0], 1);
  session.receiver_present[0] = false;
  session.held_flags.RXCONFIG[0] = true;
}

}  // namespace kdv::model
