// Whole records compare equal exactly when every field does, and a failed
// comparison shows the field that differs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "model/globals.h"

using namespace kdv::model;

namespace {

struct FieldChange {
  const char* field;
  std::function<void(RECIEVER_DATA&)> change;
};

const FieldChange kFieldChanges[] = {
    {"TAG_FIELD", [](RECIEVER_DATA& r) { r.TAG_FIELD = "B"; }},
    {"HCAVER", [](RECIEVER_DATA& r) { r.HCAVER = "1.0"; }},
    {"IPVER", [](RECIEVER_DATA& r) { r.IPVER = "1.0"; }},
    {"ADD_MODE", [](RECIEVER_DATA& r) { r.ADD_MODE = true; }},
    {"MOD_ADDRESSA", [](RECIEVER_DATA& r) { r.MOD_ADDRESSA = 1; }},
    {"MOD_ADDRESSB", [](RECIEVER_DATA& r) { r.MOD_ADDRESSB = 1; }},
    {"DATA_FORMAT", [](RECIEVER_DATA& r) { r.DATA_FORMAT = 1; }},
    {"COMM_MODE", [](RECIEVER_DATA& r) { r.COMM_MODE = true; }},
    {"MOD_BAUD", [](RECIEVER_DATA& r) { r.MOD_BAUD = 1; }},
    {"MOD_PARITY", [](RECIEVER_DATA& r) { r.MOD_PARITY = 1; }},
    {"MOD_DBITS", [](RECIEVER_DATA& r) { r.MOD_DBITS = 1; }},
    {"MOD_STOP", [](RECIEVER_DATA& r) { r.MOD_STOP = 1; }},
    {"MOD_MODE", [](RECIEVER_DATA& r) { r.MOD_MODE = 1; }},
    {"CHECK_MODE", [](RECIEVER_DATA& r) { r.CHECK_MODE = 1; }},
    {"CHECKSUM", [](RECIEVER_DATA& r) { r.CHECKSUM = 1; }},
    {"RAMCHKSUM", [](RECIEVER_DATA& r) { r.RAMCHKSUM = 1; }},
    {"CKSUM_BASE", [](RECIEVER_DATA& r) { r.CKSUM_BASE = 1; }},
    {"NO_OF_TX", [](RECIEVER_DATA& r) { r.NO_OF_TX = 1; }},
    {"UNITS", [](RECIEVER_DATA& r) { r.UNITS = 1; }},
    {"STATUS1", [](RECIEVER_DATA& r) { r.STATUS1 = 1; }},
    {"STATUS2", [](RECIEVER_DATA& r) { r.STATUS2 = 1; }},
    {"HW1", [](RECIEVER_DATA& r) { r.HW1 = true; }},
    {"HW2", [](RECIEVER_DATA& r) { r.HW2 = true; }},
    {"ELD", [](RECIEVER_DATA& r) { r.ELD = true; }},
    {"SYSFAIL", [](RECIEVER_DATA& r) { r.SYSFAIL = true; }},
    {"LINE_REJ", [](RECIEVER_DATA& r) { r.LINE_REJ = 1; }},
    {"HCASWITCH", [](RECIEVER_DATA& r) { r.HCASWITCH = 1; }},
    {"IPSWITCH", [](RECIEVER_DATA& r) { r.IPSWITCH = 1; }},
    {"TXTYPE", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].TXTYPE = 1; }},
    {"CJTEMP", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CJTEMP = "1"; }},
    {"CJUNIT", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CJUNIT = "C"; }},
    {"VALUE", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].VALUE = "1"; }},
    {"VUNIT", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].VUNIT = "C"; }},
    {"HIGH_ALARM", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].HIGH_ALARM = 1e-300; }},
    {"LOW_ALARM", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].LOW_ALARM = 1e-300; }},
    {"ALARM", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].ALARM = OFF; }},
    {"INPUT_TYPE", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].INPUT_TYPE = 1; }},
    {"THC_DRIVE", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].THC_DRIVE = 1; }},
    {"SCALE_IPZERO", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_IPZERO = 1e-300; }},
    {"SCALE_OPZERO", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_OPZERO = 1e-300; }},
    {"SCALE_GAIN", [](RECIEVER_DATA& r) { r.TRANSMITTER[4].CHANNEL[16].SCALE_GAIN = 1 + 1e-15; }},
};

class RecordFields : public testing::TestWithParam<FieldChange> {};

TEST_P(RecordFields, AChangedFieldMakesTheRecordDifferAndShowsInItsPrint) {
  RECIEVER_DATA a;
  a.TRANSMITTER[4].CHANNEL[16].SCALE_GAIN = 1;
  RECIEVER_DATA b = a;
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
  CHANNEL_DATA a, b;
  a.VALUE = "12.5xyz";
  a.VALUE = "12.5";  // the bytes past the length differ
  b.VALUE = "12.5";
  b.SCALE_IPZERO = -0.0;
  EXPECT_EQ(a, b);
  a.SCALE_GAIN = b.SCALE_GAIN = std::nan("");
  EXPECT_NE(a, b);
  CONFIG_DATA f, g;
  g.RXCONFIG[15] = true;
  EXPECT_NE(f, g);
}

}  // namespace
