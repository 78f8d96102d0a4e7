// The configuration data model: the receiver record with its transmitters
// and channels, the code and name tables, and the routines that set up a
// record.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "model/indexed.h"
#include "model/text.h"

namespace kdv::model {

using byte = std::uint8_t;

enum ALARM_STATE : std::int32_t { HIGH = 0, LOW = 1, OFF = 2 };

struct CHANNEL_DATA {
  Text<20> VALUE;
  Text<2> VUNIT;
  double HIGH_ALARM = 0;
  double LOW_ALARM = 0;
  ALARM_STATE ALARM = HIGH;
  byte INPUT_TYPE = 0;
  byte THC_DRIVE = 0;
  double SCALE_IPZERO = 0;
  double SCALE_OPZERO = 0;
  double SCALE_GAIN = 0;
  // Records compare field by field; PrintTo (record_print.cpp) writes every
  // field, for a test whose comparison fails.
  friend bool operator==(const CHANNEL_DATA&, const CHANNEL_DATA&) = default;
  friend void PrintTo(const CHANNEL_DATA& ch, std::ostream* os);
};

struct TRANSMITTER_DATA {
  byte TXTYPE = 0;
  Text<20> CJTEMP;
  Text<2> CJUNIT;
  Indexed<CHANNEL_DATA, 1, 16> CHANNEL;
  friend bool operator==(const TRANSMITTER_DATA&, const TRANSMITTER_DATA&) = default;
  friend void PrintTo(const TRANSMITTER_DATA& tx, std::ostream* os);
};

struct RECIEVER_DATA {
  Text<25> TAG_FIELD;
  Text<10> HCAVER;
  Text<10> IPVER;
  bool ADD_MODE = false;
  byte MOD_ADDRESSA = 0;
  byte MOD_ADDRESSB = 0;
  byte DATA_FORMAT = 0;
  bool COMM_MODE = false;
  byte MOD_BAUD = 0;
  byte MOD_PARITY = 0;
  byte MOD_DBITS = 0;
  byte MOD_STOP = 0;
  byte MOD_MODE = 0;
  byte CHECK_MODE = 0;
  std::int32_t CHECKSUM = 0;
  std::int32_t RAMCHKSUM = 0;
  byte CKSUM_BASE = 0;
  byte NO_OF_TX = 0;
  byte UNITS = 0;
  byte STATUS1 = 0;
  byte STATUS2 = 0;
  bool HW1 = false;
  bool HW2 = false;
  bool ELD = false;
  bool SYSFAIL = false;
  byte LINE_REJ = 0;
  byte HCASWITCH = 0;
  byte IPSWITCH = 0;
  Indexed<TRANSMITTER_DATA, 1, 4> TRANSMITTER;
  friend bool operator==(const RECIEVER_DATA&, const RECIEVER_DATA&) = default;
  friend void PrintTo(const RECIEVER_DATA& rx, std::ostream* os);
};

struct CONFIG_DATA {
  Indexed<bool, 0, 15> RXCONFIG;
  friend bool operator==(const CONFIG_DATA&, const CONFIG_DATA&) = default;
  friend void PrintTo(const CONFIG_DATA& config, std::ostream* os);
};

inline constexpr int RXMAXNO = 1;

// Name tables, entries 1..16 of text(16) each.
using NAME_TABLE = Indexed<Text<16>, 1, 16>;
extern const NAME_TABLE DFORMATSTG;
extern const NAME_TABLE IPTYPE571A;
extern const NAME_TABLE IPTYPE571B;
extern const NAME_TABLE IPTYPE572;

// Data format code <-> position in DFORMATSTG (1..16).
byte DFORMAT_CODE(int position);
int DFORMAT_POSITION(byte code);  // 0 for the unused codes 2, 3, 15 and above 18

// Code page 437 bytes the unit texts use.
inline constexpr char DEGREE = '\xF8';
inline constexpr char OMEGA = '\xEA';
inline constexpr char SQUARE_ROOT = '\xFB';

// The stored two-character unit text for a unit letter reported by the
// receiver ("C" -> F8h "C", "R" -> " " EAh, unknown -> two spaces).
Text<2> UNIT_TEXT(char letter);

struct Session;

// Start-up's data model: the colour roles from the session's command line
// ("BW" or "bw" first: monochrome), the start directory as the session's
// PATH and NAME, the current receiver, transmitter and channel, and
// receiver record 0 with the defaults of a type 571 (a second call starts
// from a fresh record).
void INITCOMMS(Session& session);
void INITRX(RECIEVER_DATA& rx, byte type);
// The receiver simulator keeps a record of its own.
void INIT_TX(RECIEVER_DATA& rx, int t, byte type);
void INIT_SCALES(RECIEVER_DATA& rx, byte type);
bool UNIPOLAR(byte data_format);
bool ISRTD(const TRANSMITTER_DATA& tx);

// Input type codes whose thermocouple needs cold-junction compensation.
bool IS_CJ_INPUT(byte input_type);

}  // namespace kdv::model
