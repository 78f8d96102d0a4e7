#include "support/fresh_process.h"

namespace {

// What one test leaves behind in every module must be gone for the next.
TEST(FreshProcessState, NothingOfAnEarlierTestRemains) {
  kdv::model::Session session;
  kdv::model::INITCOMMS(session);
  session.MESSAGE[53] = "Working...";
  kdv::ui::Window(10, 10, 20, 12);
  kdv::ui::TextBackground(4);
  kdv::ui::Write("left over");
  session.SCREEN[1].MAXX = 2;
  session.SCNO = 6;
  session.RTD = true;
  session.LPT = 4;
  session.REPORT_RX = 1;
  session.HCFILE = "monday";
  session.FILENAME = "plant1";

  reset_console_state();
  session.reset();

  EXPECT_EQ(session.RECEIVER[0], nullptr);
  EXPECT_TRUE(session.MESSAGE[53].empty());
  const kdv::ui::ScreenModel& s = kdv::ui::Screen();
  EXPECT_EQ(s.win_left(), 1);
  EXPECT_EQ(s.win_top(), 1);
  EXPECT_EQ(s.win_right(), kdv::ui::COLS);
  EXPECT_EQ(s.win_bottom(), kdv::ui::ROWS);
  EXPECT_EQ(s.text(10, 10, 9), std::string(9, ' '));
  EXPECT_EQ(s.attr(), 0x07);
  EXPECT_EQ(session.SCREEN[1].MAXX, 0);
  EXPECT_EQ(session.SCNO, 0);
  EXPECT_EQ(session.LPT, 1);
  EXPECT_EQ(session.REPORT_RX, 0);
  EXPECT_EQ(session.HCFILE, "out.txt");
  EXPECT_TRUE(session.FILENAME.empty());
  EXPECT_FALSE(session.RTD);
  EXPECT_TRUE(session.PATH.empty());
  EXPECT_TRUE(session.NAME.empty());
}

}  // namespace
