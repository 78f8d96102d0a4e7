// The command set against the simulator core: what each reading stores and
// what each setting changes in the receiver.
#include "link/link.h"
#include "link/link_private.h"
#include "link/outcome.h"
#include "link_fixture.h"

using namespace kdv::model;
using namespace kdv::link;

namespace {

using CommandSet = LinkTest;

TEST_F(CommandSet, ReceiverReadingsFillTheRecord) {
  ReceiverRecord& sim = rx.state();
  sim.TAG_FIELD = "PUMP HOUSE 7             ";
  sim.NO_OF_TX = 3;
  sim.DATA_FORMAT = 13;
  sim.UNITS = 2;
  sim.LINE_REJ = 1;
  sim.CHECK_MODE = 1;
  sim.MOD_ADDRESSA = 200;
  sim.MOD_ADDRESSB = 7;
  sim.MOD_BAUD = 8;
  sim.IPSWITCH = 0x20;
  sim.HCASWITCH = 0x4F;

  kdv::link::Link seq(session, OnFailure::kCarry);
  seq.READ_NO_TX(0);
  seq.READ_DATAFMT(0);
  seq.READ_VERS(0);
  seq.READ_TEMP(0);
  seq.READ_COMMS(0);
  seq.READ_ADDRESS(0);
  seq.READ_CHECKSUM(0);
  seq.READ_CSUMMODE(0);
  seq.READ_SWITCHES(0);
  seq.READ_LINEREJ(0);
  seq.READ_TAG(0);
  ASSERT_FALSE(seq.failed()) << seq.outcome().text.str();
  const ReceiverRecord& r = session.current_receiver();
  EXPECT_EQ(r.TAG_FIELD, "PUMP HOUSE 7             ");
  EXPECT_EQ(r.NO_OF_TX, 3);
  EXPECT_EQ(r.DATA_FORMAT, 13);
  EXPECT_EQ(r.UNITS, 2);
  EXPECT_EQ(r.LINE_REJ, 1);
  EXPECT_EQ(r.CHECK_MODE, 1);
  EXPECT_EQ(r.IPVER, "   3.21   ");
  EXPECT_EQ(r.HCAVER, "   2.04   ");
  EXPECT_TRUE(r.ADD_MODE);
  EXPECT_EQ(r.MOD_ADDRESSA, 200);
  EXPECT_EQ(r.MOD_ADDRESSB, 7);
  EXPECT_TRUE(r.COMM_MODE);
  EXPECT_EQ(r.MOD_BAUD, 8);  // 38400 stays 38400
  EXPECT_EQ(r.IPSWITCH, 0x20);
  EXPECT_EQ(r.HCASWITCH, 0x4F);
  EXPECT_EQ(r.MOD_MODE, 0);  // lever 7 of the HCA bank: ASCII
  EXPECT_EQ(r.CHECKSUM, 0);  // the checksum reply is not stored
  EXPECT_EQ(requests(), 11u);
}

TEST_F(CommandSet, ChannelReadingsFillTheRecord) {
  ChannelRecord& sim = rx.state().TRANSMITTER[2].CHANNEL[8];
  sim.INPUT_TYPE = 15;
  sim.THC_DRIVE = 2;
  sim.LOW_ALARM = 3.5;
  sim.HIGH_ALARM = 19.25;
  sim.SCALE_IPZERO = -4;
  sim.SCALE_GAIN = 1.5;
  sim.SCALE_OPZERO = -100.125;
  kdv::link::Link seq(session, OnFailure::kCarry);
  seq.READ_TXTYPE(0, 2);
  seq.READ_INPTYPE(0, 2, 8);
  seq.READ_ALARMS(0, 2, 8);
  seq.READ_SCALES(0, 2, 8);
  ASSERT_FALSE(seq.failed()) << seq.outcome().text.str();
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].TXTYPE, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[8], sim);
}

TEST_F(CommandSet, SettingsChangeTheReceiver) {
  ReceiverRecord& r = session.current_receiver();
  r.TAG_FIELD = "NEW TAG";
  r.NO_OF_TX = 4;
  r.DATA_FORMAT = 6;
  r.UNITS = 3;
  r.LINE_REJ = 1;
  r.CHECK_MODE = 1;
  r.TRANSMITTER[3].TXTYPE = 2;
  r.TRANSMITTER[1].CHANNEL[12].INPUT_TYPE = 27;
  r.TRANSMITTER[1].CHANNEL[12].THC_DRIVE = 1;
  r.TRANSMITTER[1].CHANNEL[12].LOW_ALARM = -1.5;
  r.TRANSMITTER[1].CHANNEL[12].HIGH_ALARM = 1200;
  kdv::link::Link seq(session, OnFailure::kCarry);
  seq.SET_TAG(0);
  seq.SET_NO_TX(0);
  seq.SET_DATAFMT(0);
  seq.SET_TEMP(0);
  seq.SET_LINEREJ(0);
  seq.SET_CSUMMODE(0);
  seq.SET_TXTYPE(0, 3);
  seq.SET_INPTYPE(0, 1, 12);
  seq.SET_ALARMS(0, 1, 12);
  ASSERT_FALSE(seq.failed()) << seq.outcome().text.str();
  const ReceiverRecord& sim = rx.state();
  EXPECT_EQ(sim.TAG_FIELD, "NEW TAG                  ");  // padded to 25
  EXPECT_EQ(rx.requests()[0].params.size(), 25u);
  EXPECT_EQ(sim.NO_OF_TX, 4);
  EXPECT_EQ(sim.DATA_FORMAT, 6);
  EXPECT_EQ(sim.UNITS, 3);
  EXPECT_EQ(sim.LINE_REJ, 1);
  EXPECT_EQ(sim.CHECK_MODE, 1);
  EXPECT_EQ(sim.TRANSMITTER[3].TXTYPE, 2);
  EXPECT_EQ(rx.requests()[7].params, "1<K1");  // channel 12, type 27 as digits
  EXPECT_EQ(sim.TRANSMITTER[1].CHANNEL[12].INPUT_TYPE, 27);
  EXPECT_EQ(sim.TRANSMITTER[1].CHANNEL[12].THC_DRIVE, 1);
  EXPECT_EQ(sim.TRANSMITTER[1].CHANNEL[12].LOW_ALARM, -1.5);
  EXPECT_EQ(sim.TRANSMITTER[1].CHANNEL[12].HIGH_ALARM, 1200);
  EXPECT_TRUE(rx.unconfirmed);
  link.SEND_CONFIRM(0);
  EXPECT_FALSE(rx.unconfirmed);
  EXPECT_EQ(rx.requests().back().params, "0");
}

TEST_F(CommandSet, AddressesGoAsTwoDigitBytes) {
  session.current_receiver().MOD_ADDRESSA = 171;
  session.current_receiver().MOD_ADDRESSB = 5;
  link.SET_ADDRESS(0);
  EXPECT_EQ(rx.requests().at(0).params, ":;05");
  EXPECT_EQ(rx.state().MOD_ADDRESSA, 171);
  EXPECT_EQ(rx.state().MOD_ADDRESSB, 5);
}

TEST_F(CommandSet, SerialSettingsGoAsBaudAndLineBits) {
  session.current_receiver().MOD_BAUD = 7;
  session.current_receiver().MOD_PARITY = 1;
  session.current_receiver().MOD_DBITS = 1;
  session.current_receiver().MOD_STOP = 2;
  link.SET_COMMS(0);
  EXPECT_EQ(rx.requests().at(0).params, "7?");
  EXPECT_EQ(rx.state().MOD_PARITY, 1);
  EXPECT_EQ(rx.state().MOD_STOP, 2);

  rx.state().MOD_PARITY = 2;
  rx.state().MOD_DBITS = 0;
  link.READ_COMMS(0);
  EXPECT_EQ(link.reply().bytes[15], '3');
  EXPECT_EQ(session.current_receiver().MOD_STOP, 2);
  EXPECT_EQ(session.current_receiver().MOD_DBITS, 0);
  EXPECT_EQ(session.current_receiver().MOD_PARITY, 2);
}

TEST_F(CommandSet, HardwareSwitchesDecideSerialSettingsAndAddresses) {
  rx.state().HCASWITCH = 0x16;  // levers: 9600 odd 8 bits, link B = A + 32
  rx.state().IPSWITCH = 0x05;   // address 5
  link.READ_COMMS(0);
  link.READ_ADDRESS(0);
  EXPECT_FALSE(session.current_receiver().COMM_MODE);
  EXPECT_EQ(session.current_receiver().MOD_BAUD, 6);
  EXPECT_EQ(session.current_receiver().MOD_PARITY, 1);
  EXPECT_EQ(session.current_receiver().MOD_DBITS, 1);
  EXPECT_EQ(session.current_receiver().MOD_STOP, 1);
  EXPECT_FALSE(session.current_receiver().ADD_MODE);
  EXPECT_EQ(session.current_receiver().MOD_ADDRESSA, 5);
  EXPECT_EQ(session.current_receiver().MOD_ADDRESSB, 37);

  rx.state().HCASWITCH = 0x0C;  // an invalid lever setting reports baud code 0
  link.READ_COMMS(0);
  EXPECT_EQ(session.current_receiver().MOD_BAUD, 6);

  session.current_receiver().MOD_BAUD = 3;
  EXPECT_TRUE(link.SET_COMMS(0).ok());  // kept for when the levers go back to software
  EXPECT_EQ(rx.state().MOD_BAUD, 3);
  link.READ_COMMS(0);
  EXPECT_EQ(session.current_receiver().MOD_BAUD, 6);
}

TEST_F(CommandSet, WritesAreRefusedWhileIpLever7IsSet) {
  rx.state().IPSWITCH = 0x40;
  session.current_receiver().TAG_FIELD = "CHANGED                  ";
  const Outcome refused = link.SET_TAG(0);
  EXPECT_EQ(refused.status, Status::kRefused);
  EXPECT_EQ(refused.text, " Write Disabled");
  EXPECT_EQ(requests(), 2u);
  EXPECT_EQ(rx.state().TAG_FIELD, "SIMULATED RECEIVER       ");
  EXPECT_TRUE(link.READ_TAG(0).ok());  // reading still works
}

TEST_F(CommandSet, ScalingsGoAsThirtySevenBytesAndNegativesComeBack) {
  ChannelRecord& ch = session.current_receiver().TRANSMITTER[1].CHANNEL[6];
  ch.SCALE_IPZERO = -12.5;
  ch.SCALE_GAIN = 0.75;
  ch.SCALE_OPZERO = -5;
  link.SET_SCALES(0, 1, 6);
  const std::string& p = rx.requests().at(0).params;
  EXPECT_EQ(p.size(), 37u);
  EXPECT_EQ(p, "16   -12.500\r\n     0.750\r\n    -5.000\r");
  EXPECT_EQ(rx.state().TRANSMITTER[1].CHANNEL[6].SCALE_OPZERO, -5);

  ch = ChannelRecord{};
  link.READ_SCALES(0, 1, 6);
  EXPECT_EQ(ch.SCALE_IPZERO, -12.5);
  EXPECT_EQ(ch.SCALE_GAIN, 0.75);
  EXPECT_EQ(ch.SCALE_OPZERO, -5);
}

TEST_F(CommandSet, TagReadingBlanksBytesOutsideTheRange) {
  rx.state().TAG_FIELD = "AB{C\x7f" "D~E";
  link.READ_TAG(0);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "AB C D E                 ");
  EXPECT_EQ(session.current_receiver().TAG_FIELD.size(), 25u);
  rx.faults.no_reply = true;
  link.READ_TAG(0);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "AB C D E                 ");  // kept without a reply
}

TEST_F(CommandSet, ReadingsClampOutOfRangeValuesEvenAfterAFailure) {
  rx.state().NO_OF_TX = 7;
  rx.state().UNITS = 0;
  rx.state().TRANSMITTER[2].CHANNEL[1].INPUT_TYPE = 3;  // not a type 572 input
  rx.state().TRANSMITTER[2].CHANNEL[1].THC_DRIVE = 5;
  link.READ_NO_TX(0);
  link.READ_TEMP(0);
  link.READ_TXTYPE(0, 2);
  link.READ_INPTYPE(0, 2, 1);
  EXPECT_EQ(session.current_receiver().NO_OF_TX, 1);
  EXPECT_EQ(session.current_receiver().UNITS, 1);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[1].INPUT_TYPE, 0);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[1].THC_DRIVE, 0);

  kdv::link::Link failed(session, OnFailure::kCarry);
  session.current_receiver().DATA_FORMAT = 208;
  failed.SET_DATAFMT(0);  // a failure that sends nothing
  session.current_receiver().TRANSMITTER[3].TXTYPE = 9;
  session.current_receiver().TRANSMITTER[1].CHANNEL[2].INPUT_TYPE = 15;  // invalid for a type 571
  failed.READ_TXTYPE(0, 3);
  failed.READ_INPTYPE(0, 1, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].TXTYPE, 1);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[2].INPUT_TYPE, 0);
  EXPECT_EQ(requests(), 4u);
}

TEST_F(CommandSet, InputReadingFollowsTheThresholds) {
  ChannelRecord& sim = rx.state().TRANSMITTER[2].CHANNEL[3];
  sim.HIGH_ALARM = -1000;  // every value is above it
  int type = 0;
  link.READ_INPUT(0, 2, 3, type);
  EXPECT_EQ(type, 2);
  const ChannelRecord& ch = session.current_receiver().TRANSMITTER[2].CHANNEL[3];
  EXPECT_EQ(ch.ALARM, kHigh);
  EXPECT_EQ(ch.VALUE.size(), 11u);
  EXPECT_EQ(ch.VUNIT, "mA");
  EXPECT_TRUE(session.current_receiver().HW1);
  const std::string first = ch.VALUE.str();

  sim.HIGH_ALARM = 1000;
  sim.LOW_ALARM = 999;
  link.READ_INPUT(0, 2, 3, type);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(ch.ALARM, kLow);
  EXPECT_NE(ch.VALUE.str(), first);  // live values move
  sim.LOW_ALARM = -1000;
  link.READ_INPUT(0, 2, 3, type);
  EXPECT_EQ(ch.ALARM, kOff);
}

TEST_F(CommandSet, ColdJunctionReading) {
  EXPECT_TRUE(link.READ_CJ(0, 1).ok());
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CJTEMP.size(), 11u);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CJTEMP.view().substr(0, 6), "      ");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CJUNIT, std::string({kDegreeSign, 'C'}));
}

TEST_F(CommandSet, BadValueCharactersAreADataErrorButTheRestIsKept) {
  rx.faults.bad_numbers = true;
  int type = 0;
  const Outcome o = link.READ_INPUT(0, 1, 6, type);
  EXPECT_EQ(o.status, Status::kDataError);
  EXPECT_EQ(o.text, " Data Error");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[6].VALUE.size(), 11u);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[6].VUNIT, "  ");  // millivolts have no unit text
}

TEST_F(CommandSet, AllChannelReadingOfAType572LeavesChannels9To16) {
  rx.state().TRANSMITTER[1].TXTYPE = 2;
  for (int c = 1; c <= 16; ++c) session.current_receiver().TRANSMITTER[1].CHANNEL[c].VALUE = "old";
  int type = 0;
  EXPECT_TRUE(link.READ_VALS(0, 1, type).ok());
  EXPECT_EQ(type, 2);
  for (int c = 1; c <= 8; ++c) {
    EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[c].VALUE.size(), 11u) << c;
    EXPECT_NE(session.current_receiver().TRANSMITTER[1].CHANNEL[c].VUNIT, "  ") << c;
  }
  for (int c = 9; c <= 16; ++c) EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[c].VALUE, "old") << c;
  EXPECT_TRUE(session.current_receiver().HW1);
  EXPECT_FALSE(session.current_receiver().ELD);
}

TEST_F(CommandSet, AllChannelReadingKnowsFewerUnitsThanTheSingleReading) {
  int type = 0;
  link.READ_VALS(0, 1, type);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].VUNIT, std::string({kDegreeSign, 'C'}));
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[6].VUNIT, "  ");  // millivolts
  rx.state().UNITS = 3;
  link.READ_VALS(0, 1, type);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].VUNIT, "  ");  // kelvin is not recognised here
  link.READ_INPUT(0, 1, 1, type);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].VUNIT, " K");
}

TEST_F(CommandSet, AllChannelReadingAfterADataErrorStepsThroughTheRest) {
  rx.faults.bad_numbers = true;
  int type = 0;
  EXPECT_EQ(link.READ_VALS(0, 2, type).text, " Data Error");
  for (int c = 2; c <= 8; ++c)
    EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[c].VALUE, std::string(11, ' ')) << c;
}

TEST_F(CommandSet, ALoadedRecordBecomesTheReceiversConfiguration) {
  ReceiverRecord saved = rx.state();
  saved.TAG_FIELD = "FROM A FILE              ";
  saved.TRANSMITTER[1].CHANNEL[2].SCALE_IPZERO = -3;
  rx.load(saved);
  link.READ_TAG(0);
  link.READ_SCALES(0, 1, 2);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "FROM A FILE              ");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[2].SCALE_IPZERO, -3);
}

TEST_F(CommandSet, ResetsChangeTheWholeConfigurationOrTheScalings) {
  rx.state().TRANSMITTER[1].CHANNEL[6].SCALE_GAIN = 9;
  link.SEND_RESET(0, 9);
  EXPECT_EQ(rx.state().TRANSMITTER[1].CHANNEL[6].SCALE_GAIN, 1);
  EXPECT_EQ(rx.state().TAG_FIELD, "SIMULATED RECEIVER       ");
  link.SEND_RESET(0, 2);
  EXPECT_EQ(rx.state().TRANSMITTER[4].TXTYPE, 2);
  EXPECT_EQ(rx.state().NO_OF_TX, 1);
  EXPECT_EQ(rx.requests().back().params, "2");
  EXPECT_EQ(link.SEND_RESET(0, 5).text, " Param Overange");
}

}  // namespace
