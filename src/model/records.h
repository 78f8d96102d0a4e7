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

enum AlarmState : std::int32_t { kHigh = 0, kLow = 1, kOff = 2 };

struct ChannelRecord {
  Text<20> VALUE;
  Text<2> VUNIT;
  double HIGH_ALARM = 0;
  double LOW_ALARM = 0;
  AlarmState ALARM = kHigh;
  Byte INPUT_TYPE = 0;
  Byte THC_DRIVE = 0;
  double SCALE_IPZERO = 0;
  double SCALE_OPZERO = 0;
  double SCALE_GAIN = 0;
  // Records compare field by field; PrintTo (record_print.cpp) writes every
  // field, for a test whose comparison fails.
  friend bool operator==(const ChannelRecord&, const ChannelRecord&) = default;
  friend void PrintTo(const ChannelRecord& ch, std::ostream* os);
};

struct TransmitterRecord {
  Byte TXTYPE = 0;
  Text<20> CJTEMP;
  Text<2> CJUNIT;
  Indexed<ChannelRecord, 1, 16> CHANNEL;
  friend bool operator==(const TransmitterRecord&, const TransmitterRecord&) = default;
  friend void PrintTo(const TransmitterRecord& tx, std::ostream* os);
};

struct ReceiverRecord {
  Text<25> TAG_FIELD;
  Text<10> HCAVER;
  Text<10> IPVER;
  bool ADD_MODE = false;
  Byte MOD_ADDRESSA = 0;
  Byte MOD_ADDRESSB = 0;
  Byte DATA_FORMAT = 0;
  bool COMM_MODE = false;
  Byte MOD_BAUD = 0;
  Byte MOD_PARITY = 0;
  Byte MOD_DBITS = 0;
  Byte MOD_STOP = 0;
  Byte MOD_MODE = 0;
  Byte CHECK_MODE = 0;
  std::int32_t CHECKSUM = 0;
  std::int32_t RAMCHKSUM = 0;
  Byte CKSUM_BASE = 0;
  Byte NO_OF_TX = 0;
  Byte UNITS = 0;
  Byte STATUS1 = 0;
  Byte STATUS2 = 0;
  bool HW1 = false;
  bool HW2 = false;
  bool ELD = false;
  bool SYSFAIL = false;
  Byte LINE_REJ = 0;
  Byte HCASWITCH = 0;
  Byte IPSWITCH = 0;
  Indexed<TransmitterRecord, 1, 4> TRANSMITTER;
  friend bool operator==(const ReceiverRecord&, const ReceiverRecord&) = default;
  friend void PrintTo(const ReceiverRecord& rx, std::ostream* os);
};

struct HeldFlagsRecord {
  Indexed<bool, 0, 15> RXCONFIG;
  friend bool operator==(const HeldFlagsRecord&, const HeldFlagsRecord&) = default;
  friend void PrintTo(const HeldFlagsRecord& config, std::ostream* os);
};

// Name tables, entries 1..16 of text(16) each.
using NameTable = Indexed<Text<16>, 1, 16>;
extern const NameTable kDataFormatNames;
extern const NameTable kInputTypes571Page1;
extern const NameTable kInputTypes571Page2;
extern const NameTable kInputTypes572;

// Data format code <-> position in kDataFormatNames (1..16).
Byte data_format_code(int position);
int data_format_position(Byte code);  // 0 for the unused codes 2, 3, 15 and above 18

// Code page 437 bytes the unit texts use.
inline constexpr char kDegreeSign = '\xF8';
inline constexpr char kOhmSign = '\xEA';
inline constexpr char kSquareRootSign = '\xFB';

// The stored two-character unit text for a unit letter reported by the
// receiver ("C" -> F8h "C", "R" -> " " EAh, unknown -> two spaces).
Text<2> unit_text(char letter);

struct Session;

// Start-up's data model: the colour roles from the session's command line
// ("BW" or "bw" first: monochrome), the start directory as the session's
// start_directory and working_directory, the current receiver, transmitter and channel, and
// receiver record 0 with the defaults of a type 571 (a second call starts
// from a fresh record).
void init_model(Session& session);
void init_receiver(ReceiverRecord& rx, Byte type);
// The receiver simulator keeps a record of its own.
void init_transmitter(ReceiverRecord& rx, int t, Byte type);
void init_scales(ReceiverRecord& rx, Byte type);
bool is_unipolar(Byte data_format);
bool has_cold_junction_channel(const TransmitterRecord& tx);

}  // namespace kdv::model
