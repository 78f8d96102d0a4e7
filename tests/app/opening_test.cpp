// The opening question and the main menu loop, driven by key scripts with
// the shipped screen files and the simulator core.
#include "app/startup.h"

#include "app/menu_fixture.h"
#include "app/port_choice.h"

using namespace kdv::model;

namespace {

class OpeningAndMainMenu : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    session.port_names[1] = "COM1";
    session.port_count = 1;
  }
  // Runs the program's top level until the key script is used up.
  void run() { EXPECT_THROW(kdv::app::run_opening(session), kdv::ui::ScriptExhausted); }
  static std::string at(int col, int row, int len) { return kdv::ui::screen_model().text(col, row, len); }
  // Whether the main menu is on the screen.
  static bool main_menu_shown() {
    return at(4, 8, 6) == "Upload" && at(43, 10, 11) == "Serial port" && at(30, 13, 18) != "    Upload  Data  ";
  }
};

TEST_F(OpeningAndMainMenu, WithoutAPortTheNoticeLeadsToTheMainMenu) {
  session.port_count = 0;
  run();
  EXPECT_EQ(at(30, 13, 18), "COM PORT NOT EXIST");
  EXPECT_EQ(at(30, 15, 18), "        OK        ");
  EXPECT_EQ(kdv::ui::screen_model().ch(1, 1), 0xDA);  // drawn over the background

  term.escape();
  run();
  EXPECT_TRUE(main_menu_shown());
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(OpeningAndMainMenu, TheQuestionOffersNoFirst) {
  run();
  EXPECT_EQ(at(30, 13, 18), "    Upload  Data  ");
  EXPECT_EQ(at(30, 15, 18), "        NO        ");
  EXPECT_EQ(at(30, 16, 18), "        YES       ");
  EXPECT_NE(kdv::ui::screen_model().bg(30, 15), kdv::ui::screen_model().bg(30, 16));  // NO highlighted
  // The value column was filled before the background was drawn.
  EXPECT_EQ(session.value_column[2][3], "    COM1");
  EXPECT_EQ(session.value_column[2][2], "   Online    ");
}

TEST_F(OpeningAndMainMenu, EnterOnNoGoesStraightToTheMainMenu) {
  term.enter();
  run();
  EXPECT_TRUE(main_menu_shown());
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_TRUE(term.delays.empty());
}

TEST_F(OpeningAndMainMenu, YesWaitsHalfASecondThenUploads) {
  term.down();
  term.enter();
  run();
  ASSERT_FALSE(term.delays.empty());
  EXPECT_EQ(term.delays.front(), 500u);
  EXPECT_EQ(rx.requests().size(), 11u + 49 + 25);  // two transmitters, 16 and 8 channels
  EXPECT_TRUE(session.receiver_present[0]);
  // The main menu follows, its status box with the receiver's versions.
  EXPECT_TRUE(main_menu_shown());
  EXPECT_EQ(at(64, 22, 10), "   2.04   ");
  EXPECT_EQ(at(64, 23, 10), "   3.21   ");
}

TEST_F(OpeningAndMainMenu, MenuCodesRunTheirCommands) {
  term.enter();
  term.enter();  // 17: upload
  run();
  EXPECT_EQ(rx.requests().size(), 11u + 49 + 25);
  rx.clear_requests();

  term.enter();  // the question again: NO
  term.down();
  term.down();
  term.down();
  term.down();
  term.enter();  // 21: download
  run();
  EXPECT_EQ(rx.requests().size(), 7u + 49 + 25);
  EXPECT_EQ(session.cursor_row, 5);  // the highlight stays on the command just run
}

TEST_F(OpeningAndMainMenu, EscapeRedrawsTheMainMenu) {
  term.enter();
  term.down();
  term.escape();
  term.down();  // still in the main menu, the highlight where it was
  run();
  EXPECT_TRUE(main_menu_shown());
  EXPECT_EQ(session.cursor_column, 1);
  EXPECT_EQ(session.cursor_row, 3);
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(OpeningAndMainMenu, AChosenPortShowsInTheMainMenu) {
  offer_ports("ttyS9,COM1");
  session.selected_port = "ttyS9";
  term.enter();
  term.right();
  term.down();
  term.down();
  term.enter();  // 35: the port window
  term.down();
  term.enter();
  run();
  EXPECT_EQ(session.selected_port, "COM1");
  EXPECT_EQ(at(61, 10, 16), "    COM1        ");
  EXPECT_EQ(plug.connects, 1);  // the chosen port was opened
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(OpeningAndMainMenu, TheOnlineWindowKeepsTheStateOnEscape) {
  term.enter();
  term.right();
  term.down();
  term.enter();  // 34: online or offline
  term.escape();
  run();
  EXPECT_TRUE(session.online);
  EXPECT_EQ(at(61, 9, 13), "   Online    ");

  term.enter();
  term.right();
  term.down();
  term.enter();
  term.up();  // from Online to Offline
  term.enter();
  run();
  EXPECT_FALSE(session.online);
  EXPECT_EQ(at(61, 9, 13), "  Offline    ");
  EXPECT_EQ(at(66, 21, 7), "Offline");
  EXPECT_TRUE(rx.requests().empty());
}

}  // namespace
