#include "model/globals.h"

#include <gtest/gtest.h>

#include "model/session.h"

using namespace kdv::model;

namespace {

Session start_with(std::vector<std::string> args) {
  Session session;
  session.ARGUMENTS = std::move(args);
  INITCOMMS(session);
  return session;
}

TEST(Text, KeepsItsFirstBytesOnAssignment) {
  Text<5> t = "abcdefgh";
  EXPECT_EQ(t, "abcde");
  EXPECT_EQ(t.size(), 5u);
  Text<25> tag = t;
  EXPECT_EQ(tag.size(), 5u);
  t = "";
  EXPECT_TRUE(t.empty());
}

TEST(Initcomms, ColourSchemeOnlyForExactBwArgument) {
  const Session mono = start_with({"BW"});
  EXPECT_EQ(mono.BACK, 0);
  EXPECT_EQ(mono.ALARMFILL, 15);
  EXPECT_EQ(mono.MAINTEXT, 14);
  EXPECT_EQ(start_with({"bw"}).MAINTEXT, 14);
  for (auto arg : {"Bw", "bW", "-bw", "-BW"}) {
    const Session colour = start_with({arg});
    EXPECT_EQ(colour.BACK, 1) << arg;
    EXPECT_EQ(colour.MENU, 5) << arg;
    EXPECT_EQ(colour.NORMFILL, 9) << arg;
    EXPECT_EQ(colour.MAINTEXT, 15) << arg;
  }
  EXPECT_EQ(start_with({}).ERRBAR, 4);
}

TEST(Initcomms, DefaultReceiverRecord) {
  Session session = start_with({});
  const RECIEVER_DATA& rx = *session.RECEIVER[0];
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
  CHANNEL_DATA fresh;  // every channel: input type 0, gain 1, thresholds +-60, no alarm
  fresh.ALARM = OFF;
  fresh.HIGH_ALARM = 60;
  fresh.LOW_ALARM = -60;
  fresh.SCALE_GAIN = 1;
  fresh.VUNIT = "  ";
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(rx.TRANSMITTER[t].TXTYPE, 1);
    for (int c = 1; c <= 16; ++c) EXPECT_EQ(rx.TRANSMITTER[t].CHANNEL[c], fresh) << t << '.' << c;
  }
  EXPECT_FALSE(session.RECEIVER_PRESENT[0]);
  EXPECT_TRUE(session.GLOBDAT.RXCONFIG[0]);
  EXPECT_EQ(session.TXNO, 1);
  EXPECT_EQ(session.CHNO, 1);
}

TEST(Resets, UnipolarFormatsZeroTheLowAlarmOfType571) {
  Session session = start_with({});
  for (byte f : {4, 8, 12, 16}) {
    session.RX().DATA_FORMAT = f;
    INIT_SCALES(*session.RECEIVER[0], 1);
    EXPECT_TRUE(UNIPOLAR(f));
    EXPECT_EQ(session.RX().TRANSMITTER[2].CHANNEL[7].LOW_ALARM, 0) << int(f);
  }
  for (byte f : {0, 1, 5, 13, 17}) EXPECT_FALSE(UNIPOLAR(f));
}

TEST(Resets, Type572ThresholdsOnAllSixteenChannels) {
  Session session = start_with({});
  INIT_TX(*session.RECEIVER[0], 3, 2);
  EXPECT_EQ(session.RX().TRANSMITTER[3].TXTYPE, 2);
  for (int c = 1; c <= 16; ++c) {
    EXPECT_EQ(session.RX().TRANSMITTER[3].CHANNEL[c].HIGH_ALARM, 20);
    EXPECT_EQ(session.RX().TRANSMITTER[3].CHANNEL[c].LOW_ALARM, 4);
  }
}

TEST(Resets, ResetKeepsSwitchesAndStatus) {
  Session session = start_with({});
  session.RX().HCASWITCH = 65;
  session.RX().STATUS2 = 3;
  session.RX().DATA_FORMAT = 7;
  INITRX(*session.RECEIVER[0], 2);
  EXPECT_EQ(session.RX().HCASWITCH, 65);
  EXPECT_EQ(session.RX().STATUS2, 3);
  EXPECT_EQ(session.RX().DATA_FORMAT, 0);
  EXPECT_EQ(session.RX().TRANSMITTER[4].TXTYPE, 2);
}

TEST(Tables, DataFormatCodesAndPositions) {
  EXPECT_EQ(DFORMATSTG[1], "    IEEE        ");
  EXPECT_EQ(DFORMATSTG[3], "16BIT Unsigned  ");
  EXPECT_EQ(DFORMATSTG[14], "   3DEC BCD     ");
  for (int p = 1; p <= 16; ++p) EXPECT_EQ(DFORMAT_POSITION(DFORMAT_CODE(p)), p);
  EXPECT_EQ(DFORMAT_CODE(3), 4);
  EXPECT_EQ(DFORMAT_CODE(14), 16);
  for (byte unknown : {2, 3, 15, 19}) EXPECT_EQ(DFORMAT_POSITION(unknown), 0) << int(unknown);
  EXPECT_EQ(IPTYPE571B[1].size(), 15u);
  EXPECT_EQ(IPTYPE571A[16], " -----more----- ");
  EXPECT_EQ(IPTYPE572[3], "     SQRT       ");
}

TEST(Tables, UnitLetters) {
  EXPECT_EQ(UNIT_TEXT('C'), "\xF8" "C");
  EXPECT_EQ(UNIT_TEXT('F'), "\xF8" "F");
  EXPECT_EQ(UNIT_TEXT('!'), "\xFB" "I");
  EXPECT_EQ(UNIT_TEXT('R'), " \xEA");
  EXPECT_EQ(UNIT_TEXT('I'), "mA");
  EXPECT_EQ(UNIT_TEXT('K'), " K");
  EXPECT_EQ(UNIT_TEXT('x'), "  ");
}

TEST(Isrtd, Channel16ReservedOnlyByCompensatedInputsOfType571) {
  Session session = start_with({});
  EXPECT_FALSE(ISRTD(session.RECEIVER[0]->TRANSMITTER[1]));
  session.RX().TRANSMITTER[1].CHANNEL[16].INPUT_TYPE = 9;  // channel 16 itself does not count
  EXPECT_FALSE(ISRTD(session.RECEIVER[0]->TRANSMITTER[1]));
  for (byte t : {7, 12, 17, 18, 25, 27}) {
    session.RX().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = t;
    EXPECT_TRUE(ISRTD(session.RECEIVER[0]->TRANSMITTER[1])) << int(t);
  }
  for (byte t : {0, 6, 13, 14, 16, 26}) {
    session.RX().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = t;
    EXPECT_FALSE(ISRTD(session.RECEIVER[0]->TRANSMITTER[1])) << int(t);
  }
  session.RX().TRANSMITTER[1].CHANNEL[3].INPUT_TYPE = 8;
  session.RX().TRANSMITTER[1].TXTYPE = 2;
  EXPECT_FALSE(ISRTD(session.RECEIVER[0]->TRANSMITTER[1]));
}

}  // namespace
