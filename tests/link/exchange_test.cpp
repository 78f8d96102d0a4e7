// The request frame, reply judging, retries, error texts and the number
// helpers, against the simulator core in virtual time.
#include <cmath>
#include <functional>
#include <limits>

#include "link/link_private.h"
#include "link_fixture.h"

using namespace globals;
using namespace comms;

namespace {

constexpr char ETXC = '\x03';

sim::Bytes bytes(std::string_view s) { return sim::Bytes(s.begin(), s.end()); }

TEST_F(LinkTest, AlarmRequestForChannel5IsTheEightByteFrame) {
  rx.state().TRANSMITTER[1].CHANNEL[5].LOW_ALARM = -12.5;
  rx.state().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM = 480;
  READ_ALARMS(0, 1, 5);
  ASSERT_EQ(requests(), 1u);
  EXPECT_EQ(frame(0), std::string("\x02\x02\x63\x50\x38\x31\x35\x03"));
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[5].LOW_ALARM, -12.5);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM, 480);
}

TEST_F(LinkTest, StxAmongTheFirstFourBytesIsAcceptedTheFifthIsAbandoned) {
  rx.faults.noise = 3;
  READ_TAG(0);
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(RX().TAG_FIELD, "SIMULATED RECEIVER       ");

  rx.faults.noise = 4;
  rx.clear_requests();
  READ_TAG(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_TRUE(BREAKOUT);
  EXPECT_TRUE(TIMEOUT);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(requests(), 1u);  // an abandoned exchange is not repeated
  EXPECT_EQ(crt::Screen().text(1, 25, 11), std::string(11, ' '));
}

TEST_F(LinkTest, EtxAtIndexSixIsACrcErrorOneMoreBytePasses) {
  rx.faults.short_reply = true;
  READ_CHECKSUM(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_FALSE(BREAKOUT);
  EXPECT_EQ(ERRMSG, " CRC Error");
  EXPECT_EQ(MSGLENGTH, 6);
  EXPECT_EQ(requests(), 2u);

  MSGERROR = false;
  rx.faults = {};
  rx.faults.raw_reply = bytes("\x02GAbPxy\x03");
  READ_CHECKSUM(0);
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(MSGLENGTH, 7);
}

TEST_F(LinkTest, RefusalIsSentTwiceAndNamedByItsCode) {
  rx.faults.refuse = 1;
  READ_NO_TX(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_EQ(ERRMSG, " Wrong Parameters");
  EXPECT_EQ(requests(), 2u);
  EXPECT_EQ(frame(0), frame(1));

  const char* texts[] = {" Protocol Error", " Wrong Parameters", " Tx/Ch Invalid",
                         " Param Overange", " Tx Error",         " Context Error",
                         " Unknown Error",  " Write Disabled"};
  for (int code = 0; code <= 9; ++code) {
    MSGERROR = false;
    ERRMSG = "before";
    rx.faults.refuse = code;
    READ_LINEREJ(0);
    EXPECT_TRUE(MSGERROR);
    EXPECT_EQ(ERRMSG, code <= 7 ? texts[code] : " Refused code " + std::to_string(code)) << code;
  }
}

TEST_F(LinkTest, FaultsCanStartLaterAndHitOneCommand) {
  rx.faults.refuse = 4;
  rx.faults.only_command = CMD_TEMP;
  rx.faults.after = 2;
  READ_TEMP(0);  // request 1
  READ_NO_TX(0);  // request 2
  READ_NO_TX(0);  // another command
  EXPECT_FALSE(MSGERROR);
  READ_TEMP(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_EQ(ERRMSG, " Tx Error");
  EXPECT_EQ(rx.frames(), 5u);
}

TEST_F(LinkTest, WrongFrameByteIsAnInvalidResponseAndRetried) {
  for (int index : {3, 4}) {
    MSGERROR = false;
    rx.clear_requests();
    rx.faults.wrong_frame = index;
    READ_TEMP(0);
    EXPECT_TRUE(MSGERROR);
    EXPECT_EQ(ERRMSG, " Invalid Response");
    EXPECT_EQ(requests(), 2u);
  }
}

TEST_F(LinkTest, TransmitterFailedIsNoErrorButSetsOldValues) {
  rx.faults.tx_failed = true;
  READ_INPUT(0, 1, 3);
  EXPECT_FALSE(MSGERROR);
  EXPECT_TRUE(OLDVALS);
  EXPECT_EQ(ERRMSG, " Tx Failed");
  EXPECT_EQ(requests(), 1u);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[3].VALUE.size(), 11u);
}

TEST_F(LinkTest, NothingIsSentWhileMsgerrorIsSet) {
  MSGERROR = true;
  READ_NO_TX(0);
  SET_TAG(0);
  READ_ALARMS(0, 1, 1);
  EXPECT_EQ(requests(), 0u);
  EXPECT_EQ(plug.connects, 0);
}

TEST_F(LinkTest, NoReplyCostsFiveReadsAndIsNotRepeated) {
  rx.faults.no_reply = true;
  READ_TEMP(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_TRUE(BREAKOUT);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(plug.waited_ms, 5000u);
  EXPECT_EQ(requests(), 1u);
}

TEST_F(LinkTest, AnUnopenablePortAbortsWithoutTraffic) {
  SELECTED_PORT_NAME = "COM9";
  READ_TEMP(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(requests(), 0u);
}

TEST_F(LinkTest, ReplyWithoutEtxIsAbandonedAfter512Bytes) {
  rx.faults.raw_reply = bytes("\x02GAbP" + std::string(600, 'x'));
  READ_TEMP(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_TRUE(BREAKOUT);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(crt::Screen().text(1, 25, 26), "Write Error               ");
  EXPECT_EQ(requests(), 1u);
}

TEST_F(LinkTest, EnquireReadsDigitsTenToFifteen) {
  rx.faults.raw_reply = bytes("\x02GAbP8 15\rALARMS\r\nL1>\r\nH?\r\x03");
  READ_ALARMS(0, 1, 5);
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[5].LOW_ALARM, 114);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[5].HIGH_ALARM, 15);
}

TEST_F(LinkTest, UnreadableNumbersAreFetchedOnceMoreThenADataError) {
  rx.faults.bad_numbers = true;
  READ_ALARMS(0, 1, 2);
  EXPECT_TRUE(MSGERROR);
  EXPECT_EQ(ERRMSG, " Data Error");
  EXPECT_EQ(requests(), 2u);
  EXPECT_EQ(RX().TRANSMITTER[1].CHANNEL[2].HIGH_ALARM, 60);
}

TEST_F(LinkTest, EnquireStaysInsideAReplyWithoutSeparators) {
  rx.faults.raw_reply = bytes("\x02GAbP8 15x\x03");
  READ_ALARMS(0, 1, 5);
  EXPECT_TRUE(MSGERROR);
  EXPECT_EQ(ERRMSG, " Data Error");
}

TEST_F(LinkTest, NonEscapeKeyIsSwallowedEscapeAbortsTheRequest) {
  term.type("a");
  term.type({0, 72});
  READ_TEMP(0);
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_FALSE(crt::KeyPressed());

  term.escape();
  READ_TEMP(0);
  EXPECT_TRUE(MSGERROR);
  EXPECT_TRUE(BREAKOUT);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(requests(), 1u);  // the second frame stopped after its first byte
  EXPECT_EQ(plug.connects, 2);
}

TEST_F(LinkTest, EscapeWhileWaitingForTheReplyAbandonsIt) {
  rx.faults.no_reply = true;
  bool typed = false;
  term.on_wait = [&] {
    if (!typed && requests() == 1) {
      typed = true;
      term.escape();
    }
  };
  READ_TEMP(0);
  EXPECT_TRUE(BREAKOUT);
  EXPECT_TRUE(TIMEOUT);
  EXPECT_EQ(ERRMSG, "  ABORTED   ");
  EXPECT_EQ(plug.waited_ms, 1000u);  // gave up after the first silent second
}

TEST_F(LinkTest, ScreenIsPresentedBeforeEveryReceive) {
  READ_TAG(0);
  EXPECT_GE(term.presents, MSGLENGTH + 1);
}

TEST_F(LinkTest, StatusBitsOfTheLastReply) {
  rx.state().HW1 = false;
  rx.state().ELD = true;
  rx.faults.hht = true;
  READ_INPUT(0, 1, 1);
  EXPECT_FALSE(RX().HW1);
  EXPECT_TRUE(RX().HW2);
  EXPECT_TRUE(ELDINPUT());
  EXPECT_TRUE(QDU57());
  EXPECT_TRUE(HHT);
  EXPECT_FALSE(HIGHWAYOK(3));
  EXPECT_EQ(RX().STATUS1, RXMSG[1]);
  EXPECT_EQ(term.delays, std::vector<unsigned>{500});  // a configurator slows readings down
}

TEST_F(LinkTest, SignoffGoesOutOnTheOpenPortWithoutWaiting) {
  READ_TEMP(0);
  MSGERROR = true;
  SEND_SIGNOFF(0);
  EXPECT_TRUE(rx.signed_off);
  EXPECT_EQ(plug.connects, 1);
  EXPECT_EQ(plug.waited_ms, 0u);
  EXPECT_EQ(frame(1), "\x02\x02" "cPL\x03");
  // Its unread answer is gone with the port: the next exchange reads its own.
  MSGERROR = false;
  READ_NO_TX(0);
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(RX().NO_OF_TX, 2);
}

TEST(Iostr, ThreeDecimalsInTenCharacters) {
  EXPECT_EQ(IOSTR(60), "    60.000");
  EXPECT_EQ(IOSTR(-60), "   -60.000");
  EXPECT_EQ(IOSTR(1), "     1.000");
  EXPECT_EQ(IOSTR(-0.0), "     0.000");
  EXPECT_EQ(IOSTR(123456789.5), "123456789.500");
}

TEST_F(LinkTest, NumberFieldKeepsTheFirstTenCharactersWhenTheyHoldTheNumber) {
  RX().TRANSMITTER[1].CHANNEL[4].HIGH_ALARM = 12345678.5;
  SET_ALARMS(0, 1, 4);
  ASSERT_EQ(requests(), 1u);
  EXPECT_EQ(rx.requests()[0].params, "14   -60.000\r12345678.5\r");
  EXPECT_EQ(rx.state().TRANSMITTER[1].CHANNEL[4].HIGH_ALARM, 12345678.5);
}

TEST(Carries, OnlyNumbersTheFieldHoldsWhole) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  for (auto [x, carried] : std::initializer_list<std::pair<double, bool>>{
           {-99999.999, true}, {999999.9994, true}, {1e6, true}, {12345678.5, true},
           {1234567.891, false}, {123456789.5, false}, {1e10, false}, {12345678901.5, false},
           {std::nan(""), false}, {inf, false}, {-inf, false}})
    EXPECT_EQ(CARRIES(x), carried) << x;
}

// A value its request cannot carry: nothing goes out, the operation fails.
TEST_F(LinkTest, ValuesTheRequestCannotCarryAreNeverSent) {
  const RECIEVER_DATA sound = RX();
  CHANNEL_DATA& ch = RX().TRANSMITTER[1].CHANNEL[2];
  const std::function<void()> cases[] = {
      [&] { ch.HIGH_ALARM = 12345678901.5, SET_ALARMS(0, 1, 2); },
      [&] { ch.THC_DRIVE = 211, SET_INPTYPE(0, 1, 2); },  // ETX
      [&] { RX().DATA_FORMAT = 208, SET_DATAFMT(0); },    // wraps to 00h
      [&] { RX().TAG_FIELD = "A\x01", SET_TAG(0); }};
  for (const auto& send : cases) {
    RX() = sound;
    MSGERROR = false;
    send();
    EXPECT_TRUE(MSGERROR);
    EXPECT_EQ(ERRMSG, " Param Overange");
  }
  EXPECT_EQ(requests(), 0u);
  MSGERROR = false;
  ch.INPUT_TYPE = 207;  // the last code whose digit stays a byte
  SET_INPTYPE(0, 1, 2);
  EXPECT_EQ(frame(0)[7], '\xFF');
}

TEST(Decimal, SignDigitsPointAndExponent) {
  double x = 0;
  for (auto [text, value] : std::initializer_list<std::pair<const char*, double>>{
           {"12", 12}, {"-12.5", -12.5}, {"+5", 5}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000},
           {"2.5E-1", 0.25}, {"114", 114}}) {
    ASSERT_TRUE(DECIMAL(text, x)) << text;
    EXPECT_EQ(x, value) << text;
  }
  x = 7;
  for (const char* bad : {"", "-", ".", "1.2.3", "e5", "1e", "1-2", "--1", "12:", "1e999", " 1"})
    EXPECT_FALSE(DECIMAL(bad, x)) << bad;
  EXPECT_EQ(x, 7);
}

TEST(Getparameter, ReadsNumbersWithALeadingMinus) {
  const std::string reply = "\x02GAbPS 11\r\n   -12.500\r\n1:5.000\r\n      .250\r";
  std::copy(reply.begin(), reply.end(), RXMSG.begin());
  RXMSG[reply.size()] = ETXC;
  MSGLENGTH = static_cast<int>(reply.size());
  int i = 9;
  double a = 1, b = 2, c = 3, d = 4;
  GETPARAMETER(i, a);
  GETPARAMETER(i, b);  // ":" does not convert: the value stays
  GETPARAMETER(i, c);
  EXPECT_EQ(a, -12.5);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 0.25);
  GETPARAMETER(i, d);  // nothing left before the ETX
  EXPECT_EQ(d, 4);
  EXPECT_EQ(i, MSGLENGTH + 1);
}

TEST_F(LinkTest, WrtErrorShowsErrmsgOnTheErrorLine) {
  ERRMSG = " CRC Error";
  crt::Window(10, 10, 20, 12);
  WRTERROR();
  EXPECT_EQ(crt::Screen().text(5, 23, 10), " CRC Error");
  EXPECT_EQ(crt::Screen().bg(5, 23), ERRBAR);
  EXPECT_EQ(term.bells, 1);
  EXPECT_EQ(term.delays, std::vector<unsigned>{2000});
}

TEST_F(LinkTest, WrtWorkingClearsTheErrorAndShowsTheWorkingText) {
  MSGERROR = true;
  WRTWORKING();
  EXPECT_FALSE(MSGERROR);
  EXPECT_EQ(crt::Screen().text(1, 25, 10), "Working...");
  EXPECT_EQ(crt::Screen().bg(1, 25), 0);
}

}  // namespace
