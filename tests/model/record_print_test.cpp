// Whole records compare equal exactly when every field does, and a failed
// comparison shows the field that differs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/records.h"

using namespace kdv::model;

namespace {

struct FieldChange {
  const char* field;
  std::function<void(ReceiverRecord&)> change;
};

const FieldChange kFieldChanges[] = {
    {"TAG_FIELD", [](ReceiverRecord& r) { r.TAG_FIELD = "B"; }},
    {"HCAVER", [](ReceiverRecord& r) { r.HCAVER = "1.0"; }},
    {"IPVER", [](ReceiverRecord& r) { r.IPVER = "1.0"; }},
    {"ADD_MODE", [](ReceiverRecord& r) { r.ADD_MODE = true; }},
    {"MOD_ADDRESSA", [](ReceiverRecord& r) { r.MOD_ADDRESSA = 1; }},
    {"MOD_ADDRESSB", [](ReceiverRecord& r) { r.MOD_ADDRESSB = 1; }},
    {"DATA_FORMAT", [](ReceiverRecord& r) { r.DATA_FORMAT = 1; }},
    {"COMM_MODE", [](ReceiverRecord& r) { r.COMM_MODE = true; }},
    {"MOD_BAUD", [](ReceiverRecord& r) { r.MOD_BAUD = 1; }},
    {"MOD_PARITY", [](ReceiverRecord& r) { r.MOD_PARITY = 1; }},
    {"MOD_DBITS", [](ReceiverRecord& r) { r.MOD_DBITS = 1; }},
    {"MOD_STOP", [](ReceiverRecord& r) { r.MOD_STOP = 1; }},
    {"MOD_MODE", [](ReceiverRecord& r) { r.MOD_MODE = 1; }},
    {"CHECK_MODE", [](ReceiverRecord& r) { r.CHECK_MODE = 1; }},
    {"CHECKSUM", [](ReceiverRecord& r) { r.CHECKSUM = 1; }},
    {"RAMCHKSUM", [](ReceiverRecord& r) { r.RAMCHKSUM = 1; }},
    {"CKSUM_BASE", [](ReceiverRecord& r) { r.CKSUM_BASE = 1; }},
    {"NO_OF_TX", [](ReceiverRecord& r) { r.NO_OF_TX = 1; }},
    {"UNITS", [](ReceiverRecord& r) { r.UNITS = 1; }},
    {"STATUS1", [](ReceiverRecord& r) { r.STATUS1 = 1; }},
    {"STATUS2", [](ReceiverRecord& r) { r.STATUS2 = 1; }},
    {"HW1", [](ReceiverRecord& r) { r.HW1 = true; }},
    {"HW2", [](ReceiverRecord& r) { r.HW2 = true; }},
    {"ELD", [](ReceiverRecord& r) { r.ELD = true; }},
    {"SYSFAIL", [](ReceiverRecord& r) { r.SYSFAIL = true; }},
    {"LINE_REJ", [](ReceiverRecord& r) { r.LINE_REJ = 1; }},
    {"HCASWITCH", [](ReceiverRecord& r) { r.HCASWITCH = 1; }},
    {"IPSWITCH", [](ReceiverRecord& r) { r.IPSWITCH = 1; }},
    {"TXTYPE", [](ReceiverRecord& r) { r.TRANSMITTER[4].TXTYPE = 1; }},
    {"CJTEMP", [](ReceiverRecord& r) { r.TRANSMITTER[4].CJTEMP = "1"; }},
    {"CJUNIT", [](ReceiverRecord& r) { r.TRANSMITTER[4].CJUNIT = "C"; }},
    {"VALUE", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].VALUE = "1"; }},
    {"VUNIT", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].VUNIT = "C"; }},
    {"HIGH_ALARM", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].HIGH_ALARM = 1e-300; }},
    {"LOW_ALARM", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].LOW_ALARM = 1e-300; }},
    {"ALARM", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].ALARM = kOff; }},
    {"INPUT_TYPE", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].INPUT_TYPE = 1; }},
    {"THC_DRIVE", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].THC_DRIVE = 1; }},
    {"SCALE_IPZERO", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_IPZERO = 1e-300; }},
    {"SCALE_OPZERO", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_OPZERO = 1e-300; }},
    {"SCALE_GAIN", [](ReceiverRecord& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_GAIN = 1 + 1e-15; }},
};

class RecordFields : public testing::TestWithParam<FieldChange> {};

TEST_P(RecordFields, AChangedFieldMakesTheRecordDifferAndShowsInItsPrint) {
  ReceiverRecord a;
  a.TRANSMITTER[4].CHANNEL[16].SCALE_GAIN = 1;
  ReceiverRecord b = a;
  EXPECT_EQ(a, b);
  GetParam().change(b);
  EXPECT_NE(a, b);
  EXPECT_NE(testing::PrintToString(a), testing::PrintToString(b));
}

INSTANTIATE_TEST_SUITE_P(EveryField, RecordFields, testing::ValuesIn(kFieldChanges),
                         [](const auto& info) { return std::string(info.param.field); });

// Texts compare by their characters; numbers by value, as the fields do one
// by one: a negative zero equals zero and a NaN equals nothing.
TEST(RecordCompare, TextsAndNumbersCompareAsTheirValues) {
  ChannelRecord a, b;
  a.VALUE = "12.5xyz";
  a.VALUE = "12.5";  // the bytes past the length differ
  b.VALUE = "12.5";
  b.SCALE_IPZERO = -0.0;
  EXPECT_EQ(a, b);
  a.SCALE_GAIN = b.SCALE_GAIN = std::nan("");
  EXPECT_NE(a, b);
  HeldFlagsRecord f, g;
  g.RXCONFIG[15] = true;
  EXPECT_NE(f, g);
}

}  // namespace
