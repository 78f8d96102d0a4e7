#include "model/globals.h"

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
    s.BACK = kBlack, s.BARTEXT = kBlack, s.ERRBAR = kBlack, s.MENU = kBlack, s.GRAPHBACK = kBlack;
    s.NORMFILL = kBlack, s.ALARMFILL = kWhite, s.MENUTEXT = kWhite, s.MAINTEXT = kYellow;
  } else {
    s.BACK = kBlue, s.BARTEXT = kRed, s.ERRBAR = kRed, s.MENU = kMagenta, s.GRAPHBACK = kBlue;
    s.NORMFILL = kLightBlue, s.ALARMFILL = kRed, s.MENUTEXT = kWhite, s.MAINTEXT = kWhite;
  }
}

NAME_TABLE make_table(std::initializer_list<std::string_view> names) {
  NAME_TABLE t{};
  int i = 1;
  for (auto n : names) t[i++] = n;
  return t;
}

}  // namespace

const NAME_TABLE DFORMATSTG = make_table({
    "    IEEE        ", "reverse IEEE    ", "16BIT Unsigned  ", " 16BIT offset   ",
    "16BIT 2s comp   ", " 16BIT signed   ", "12BIT Unsigned  ", " 12BIT offset   ",
    "12BIT 2s comp   ", " 12BIT signed   ", "   4DEC BCD     ", "4DEC offset BCD ",
    "4DEC BCD comp   ", "   3DEC BCD     ", "3DEC offset BCD ", "3DEC BCD comp   "});

const NAME_TABLE IPTYPE571A = make_table({
    "     mV         ", "  E  THC no CJ  ", "  J  THC no CJ  ", "  K  THC no CJ  ",
    "  N  THC no CJ  ", "  R  THC no CJ  ", "  T  THC no CJ  ", " E  THC with CJ ",
    " J  THC with CJ ", " K  THC with CJ ", " N  THC with CJ ", " R  THC with CJ ",
    " T  THC with CJ ", "RTD Ohmic Output", "RTD Temp Output ", " -----more----- "});

const NAME_TABLE IPTYPE571B = make_table({
    "  S THC no CJ  ", "  S THC with CJ ", "  E THC mV+CJ   ", "  J THC mV+CJ   ",
    "  K THC mV+CJ   ", "  N THC mV+CJ   ", "  R THC mV+CJ   ", "  T THC mV+CJ   ",
    "  S THC mV+CJ   ", "  B THC mV+CJ   ", "  B THC no CJ   ", "  B THC with CJ ",
    " -----more----- ", " ", " ", " "});

const NAME_TABLE IPTYPE572 = make_table({"      mA        ", "   RTD ohmic    ", "     SQRT       "});

byte DFORMAT_CODE(int p) {
  if (p <= 2) return static_cast<byte>(p - 1);
  if (p <= 13) return static_cast<byte>(p + 1);
  return static_cast<byte>(p + 2);
}

int DFORMAT_POSITION(byte c) {
  if (c <= 1) return c + 1;
  if (c >= 4 && c <= 14) return c - 1;
  if (c >= 16 && c <= 18) return c - 2;
  return 0;
}

Text<2> UNIT_TEXT(char letter) {
  switch (letter) {
    case '!': return std::string{SQUARE_ROOT, 'I'};
    case 'C': return std::string{DEGREE, 'C'};
    case 'F': return std::string{DEGREE, 'F'};
    case 'I': return "mA";
    case 'K': return " K";
    case 'R': return std::string{' ', OMEGA};
    default: return "  ";
  }
}

bool UNIPOLAR(byte data_format) {
  return data_format == 4 || data_format == 8 || data_format == 12 || data_format == 16;
}

bool IS_CJ_INPUT(byte input_type) {
  const byte t = input_type;
  return (t >= 7 && t <= 12) || t == 17 || (t >= 18 && t <= 25) || t == 27;
}

// Channel 16 of a type 571 transmitter is the cold-junction sensor as soon as
// one of channels 1..15 uses a compensated thermocouple.
bool ISRTD(const TRANSMITTER_DATA& tx) {
  if (tx.TXTYPE != 1) return false;
  for (int c = 1; c <= 15; ++c)
    if (IS_CJ_INPUT(tx.CHANNEL[c].INPUT_TYPE)) return true;
  return false;
}

void INIT_TX(RECIEVER_DATA& rx, int t, byte type) {
  TRANSMITTER_DATA& tx = rx.TRANSMITTER[t];
  tx.TXTYPE = type;
  double high = 20, low = 4;
  if (type == 1) {
    high = 60;
    low = UNIPOLAR(rx.DATA_FORMAT) ? 0 : -60;
  }
  tx.CJTEMP = "";
  for (CHANNEL_DATA& ch : tx.CHANNEL) {
    ch.VALUE = "";
    ch.VUNIT = "  ";
    ch.HIGH_ALARM = high;
    ch.LOW_ALARM = low;
    ch.ALARM = OFF;
    ch.INPUT_TYPE = 0;
    ch.THC_DRIVE = 0;
    ch.SCALE_IPZERO = 0;
    ch.SCALE_OPZERO = 0;
    ch.SCALE_GAIN = 1;
  }
}

void INIT_SCALES(RECIEVER_DATA& rx, byte type) {
  for (int t = 1; t <= 4; ++t) INIT_TX(rx, t, type);
}

void INITRX(RECIEVER_DATA& rx, byte type) {
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
  for (int t = 1; t <= 4; ++t) INIT_TX(rx, t, type);
}

void INITCOMMS(Session& session) {
  const std::vector<std::string>& arguments = session.ARGUMENTS;
  set_colours(session, !arguments.empty() && (arguments[0] == "BW" || arguments[0] == "bw"));
  std::error_code ec;
  session.PATH = std::filesystem::current_path(ec).string();
  session.NAME = session.PATH;
  session.RECNO = 0;
  session.TXNO = 1;
  session.CHNO = 1;
  // A second call (tests) starts from a fresh record.
  session.RECEIVER[0] = std::make_unique<RECIEVER_DATA>();
  INITRX(*session.RECEIVER[0], 1);
  session.RECEIVER_PRESENT[0] = false;
  session.GLOBDAT.RXCONFIG[0] = true;
}

}  // namespace kdv::model
