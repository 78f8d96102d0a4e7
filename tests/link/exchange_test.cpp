// The request frame, reply judging, retries, error texts and the number
// helpers, against the simulator core in virtual time.
#include <cmath>
#include <functional>
#include <limits>

#include "link/command_set.h"
#include "link/link.h"
#include "link/link_private.h"
#include "link/outcome.h"
#include "link_fixture.h"

using namespace kdv::model;
using namespace kdv::link;

namespace {

using Exchange = LinkTest;

constexpr char kEtx = '\x03';

kdv::sim::Bytes bytes(std::string_view s) { return kdv::sim::Bytes(s.begin(), s.end()); }

TEST_F(Exchange, AlarmRequestForChannel5IsTheEightByteFrame) {
  rx.state().TRANSMITTER[1].CHANNEL[5].LOW_ALARM = -12.5;
  rx.state().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM = 480;
  const Outcome o = link.READ_ALARMS(0, 1, 5);
  ASSERT_EQ(requests(), 1u);
  EXPECT_EQ(frame(0), std::string("\x02\x02\x63\x50\x38\x31\x35\x03"));
  EXPECT_EQ(o.status, Status::kDone);
  EXPECT_EQ(o.text, "");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[5].LOW_ALARM, -12.5);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM, 480);
}

TEST_F(Exchange, StxAmongTheFirstFourBytesIsAcceptedTheFifthIsAbandoned) {
  rx.faults.noise = 3;
  EXPECT_TRUE(link.READ_TAG(0).ok());
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "SIMULATED RECEIVER       ");

  rx.faults.noise = 4;
  rx.clear_requests();
  const Outcome o = link.READ_TAG(0);
  EXPECT_EQ(o.status, Status::kNoReply);
  EXPECT_TRUE(o.abandoned());
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(requests(), 1u);  // an abandoned exchange is not repeated
  EXPECT_EQ(host.texts, std::vector<std::string>{""});  // nothing shown on the bottom row
}

TEST_F(Exchange, EtxAtIndexSixIsAShortReplyOneMoreBytePasses) {
  rx.faults.short_reply = true;
  const Outcome o = link.READ_CHECKSUM(0);
  EXPECT_EQ(o.status, Status::kShortReply);
  EXPECT_FALSE(o.abandoned());
  EXPECT_EQ(o.text, " CRC Error");
  EXPECT_EQ(link.reply().length, 6);
  EXPECT_EQ(requests(), 2u);

  rx.faults = {};
  rx.faults.raw_reply = bytes("\x02GAbPxy\x03");
  EXPECT_TRUE(link.READ_CHECKSUM(0).ok());
  EXPECT_EQ(link.reply().length, 7);
}

TEST_F(Exchange, RefusalIsSentTwiceAndNamedByItsCode) {
  rx.faults.refuse = 1;
  const Outcome o = link.READ_NO_TX(0);
  EXPECT_EQ(o.status, Status::kRefused);
  EXPECT_EQ(o.refusal, 1);
  EXPECT_EQ(o.text, " Wrong Parameters");
  EXPECT_EQ(requests(), 2u);
  EXPECT_EQ(frame(0), frame(1));

  const char* texts[] = {" Protocol Error", " Wrong Parameters", " Tx/Ch Invalid",
                         " Param Overange", " Tx Error",         " Context Error",
                         " Unknown Error",  " Write Disabled"};
  for (int code = 0; code <= 9; ++code) {
    rx.faults.refuse = code;
    const Outcome refused = link.READ_LINEREJ(0);
    EXPECT_EQ(refused.status, Status::kRefused);
    EXPECT_EQ(refused.refusal, code);
    EXPECT_EQ(refused.text, code <= 7 ? texts[code] : " Refused code " + std::to_string(code)) << code;
  }
}

TEST_F(Exchange, FaultsCanStartLaterAndHitOneCommand) {
  rx.faults.refuse = 4;
  rx.faults.only_command = kCommandTemperatureUnits;
  rx.faults.after = 2;
  kdv::link::Link carry(session, OnFailure::kCarry);
  carry.READ_TEMP(0);  // request 1
  carry.READ_NO_TX(0);  // request 2
  carry.READ_NO_TX(0);  // another command
  EXPECT_FALSE(carry.failed());
  EXPECT_EQ(carry.READ_TEMP(0).text, " Tx Error");
  EXPECT_EQ(rx.frames(), 5u);
}

TEST_F(Exchange, WrongFrameByteIsAnInvalidResponseAndRetried) {
  for (int index : {3, 4}) {
    rx.clear_requests();
    rx.faults.wrong_frame = index;
    const Outcome o = link.READ_TEMP(0);
    EXPECT_EQ(o.status, Status::kInvalidReply);
    EXPECT_EQ(o.text, " Invalid Response");
    EXPECT_EQ(requests(), 2u);
  }
}

TEST_F(Exchange, TransmitterFailedIsNoErrorButSetsOldValues) {
  rx.faults.tx_failed = true;
  int type = 0;
  const Outcome o = link.READ_INPUT(0, 1, 3, type);
  EXPECT_EQ(o.status, Status::kDone);
  EXPECT_TRUE(o.old_values);
  EXPECT_EQ(o.text, " Tx Failed");
  EXPECT_EQ(requests(), 1u);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[3].VALUE.size(), 11u);
}

// Once a command of a sequence failed, the rest send nothing and return its
// failure; a link that goes on exchanges again.
TEST_F(Exchange, ASequenceCarriesItsFirstFailure) {
  kdv::link::Link carry(session, OnFailure::kCarry);
  session.current_receiver().DATA_FORMAT = 208;  // its digit would wrap to 00h: never sent
  EXPECT_EQ(carry.SET_DATAFMT(0).status, Status::kUnsendable);
  session.current_receiver().DATA_FORMAT = 0;
  for (const Outcome& o : {carry.READ_NO_TX(0), carry.SET_TAG(0), carry.READ_ALARMS(0, 1, 1),
                           carry.SET_DATAFMT(0)}) {
    EXPECT_EQ(o.status, Status::kUnsendable);
    EXPECT_EQ(o.text, " Param Overange");
  }
  EXPECT_EQ(requests(), 0u);
  EXPECT_EQ(plug.connects, 0);
  session.current_receiver().DATA_FORMAT = 208;
  EXPECT_FALSE(link.SET_DATAFMT(0).ok());
  session.current_receiver().DATA_FORMAT = 0;
  EXPECT_TRUE(link.SET_DATAFMT(0).ok());
  EXPECT_EQ(requests(), 1u);
}

TEST_F(Exchange, NoReplyCostsFiveReadsAndIsNotRepeated) {
  rx.faults.no_reply = true;
  const Outcome o = link.READ_TEMP(0);
  EXPECT_EQ(o.status, Status::kNoReply);
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(plug.waited_ms, 5000u);
  EXPECT_EQ(requests(), 1u);
}

TEST_F(Exchange, AnUnopenablePortAbortsWithoutTraffic) {
  session.selected_port = "COM9";
  const Outcome o = link.READ_TEMP(0);
  EXPECT_EQ(o.status, Status::kPortUnopenable);
  EXPECT_TRUE(o.abandoned());
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(requests(), 0u);
  EXPECT_EQ(link.SEND_SIGNOFF(0).status, Status::kPortUnopenable);
}

TEST_F(Exchange, ReplyWithoutEtxIsAbandonedAfter512Bytes) {
  rx.faults.raw_reply = bytes("\x02GAbP" + std::string(600, 'x'));
  const Outcome o = link.READ_TEMP(0);
  EXPECT_EQ(o.status, Status::kNoReply);
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(host.texts, std::vector<std::string>{"Write Error               "});
  EXPECT_EQ(requests(), 1u);
}

TEST_F(Exchange, EnquireReadsDigitsTenToFifteen) {
  rx.faults.raw_reply = bytes("\x02GAbP8 15\rALARMS\r\nL1>\r\nH?\r\x03");
  EXPECT_TRUE(link.READ_ALARMS(0, 1, 5).ok());
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[5].LOW_ALARM, 114);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM, 15);
}

TEST_F(Exchange, UnreadableNumbersAreFetchedOnceMoreThenADataError) {
  rx.faults.bad_numbers = true;
  const Outcome o = link.READ_ALARMS(0, 1, 2);
  EXPECT_EQ(o.status, Status::kDataError);
  EXPECT_EQ(o.text, " Data Error");
  EXPECT_EQ(requests(), 2u);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[2].HIGH_ALARM, 60);
}

TEST_F(Exchange, EnquireStaysInsideAReplyWithoutSeparators) {
  rx.faults.raw_reply = bytes("\x02GAbP8 15x\x03");
  EXPECT_EQ(link.READ_ALARMS(0, 1, 5).status, Status::kDataError);
}

TEST_F(Exchange, EscapeAtTheKeyPollAfterTheFirstByteAbortsTheRequest) {
  EXPECT_TRUE(link.READ_TEMP(0).ok());
  host.escape_at = host.polls + 1;
  const Outcome o = link.READ_TEMP(0);
  EXPECT_EQ(o.status, Status::kAborted);
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(requests(), 1u);  // the second frame stopped after its first byte
  EXPECT_EQ(plug.connects, 2);
  EXPECT_TRUE(host.texts.empty());
}

TEST_F(Exchange, EscapeWhileWaitingForTheReplyAbandonsIt) {
  rx.faults.no_reply = true;
  host.on_receive = [&] {
    if (host.escape_at == 0) host.escape_at = host.polls + 1;
  };
  const Outcome o = link.READ_TEMP(0);
  EXPECT_EQ(o.status, Status::kAborted);
  EXPECT_EQ(o.text, "  ABORTED   ");
  EXPECT_EQ(plug.waited_ms, 1000u);  // gave up after the first silent second
}

TEST_F(Exchange, TheHostIsToldOfEveryReceive) {
  link.READ_TAG(0);
  EXPECT_EQ(host.receives, link.reply().length + 1);
}

TEST_F(Exchange, StatusBitsOfTheLastReply) {
  rx.state().HW1 = false;
  rx.state().ELD = true;
  rx.faults.hht = true;
  int type = 0;
  const Outcome o = link.READ_INPUT(0, 1, 1, type);
  EXPECT_FALSE(session.current_receiver().HW1);
  EXPECT_TRUE(session.current_receiver().HW2);
  EXPECT_TRUE(eld_input_active(link.reply()));
  EXPECT_TRUE(hand_held_active(link.reply()));
  EXPECT_TRUE(o.hand_held);
  EXPECT_FALSE(highway_ok(link.reply(), 3));
  EXPECT_EQ(session.current_receiver().STATUS1, o.status1);
  EXPECT_EQ(session.current_receiver().STATUS2, o.status2);
  EXPECT_EQ(host.pauses, std::vector<unsigned>{500});  // a configurator slows readings down
}

TEST_F(Exchange, SignoffGoesOutOnTheOpenPortWithoutWaiting) {
  kdv::link::Link carry(session, OnFailure::kCarry);
  rx.faults.refuse = 5;
  rx.faults.only_command = kCommandTemperatureUnits;
  EXPECT_EQ(carry.READ_TEMP(0).status, Status::kRefused);
  EXPECT_EQ(carry.SEND_SIGNOFF(0).status, Status::kSent);  // whatever the link carries
  EXPECT_TRUE(rx.signed_off);
  EXPECT_EQ(plug.connects, 2);  // the two attempts of the reading
  EXPECT_EQ(plug.waited_ms, 0u);
  EXPECT_EQ(frame(2), "\x02\x02" "cPL\x03");
  // Its unread answer is gone with the port: the next exchange reads its own.
  EXPECT_TRUE(link.READ_NO_TX(0).ok());
  EXPECT_EQ(session.current_receiver().NO_OF_TX, 2);
}

TEST(NumberFieldText, ThreeDecimalsInTenCharacters) {
  EXPECT_EQ(number_field_text(60), "    60.000");
  EXPECT_EQ(number_field_text(-60), "   -60.000");
  EXPECT_EQ(number_field_text(1), "     1.000");
  EXPECT_EQ(number_field_text(-0.0), "     0.000");
  EXPECT_EQ(number_field_text(123456789.5), "123456789.500");
}

TEST_F(Exchange, NumberFieldKeepsTheFirstTenCharactersWhenTheyHoldTheNumber) {
  session.current_receiver().TRANSMITTER[1].CHANNEL[4].HIGH_ALARM = 12345678.5;
  link.SET_ALARMS(0, 1, 4);
  ASSERT_EQ(requests(), 1u);
  EXPECT_EQ(rx.requests()[0].params, "14   -60.000\r12345678.5\r");
  EXPECT_EQ(rx.state().TRANSMITTER[1].CHANNEL[4].HIGH_ALARM, 12345678.5);
}

TEST(RequestFields, OnlyNumbersTheFieldHoldsWhole) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  for (auto [x, carried] : std::initializer_list<std::pair<double, bool>>{
           {-99999.999, true}, {999999.9994, true}, {1e6, true}, {12345678.5, true},
           {1234567.891, false}, {123456789.5, false}, {1e10, false}, {12345678901.5, false},
           {std::nan(""), false}, {kInf, false}, {-kInf, false}})
    EXPECT_EQ(carries(x), carried) << x;
}

// A value its request cannot carry: nothing goes out, the operation fails.
TEST_F(Exchange, ValuesTheRequestCannotCarryAreNeverSent) {
  const ReceiverRecord sound = session.current_receiver();
  ChannelRecord& ch = session.current_receiver().TRANSMITTER[1].CHANNEL[2];
  const std::function<Outcome()> cases[] = {
      [&] { return ch.HIGH_ALARM = 12345678901.5, link.SET_ALARMS(0, 1, 2); },
      [&] { return ch.THC_DRIVE = 211, link.SET_INPTYPE(0, 1, 2); },  // ETX
      [&] { return session.current_receiver().DATA_FORMAT = 208, link.SET_DATAFMT(0); },    // wraps to 00h
      [&] { return session.current_receiver().TAG_FIELD = "A\x01", link.SET_TAG(0); }};
  for (const auto& send : cases) {
    session.current_receiver() = sound;
    const Outcome o = send();
    EXPECT_EQ(o.status, Status::kUnsendable);
    EXPECT_EQ(o.text, " Param Overange");
  }
  EXPECT_EQ(requests(), 0u);
  ch.INPUT_TYPE = 207;  // the last code whose digit stays a byte
  link.SET_INPTYPE(0, 1, 2);
  EXPECT_EQ(frame(0)[7], '\xFF');
}

TEST(DecimalField, SignDigitsPointAndExponent) {
  double x = 0;
  for (auto [text, value] : std::initializer_list<std::pair<const char*, double>>{
           {"12", 12}, {"-12.5", -12.5}, {"+5", 5}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000},
           {"2.5E-1", 0.25}, {"114", 114}}) {
    ASSERT_TRUE(parse_decimal(text, x)) << text;
    EXPECT_EQ(x, value) << text;
  }
  x = 7;
  for (const char* bad : {"", "-", ".", "1.2.3", "e5", "1e", "1-2", "--1", "12:", "1e999", " 1"})
    EXPECT_FALSE(parse_decimal(bad, x)) << bad;
  EXPECT_EQ(x, 7);
}

TEST(ReplyNumbers, ReadsNumbersWithALeadingMinus) {
  const std::string text = "\x02GAbPS 11\r\n   -12.500\r\n1:5.000\r\n      .250\r";
  Reply reply;
  std::copy(text.begin(), text.end(), reply.bytes.begin());
  reply.bytes[text.size()] = kEtx;
  reply.length = static_cast<int>(text.size());
  int i = 9;
  double a = 1, b = 2, c = 3, d = 4;
  next_number(reply, i, a);
  next_number(reply, i, b);  // ":" does not convert: the value stays
  next_number(reply, i, c);
  EXPECT_EQ(a, -12.5);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 0.25);
  next_number(reply, i, d);  // nothing left before the ETX
  EXPECT_EQ(d, 4);
  EXPECT_EQ(i, reply.length + 1);
}

}  // namespace
