#include "transfer/copy.h"

#include <string>
#include <vector>

#include "monitor/sim_menu_fixture.h"

using namespace globals;

namespace {

class CopyTest : public SimMenuTest {
 protected:
  void SetUp() override {
    SimMenuTest::SetUp();
    RX().NO_OF_TX = 2;
    // Distinct settings in every channel, so any copy shows.
    for (int t = 1; t <= 4; ++t) {
      TRANSMITTER_DATA& tx = RX().TRANSMITTER[t];
      tx.CJTEMP = "tx" + std::to_string(t);
      for (int c = 1; c <= 16; ++c) {
        CHANNEL_DATA& ch = tx.CHANNEL[c];
        ch.INPUT_TYPE = static_cast<byte>(c % 10);
        ch.THC_DRIVE = static_cast<byte>(c % 3);
        ch.HIGH_ALARM = 100 * t + c;
        ch.LOW_ALARM = -(100 * t + c);
        ch.SCALE_GAIN = t + c / 100.0;
        ch.VALUE = "v" + std::to_string(t) + "." + std::to_string(c);
      }
    }
    TXNO = 1;
    CHNO = 3;
    original = *RECEIVER[0];
    // Whatever the copy box shows is kept for the test to look at.
    term.on_wait = [this] {
      for (int row = 9; row <= 15; ++row) {
        const std::string line = at(30, row, 18);
        if (line == "    COMPLETED     ") completed = true;
        if (line == "    Download ?    ") asked = true;
      }
    };
  }

  // Menu keys from the first highlighted cell (1, 2).
  void to_dest_tx() { term.right(); }                    // (2, 2)
  void pick(int moves_down) {
    for (int i = 0; i < moves_down; ++i) term.down();
    term.enter();
  }

  static bool same(const CHANNEL_DATA& a, const CHANNEL_DATA& b) {
    return a.VALUE == b.VALUE.view() && a.VUNIT == b.VUNIT.view() && a.HIGH_ALARM == b.HIGH_ALARM &&
           a.LOW_ALARM == b.LOW_ALARM && a.ALARM == b.ALARM && a.INPUT_TYPE == b.INPUT_TYPE &&
           a.THC_DRIVE == b.THC_DRIVE && a.SCALE_IPZERO == b.SCALE_IPZERO &&
           a.SCALE_OPZERO == b.SCALE_OPZERO && a.SCALE_GAIN == b.SCALE_GAIN;
  }
  // Channels of the record that differ from the original, as "t.c".
  std::vector<std::string> changed() const {
    std::vector<std::string> out;
    for (int t = 1; t <= 4; ++t)
      for (int c = 1; c <= 16; ++c)
        if (!same(RX().TRANSMITTER[t].CHANNEL[c], original.TRANSMITTER[t].CHANNEL[c]))
          out.push_back(std::to_string(t) + "." + std::to_string(c));
    return out;
  }

  // Source transmitter 1 channel 3 to transmitter 2 channel 5, then Escape.
  void copy_3_to_tx2_ch5() {
    to_dest_tx();
    term.enter();
    pick(1);     // destination transmitter 2 (line 1 preselected)
    term.down();  // (2, 3)
    term.enter();
    pick(2);     // channel 3 preselected: two down gives 5
    term.down();  // (2, 4) start
    term.enter();
    term.escape();
    copy::COPYRX();
  }

  RECIEVER_DATA original;
  bool completed = false;
  bool asked = false;
};

TEST_F(CopyTest, OneChannelOnlineIsSentAtOnceWithThreeSetCommands) {
  ONLINE = true;
  rx.state().TRANSMITTER[2].TXTYPE = 1;  // takes the thermocouple input type
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_TRUE(same(RX().TRANSMITTER[2].CHANNEL[5], original.TRANSMITTER[1].CHANNEL[3]));
  ASSERT_EQ(rx.requests().size(), 3u);
  EXPECT_EQ(rx.requests()[0].command, comms::CMD_INPTYPE);
  EXPECT_EQ(rx.requests()[1].command, comms::CMD_SCALES);
  EXPECT_EQ(rx.requests()[2].command, comms::CMD_ALARMS);
  for (const sim::Request& q : rx.requests()) EXPECT_EQ(q.params.substr(0, 2), "25");
  EXPECT_EQ(rx.state().TRANSMITTER[2].CHANNEL[5].HIGH_ALARM, 103);
  EXPECT_EQ(rx.state().TRANSMITTER[2].CHANNEL[5].INPUT_TYPE, 3);
  EXPECT_TRUE(completed);
  EXPECT_FALSE(asked);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_EQ(term.bells, 0);
}

TEST_F(CopyTest, OneChannelOfflineChangesMemoryOnly) {
  ONLINE = false;
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_TRUE(completed);
  EXPECT_FALSE(asked);
}

TEST_F(CopyTest, FailedSendShowsTheErrorKeepsTheCopyAndCompletes) {
  ONLINE = true;
  rx.faults.refuse = 7;
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_EQ(requests(comms::CMD_INPTYPE), 2);  // refused and retried, then nothing more
  EXPECT_EQ(rx.requests().size(), 2u);
  EXPECT_EQ(term.bells, 1);
  EXPECT_TRUE(completed);
}

TEST_F(CopyTest, AChannelWithAValueTheLinkCannotCarryIsNotSent) {
  ONLINE = true;
  RX().TRANSMITTER[1].CHANNEL[3].LOW_ALARM = 12345678901.5;
  copy_3_to_tx2_ch5();
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_EQ(term.bells, 1);
  EXPECT_TRUE(completed);
}

TEST_F(CopyTest, SourceChannelAllForcesDestinationAllWithOnlyTheAllItem) {
  ONLINE = false;
  term.down();   // (1, 3) source channel
  term.enter();
  for (int i = 0; i < 14; ++i) term.down();  // channel 3 to line 17, ALL
  term.enter();
  term.right();  // (2, 3) destination channel
  term.enter();
  term.enter();  // the single ALL line
  term.escape();
  std::string box_line1, box_line2;
  auto keep = term.on_wait;
  term.on_wait = [&] {
    keep();
    if (at(30, 17, 18) == "        ALL       ") {
      box_line1 = at(30, 17, 18);
      box_line2 = at(30, 18, 18);
    }
  };
  copy::COPYRX();
  EXPECT_EQ(box_line1, "        ALL       ");
  EXPECT_EQ(box_line2, std::string(18, '\xCD'));  // the frame closes under it
  EXPECT_EQ(wind::DISP[1][3].str(), "  ALL");
  EXPECT_EQ(wind::DISP[2][3].str(), "  ALL");
  EXPECT_EQ(wind::DISP[1][2].str(), "   1");
  EXPECT_TRUE(changed().empty());  // nothing copied yet
}

TEST_F(CopyTest, AllToAllOnlineAsksAndYesDownloadsReceiverAndFourTransmitters) {
  ONLINE = true;
  term.enter();  // (1, 2) source transmitter: lines 1, 2, ALL
  pick(2);
  term.down();   // (1, 3) source channel
  term.enter();
  for (int i = 0; i < 14; ++i) term.down();  // channel 3 to line 17
  term.enter();
  term.right();
  term.down();   // (2, 4) start
  term.enter();
  term.up();     // No is preselected: up to Yes
  term.enter();
  term.escape();
  copy::COPYRX();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(completed);
  EXPECT_TRUE(changed().empty());  // each transmitter copied onto itself
  EXPECT_EQ(requests(comms::CMD_TAG), 1);
  EXPECT_EQ(requests(comms::CMD_TXTYPE), 4);
  EXPECT_EQ(requests(comms::CMD_INPTYPE), 4 * 16);
  EXPECT_EQ(requests(comms::CMD_ALARMS), 4 * 16);
  EXPECT_EQ(rx.state().TRANSMITTER[4].CHANNEL[16].HIGH_ALARM, 416);
  EXPECT_EQ(wind::XCUR, 1);  // the menu cursor is given back
  EXPECT_EQ(wind::YCUR, 1);
}

TEST_F(CopyTest, DownloadQuestionAnsweredWithEscapeSendsNothing) {
  ONLINE = true;
  term.down();
  term.enter();
  for (int i = 0; i < 14; ++i) term.down();
  term.enter();  // source channel ALL
  term.right();
  term.down();
  term.enter();  // start: transmitter 1 onto itself
  term.escape(); // the question
  term.escape(); // the menu
  copy::COPYRX();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(CopyTest, OneTransmitterOffersItem1AsSourceAndItem1AndAllAsDestination) {
  RX().NO_OF_TX = 1;
  std::vector<std::string> boxes;
  auto keep = term.on_wait;
  term.on_wait = [&] {
    keep();
    const std::string title = at(30, 15, 18);
    if (title.substr(0, 3) == "   " && title.find("Transmitter") != std::string::npos)
      boxes.push_back(at(30, 17, 18) + "|" + at(30, 18, 18) + "|" + at(29, 19, 1));
  };
  term.enter();  // source transmitter box
  term.down();   // one line only: the highlight stays
  term.enter();
  term.right();
  term.enter();  // destination transmitter box
  term.down();   // to ALL
  term.enter();
  term.escape();
  copy::COPYRX();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front().substr(0, 18), "         1        ");
  EXPECT_EQ(boxes.front().substr(19, 18).find("ALL"), std::string::npos);
  EXPECT_EQ(boxes.back(), "         1        |        ALL       |\xC8");
  EXPECT_EQ(wind::DISP[1][2].str(), "   1");
  EXPECT_EQ(wind::DISP[2][2].str(), "  ALL");
}

TEST_F(CopyTest, TransmitterCountOutsideItsRangeOffersFourAtMost) {
  RX().NO_OF_TX = 9;  // a damaged file
  term.right();
  term.enter();
  for (int i = 0; i < 6; ++i) term.up();  // 1, then up round lines 5 to 1 to 5
  term.enter();
  term.escape();
  copy::COPYRX();
  EXPECT_EQ(wind::DISP[2][2].str(), "  ALL");  // line 5 is ALL: four transmitters listed
}

TEST_F(CopyTest, OneChannelToAllChannelsOfA572CopiesSixteenRecords) {
  ONLINE = false;
  RX().TRANSMITTER[2].TXTYPE = 2;
  copy::OPT source{0, 1, 3};
  copy::OPT dest{0, 2, copy::ALL};
  copy::byte dload = 0;
  copy::GOCOPY(source, dest, dload);
  EXPECT_EQ(dload, 1);
  std::vector<std::string> expected;
  for (int c = 1; c <= 16; ++c) {
    expected.push_back("2." + std::to_string(c));
    EXPECT_TRUE(same(RX().TRANSMITTER[2].CHANNEL[c], original.TRANSMITTER[1].CHANNEL[3])) << c;
  }
  EXPECT_EQ(changed(), expected);
  EXPECT_EQ(RX().TRANSMITTER[2].TXTYPE, 2);  // a channel copy keeps the transmitter's own fields
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(CopyTest, TransmitterCopiesAndAllDestinations) {
  ONLINE = true;  // copies of more than one channel are never sent by GOCOPY itself
  RX().TRANSMITTER[2].TXTYPE = 2;
  copy::byte dload = 0;
  // Whole transmitter 2 onto transmitter 3: type, cold junction and channels.
  copy::GOCOPY({0, 2, copy::ALL}, {0, 3, copy::ALL}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_EQ(RX().TRANSMITTER[3].TXTYPE, 2);
  EXPECT_EQ(RX().TRANSMITTER[3].CJTEMP.str(), "tx2");
  EXPECT_TRUE(same(RX().TRANSMITTER[3].CHANNEL[16], original.TRANSMITTER[2].CHANNEL[16]));
  // Transmitter 1 onto all four.
  copy::GOCOPY({0, 1, copy::ALL}, {0, copy::ALL, copy::ALL}, dload);
  for (int t = 1; t <= 4; ++t) EXPECT_EQ(RX().TRANSMITTER[t].CJTEMP.str(), "tx1") << t;
  // Channel 7 of transmitter 4 to channel 2 of every transmitter.
  *RECEIVER[0] = original;
  copy::GOCOPY({0, 4, 7}, {0, copy::ALL, 2}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_EQ(changed(), (std::vector<std::string>{"1.2", "2.2", "3.2", "4.2"}));
  // An "all" source with a numbered destination is taken as all to all.
  *RECEIVER[0] = original;
  copy::GOCOPY({0, copy::ALL, copy::ALL}, {0, 2, 5}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_TRUE(changed().empty());
  EXPECT_TRUE(rx.requests().empty());
}

}  // namespace
