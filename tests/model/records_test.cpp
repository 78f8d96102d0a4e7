#include "model/records.h"

#include <gtest/gtest.h>

#include "model/session.h"

using namespace kdv::model;

namespace {

Session start_with(std::vector<std::string> args) {
  Session session;
  session.arguments = std::move(args);
  init_model(session);
  return session;
}

TEST(Text, KeepsItsFirstBytesOnAssignment) {
  kdv::model::Text<5> t = "abcdefgh";
  EXPECT_EQ(t, "abcde");
  EXPECT_EQ(t.size(), 5u);
  kdv::model::Text<25> tag = t;
  EXPECT_EQ(tag.size(), 5u);
  t = "";
  EXPECT_TRUE(t.empty());
}

TEST(StartupDefaults, ColourSchemeOnlyForExactBwArgument) {
  const Session mono = start_with({"BW"});
  EXPECT_EQ(mono.background, 0);
  EXPECT_EQ(mono.bar_text, 0);
  EXPECT_EQ(mono.main_text, 14);
  EXPECT_EQ(start_with({"bw"}).main_text, 14);
  for (auto arg : {"Bw", "bW", "-bw", "-BW"}) {
    const Session colour = start_with({arg});
    EXPECT_EQ(colour.background, 1) << arg;
    EXPECT_EQ(colour.menu_background, 5) << arg;
    EXPECT_EQ(colour.bar_text, 4) << arg;
    EXPECT_EQ(colour.main_text, 15) << arg;
  }
  EXPECT_EQ(start_with({}).error_bar, 4);
}

TEST(StartupDefaults, DefaultReceiverRecord) {
  Session session = start_with({});
  const ReceiverRecord& rx = *session.receivers[0];
  EXPECT_EQ(rx.TAG_FIELD, "Data not loaded          ");
  EXPECT_EQ(rx.TAG_FIELD.size(), 25u);
  EXPECT_EQ(rx.HCAVER, "Unknown");
  EXPECT_EQ(rx.IPVER, "Unknown");
  EXPECT_EQ(rx.MOD_BAUD, 6);
  EXPECT_EQ(rx.MOD_PARITY, 0);
  EXPECT_EQ(rx.MOD_DBITS, 1);
  EXPECT_EQ(rx.MOD_STOP, 1);
  EXPECT_EQ(rx.MOD_MODE, 2);
  EXPECT_EQ(rx.NO_OF_TX, 1);
  EXPECT_EQ(rx.UNITS, 1);
  EXPECT_EQ(rx.LINE_REJ, 0);
  EXPECT_EQ(rx.CKSUM_BASE, 1);
  EXPECT_TRUE(rx.ADD_MODE);
  EXPECT_TRUE(rx.COMM_MODE);
  ChannelRecord fresh;  // every channel: input type 0, gain 1, thresholds +-60, no alarm
  fresh.ALARM = kOff;
  fresh.HIGH_ALARM = 60;
  fresh.LOW_ALARM = -60;
  fresh.SCALE_GAIN = 1;
  fresh.VUNIT = "  ";
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(rx.TRANSMITTER[t].TXTYPE, 1);
    for (int c = 1; c <= 16; ++c) EXPECT_EQ(rx.TRANSMITTER[t].CHANNEL[c], fresh) << t << '.' << c;
  }
  EXPECT_FALSE(session.receiver_present[0]);
  EXPECT_TRUE(session.held_flags.RXCONFIG[0]);
  EXPECT_EQ(session.transmitter_number, 1);
  EXPECT_EQ(session.channel_number, 1);
}

TEST(RecordResets, UnipolarFormatsZeroTheLowAlarmOfType571) {
  Session session = start_with({});
  for (Byte f : {4, 8, 12, 16}) {
    session.current_receiver().DATA_FORMAT = f;
    init_scales(*session.receivers[0], 1);
    EXPECT_TRUE(is_unipolar(f));
    EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[7].LOW_ALARM, 0) << int(f);
  }
  for (Byte f : {0, 1, 5, 13, 17}) EXPECT_FALSE(is_unipolar(f));
}

TEST(RecordResets, Type572ThresholdsOnAllSixteenChannels) {
  Session session = start_with({});
  init_transmitter(*session.receivers[0], 3, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].TXTYPE, 2);
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(session.current_receiver().TRANSMITTER[3].CHANNEL[c].HIGH_ALARM, 20);
    EXPECT_EQ(session.current_receiver().TRANSMITTER[3].CHANNEL[c].LOW_ALARM, 4);
  }
}

TEST(RecordResets, ResetKeepsSwitchesAndStatus) {
  Session session = start_with({});
  session.current_receiver().HCASWITCH = 65;
  session.current_receiver().STATUS2 = 3;
  session.current_receiver().DATA_FORMAT = 7;
  init_receiver(*session.receivers[0], 2);
  EXPECT_EQ(session.current_receiver().HCASWITCH, 65);
  EXPECT_EQ(session.current_receiver().STATUS2, 3);
  EXPECT_EQ(session.current_receiver().DATA_FORMAT, 0);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[4].TXTYPE, 2);
}

TEST(NameTables, DataFormatCodesAndPositions) {
  EXPECT_EQ(kDataFormatNames[1], "    IEEE        ");
  EXPECT_EQ(kDataFormatNames[3], "16BIT Unsigned  ");
  EXPECT_EQ(kDataFormatNames[14], "   3DEC BCD     ");
  for (int p = 1; p <= 16; ++p) EXPECT_EQ(data_format_position(data_format_code(p)), p);
  EXPECT_EQ(data_format_code(3), 4);
  EXPECT_EQ(data_format_code(14), 16);
  for (Byte unknown : {2, 3, 15, 19}) EXPECT_EQ(data_format_position(unknown), 0) << int(unknown);
  EXPECT_EQ(kInputTypes571Page2[1].size(), 15u);
  EXPECT_EQ(kInputTypes571Page1[16], " -----more----- ");
  EXPECT_EQ(kInputTypes572[3], "     SQRT       ");
}

TEST(NameTables, UnitLetters) {
  EXPECT_EQ(unit_text('C'), "\xF8" "C");
  EXPECT_EQ(unit_text('F'), "\xF8" "F");
  EXPECT_EQ(unit_text('!'), "\xFB" "I");
  EXPECT_EQ(unit_text('R'), " \xEA");
  EXPECT_EQ(unit_text('I'), "mA");
  EXPECT_EQ(unit_text('K'), " K");
  EXPECT_EQ(unit_text('x'), "  ");
}

TEST(ColdJunctionChannel, Channel16ReservedOnlyByCompensatedInputsOfType571) {
  Session session = start_with({});
  EXPECT_FALSE(has_cold_junction_channel(session.receivers[0]->TRANSMITTER[1]));
  session.current_receiver().TRANSMITTER[1].CHANNEL[16].INPUT_TYPE = 9;  // channel 16 itself does not count
  EXPECT_FALSE(has_cold_junction_channel(session.receivers[0]->TRANSMITTER[1]));
  for (Byte t : {7, 12, 17, 18, 25, 27}) {
    session.current_receiver().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = t;
    EXPECT_TRUE(has_cold_junction_channel(session.receivers[0]->TRANSMITTER[1])) << int(t);
  }
  for (Byte t : {0, 6, 13, 14, 16, 26}) {
    session.current_receiver().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = t;
    EXPECT_FALSE(has_cold_junction_channel(session.receivers[0]->TRANSMITTER[1])) << int(t);
  }
  session.current_receiver().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = 8;
  session.current_receiver().TRANSMITTER[1].TXTYPE = 2;
  EXPECT_FALSE(has_cold_junction_channel(session.receivers[0]->TRANSMITTER[1]));
}

}  // namespace
