#include <gtest/gtest.h>

#include "edit/value_column.h"
#include "support/fresh_process.h"

using namespace kdv::model;
using kdv::edit::fill_channel_values;
using kdv::edit::fill_receiver_values;

namespace {

class ValueColumnDisplay : public FreshProcess {
 protected:
  void SetUp() override {
    init_model(session);
    session.messages[27] = "drive-0";
    session.messages[28] = "drive-1";
    session.messages[29] = "drive-2";
    session.messages[97] = "cold junction";
    session.messages[98] = "not applicable";
    for (auto& column : session.value_column)
      for (auto& cell : column) cell = "untouched";
  }
  ReceiverRecord& rx() { return session.current_receiver(); }
  ChannelRecord& ch(int t, int c) { return rx().TRANSMITTER[t].CHANNEL[c]; }
};

TEST_F(ValueColumnDisplay, ReceiverCellsOfTheDefaultRecord) {
  rx().CHECKSUM = 4660;
  fill_receiver_values(session);
  EXPECT_EQ(session.value_column[1][1], " ");
  EXPECT_EQ(session.value_column[1][2], "Data not loaded ");  // the tag's first 16 characters
  EXPECT_EQ(session.value_column[1][3], "     IEEE       ");
  EXPECT_EQ(session.value_column[1][5], "      1");
  EXPECT_EQ(session.value_column[1][6], std::string("     ") + kDegreeSign + "C");
  EXPECT_EQ(session.value_column[1][7], "     50Hz");
  EXPECT_EQ(session.value_column[1][8], "     AUTO");
  EXPECT_EQ(session.value_column[1][9], "     1234  hex");
  EXPECT_EQ(session.value_column[2][1], "   Software");
  EXPECT_EQ(session.value_column[2][2], "      0");
  EXPECT_EQ(session.value_column[2][5], "    9600");
  EXPECT_EQ(session.value_column[2][6], "      1");
  EXPECT_EQ(session.value_column[2][7], "      8");
  EXPECT_EQ(session.value_column[2][8], "    none");
  EXPECT_EQ(session.value_column[2][9], "   Unknown");
  EXPECT_EQ(session.value_column[2][10], " ");
  // Rows the receiver screen does not use keep their texts.
  EXPECT_EQ(session.value_column[1][10], "untouched");
  EXPECT_EQ(session.value_column[2][11], "untouched");
}

TEST_F(ValueColumnDisplay, ReceiverCodesWithoutMeaning) {
  rx().DATA_FORMAT = 15;
  rx().MOD_BAUD = 8;
  rx().UNITS = 7;
  rx().CHECK_MODE = 3;
  rx().CKSUM_BASE = 0;
  rx().CHECKSUM = 70000;
  rx().LINE_REJ = 1;
  fill_receiver_values(session);
  EXPECT_EQ(session.value_column[1][3], "   unknown   ");
  EXPECT_EQ(session.value_column[2][5], "    38400");
  EXPECT_EQ(session.value_column[1][6], "error");
  EXPECT_EQ(session.value_column[1][7], "     60Hz");
  EXPECT_EQ(session.value_column[1][8], "    MANUAL");
  EXPECT_EQ(session.value_column[1][9], "    70000");

  rx().DATA_FORMAT = 16;
  rx().MOD_BAUD = 0;
  rx().CKSUM_BASE = 1;
  rx().MOD_PARITY = 3;  // leaves the parity cell as it was
  rx().MOD_MODE = 9;    // and the mode cell
  session.value_column[2][8] = "    even";
  session.value_column[2][9] = "     RTU";
  fill_receiver_values(session);
  EXPECT_EQ(session.value_column[1][3], "    3DEC BCD    ");  // " " and the name, cut to 16
  EXPECT_EQ(session.value_column[2][5], "    ???");
  EXPECT_EQ(session.value_column[1][9], "     ?170  hex");
  EXPECT_EQ(session.value_column[2][8], "    even");
  EXPECT_EQ(session.value_column[2][9], "     RTU");
}

TEST_F(ValueColumnDisplay, Type572Cells) {
  init_transmitter(*session.receivers[0], 1, 2);
  fill_receiver_values(session);
  EXPECT_EQ(session.value_column[1][7], "not applicable");
  fill_channel_values(session);
  EXPECT_EQ(session.value_column[1][2], "     572");
  EXPECT_EQ(session.value_column[1][4], "      mA        ");
  EXPECT_EQ(session.value_column[1][5], "not applicable");
  EXPECT_EQ(session.value_column[1][6], "   20.0000");
  EXPECT_EQ(session.value_column[1][7], "    4.0000");
  EXPECT_EQ(session.value_column[2][1], "    0.0000mA");
  EXPECT_EQ(session.value_column[2][3], "    1.0000");
}

TEST_F(ValueColumnDisplay, ChannelCellsOfType571) {
  session.channel_number = 5;
  ch(1, 5).THC_DRIVE = 2;
  ch(1, 5).INPUT_TYPE = 3;
  ch(1, 5).SCALE_OPZERO = -12.5;
  fill_channel_values(session);
  EXPECT_EQ(session.value_column[1][1], "      1");
  EXPECT_EQ(session.value_column[1][3], "      5");
  EXPECT_EQ(session.value_column[1][2], "     571");
  EXPECT_EQ(session.value_column[1][4], "  K  THC no CJ  ");
  EXPECT_EQ(session.value_column[1][5], "drive-2");
  EXPECT_EQ(session.value_column[1][6], "   60.0000");
  EXPECT_EQ(session.value_column[1][7], "  -60.0000");
  EXPECT_EQ(session.value_column[2][1], std::string("    0.0000") + kDegreeSign + "C");
  EXPECT_EQ(session.value_column[2][2], "  -12.5000");
  EXPECT_EQ(session.value_column[2][4], "");
  EXPECT_FALSE(session.reserved_channel);
}

TEST_F(ValueColumnDisplay, UnusedInputShowsInvalidAndItsAlarms) {
  ch(1, 1).INPUT_TYPE = 15;
  fill_channel_values(session);
  EXPECT_EQ(session.value_column[1][4], "Invalid");
  EXPECT_EQ(session.value_column[1][5], "not applicable");
  EXPECT_EQ(session.value_column[1][6], "   60.0000");
  EXPECT_EQ(session.value_column[1][7], "  -60.0000");
}

TEST_F(ValueColumnDisplay, ReservedChannel16) {
  ch(1, 3).INPUT_TYPE = 9;  // J with cold-junction compensation
  session.channel_number = 16;
  fill_channel_values(session);
  EXPECT_TRUE(session.reserved_channel);
  EXPECT_EQ(session.value_column[1][4], "cold junction");
  EXPECT_EQ(session.value_column[1][6], "    Fixed      ");
  EXPECT_EQ(session.value_column[1][7], "    Fixed      ");
  // Another channel of the same transmitter shows its own values.
  session.channel_number = 15;
  fill_channel_values(session);
  EXPECT_TRUE(session.reserved_channel);
  EXPECT_EQ(session.value_column[1][4], "     mV         ");
  EXPECT_EQ(session.value_column[1][6], "   60.0000");
}

TEST_F(ValueColumnDisplay, TransmitterBeyondTheCountFallsBackToOne) {
  rx().NO_OF_TX = 2;
  init_transmitter(*session.receivers[0], 3, 2);
  session.transmitter_number = 3;
  fill_channel_values(session);
  EXPECT_EQ(session.transmitter_number, 1);
  EXPECT_EQ(session.value_column[1][1], "      1");
  EXPECT_EQ(session.value_column[1][2], "     571");
}

TEST_F(ValueColumnDisplay, DriveCodeOutsideItsRangeDoesNotReachPastTheMessages) {
  ch(1, 1).THC_DRIVE = 200;
  fill_channel_values(session);
  EXPECT_EQ(session.value_column[1][5], "Invalid");
}

}  // namespace
