#include "support/fresh_process.h"

namespace {

// What one test leaves behind in every module must be gone for the next.
TEST(FreshProcessState, NothingOfAnEarlierTestRemains) {
  kdv::model::Session session;
  kdv::model::init_model(session);
  session.messages[53] = "Working...";
  kdv::ui::set_text_window(10, 10, 20, 12);
  kdv::ui::text_background(4);
  kdv::ui::write_text("left over");
  session.screens[1].column_count = 2;
  session.screen_number = 6;
  session.reserved_channel = true;
  session.report_destination = 4;
  session.report_receiver = 1;
  session.report_file = "monday";
  session.file_base_name = "plant1";

  reset_console_state();
  session.reset();

  EXPECT_EQ(session.receivers[0], nullptr);
  EXPECT_TRUE(session.messages[53].empty());
  const kdv::ui::ScreenModel& s = kdv::ui::screen_model();
  EXPECT_EQ(s.win_left(), 1);
  EXPECT_EQ(s.win_top(), 1);
  EXPECT_EQ(s.win_right(), kdv::ui::kColumns);
  EXPECT_EQ(s.win_bottom(), kdv::ui::kRows);
  EXPECT_EQ(s.text(10, 10, 9), std::string(9, ' '));
  EXPECT_EQ(s.attr(), 0x07);
  EXPECT_EQ(session.screens[1].column_count, 0);
  EXPECT_EQ(session.screen_number, 0);
  EXPECT_EQ(session.report_destination, 1);
  EXPECT_EQ(session.report_receiver, 0);
  EXPECT_EQ(session.report_file, "out.txt");
  EXPECT_TRUE(session.file_base_name.empty());
  EXPECT_FALSE(session.reserved_channel);
  EXPECT_TRUE(session.start_directory.empty());
  EXPECT_TRUE(session.working_directory.empty());
}

}  // namespace
