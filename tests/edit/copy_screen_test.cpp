// The copy screen: its boxes, the copy it starts, the single channel sent at
// once and the download question.
#include "edit/copy_screen.h"

#include <string>
#include <vector>

#include "link/command_set.h"
#include "monitor/sim_menu_fixture.h"
#include "transfer/copy_fixture.h"

using namespace kdv::model;

namespace {

class CopyScreen : public CopyTestOn<SimMenuTest> {
 protected:
  void SetUp() override {
    CopyTestOn<SimMenuTest>::SetUp();
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
    kdv::edit::copy_menu(session);
  }

  bool completed = false;
  bool asked = false;
};

TEST_F(CopyScreen, OneChannelOnlineIsSentAtOnceWithThreeSetCommands) {
  session.online = true;
  rx.state().TRANSMITTER[2].TXTYPE = 1;  // takes the thermocouple input type
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[5], original.TRANSMITTER[1].CHANNEL[3]);
  ASSERT_EQ(rx.requests().size(), 3u);
  EXPECT_EQ(rx.requests()[0].command, kdv::link::kCommandInputType);
  EXPECT_EQ(rx.requests()[1].command, kdv::link::kCommandScales);
  EXPECT_EQ(rx.requests()[2].command, kdv::link::kCommandAlarms);
  for (const kdv::sim::Request& q : rx.requests()) EXPECT_EQ(q.params.substr(0, 2), "25");
  EXPECT_EQ(rx.state().TRANSMITTER[2].CHANNEL[5].HIGH_ALARM, 103);
  EXPECT_EQ(rx.state().TRANSMITTER[2].CHANNEL[5].INPUT_TYPE, 3);
  EXPECT_TRUE(completed);
  EXPECT_FALSE(asked);
  EXPECT_EQ(term.keys_left(), 0u);
  EXPECT_EQ(term.bells, 0);
}

TEST_F(CopyScreen, OneChannelOfflineChangesMemoryOnly) {
  session.online = false;
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_TRUE(completed);
  EXPECT_FALSE(asked);
}

TEST_F(CopyScreen, FailedSendShowsTheErrorKeepsTheCopyAndCompletes) {
  session.online = true;
  rx.faults.refuse = 7;
  copy_3_to_tx2_ch5();
  EXPECT_EQ(changed(), std::vector<std::string>{"2.5"});
  EXPECT_EQ(requests(kdv::link::kCommandInputType), 2);  // refused and retried, then nothing more
  EXPECT_EQ(rx.requests().size(), 2u);
  EXPECT_EQ(term.bells, 1);
  EXPECT_TRUE(completed);
}

TEST_F(CopyScreen, AChannelWithAValueTheLinkCannotCarryIsNotSent) {
  session.online = true;
  session.current_receiver().TRANSMITTER[1].CHANNEL[3].LOW_ALARM = 12345678901.5;
  copy_3_to_tx2_ch5();
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_EQ(term.bells, 1);
  EXPECT_TRUE(completed);
}

TEST_F(CopyScreen, SourceChannelAllForcesDestinationAllWithOnlyTheAllItem) {
  session.online = false;
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
  kdv::edit::copy_menu(session);
  EXPECT_EQ(box_line1, "        ALL       ");
  EXPECT_EQ(box_line2, std::string(18, '\xCD'));  // the frame closes under it
  EXPECT_EQ(session.value_column[1][3].str(), "  ALL");
  EXPECT_EQ(session.value_column[2][3].str(), "  ALL");
  EXPECT_EQ(session.value_column[1][2].str(), "   1");
  EXPECT_TRUE(changed().empty());  // nothing copied yet
}

TEST_F(CopyScreen, AllToAllOnlineAsksAndYesDownloadsReceiverAndFourTransmitters) {
  session.online = true;
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
  kdv::edit::copy_menu(session);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(completed);
  EXPECT_TRUE(changed().empty());  // each transmitter copied onto itself
  EXPECT_EQ(requests(kdv::link::kCommandTag), 1);
  EXPECT_EQ(requests(kdv::link::kCommandTransmitterType), 4);
  EXPECT_EQ(requests(kdv::link::kCommandInputType), 4 * 16);
  EXPECT_EQ(requests(kdv::link::kCommandAlarms), 4 * 16);
  EXPECT_EQ(rx.state().TRANSMITTER[4].CHANNEL[16].HIGH_ALARM, 416);
  EXPECT_EQ(session.cursor_column, 1);  // the menu cursor is given back
  EXPECT_EQ(session.cursor_row, 1);
}

TEST_F(CopyScreen, DownloadQuestionAnsweredWithEscapeSendsNothing) {
  session.online = true;
  term.down();
  term.enter();
  for (int i = 0; i < 14; ++i) term.down();
  term.enter();  // source channel ALL
  term.right();
  term.down();
  term.enter();  // start: transmitter 1 onto itself
  term.escape(); // the question
  term.escape(); // the menu
  kdv::edit::copy_menu(session);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(CopyScreen, OneTransmitterOffersItem1AsSourceAndItem1AndAllAsDestination) {
  session.current_receiver().NO_OF_TX = 1;
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
  kdv::edit::copy_menu(session);
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front().substr(0, 18), "         1        ");
  EXPECT_EQ(boxes.front().substr(19, 18).find("ALL"), std::string::npos);
  EXPECT_EQ(boxes.back(), "         1        |        ALL       |\xC8");
  EXPECT_EQ(session.value_column[1][2].str(), "   1");
  EXPECT_EQ(session.value_column[2][2].str(), "  ALL");
}

TEST_F(CopyScreen, TransmitterCountOutsideItsRangeOffersFourAtMost) {
  session.current_receiver().NO_OF_TX = 9;  // a damaged file
  term.right();
  term.enter();
  for (int i = 0; i < 6; ++i) term.up();  // 1, then up round lines 5 to 1 to 5
  term.enter();
  term.escape();
  kdv::edit::copy_menu(session);
  EXPECT_EQ(session.value_column[2][2].str(), "  ALL");  // line 5 is ALL: four transmitters listed
}

}  // namespace
