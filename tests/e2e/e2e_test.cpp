// The real program on a pseudo-terminal of tmux (80 x 25) against the real
// simulator on another: start-up, upload, download, quit. The screen is read
// through tmux, so these tests see what a user's terminal shows.
#include <gtest/gtest.h>

#include <thread>

#include "e2e/tmux_session.h"

namespace {

using namespace std::chrono_literals;

bool has(const std::vector<std::string>& screen, const std::string& text) {
  for (const auto& row : screen)
    if (row.find(text) != std::string::npos) return true;
  return false;
}

TEST(EndToEnd, UploadDownloadAndQuitAgainstTheSimulator) {
  // Paced at 9600 baud, so the progress texts can be seen while the link works.
  e2e::TmuxSession s({}, {"--paced"});
  ASSERT_TRUE(s.started()) << s.error();

  ASSERT_TRUE(s.wait_for("Upload  Data", 10s)) << ::testing::PrintToString(s.screen());
  EXPECT_TRUE(has(s.screen(), "NO"));
  EXPECT_TRUE(has(s.screen(), "YES"));

  s.keys("Down Enter");
  EXPECT_TRUE(s.wait_for(" Uploading  Rx  0 Tx  1 Ch", 5s)) << ::testing::PrintToString(s.screen());
  ASSERT_TRUE(s.wait_for("HCA:   2.04", 20s)) << ::testing::PrintToString(s.screen());
  EXPECT_TRUE(has(s.screen(), "IP:   3.21"));
  EXPECT_TRUE(has(s.screen(), "Upload"));  // the main menu is back
  EXPECT_FALSE(has(s.screen(), "ABORTED"));

  s.keys("Down Down Down Down Enter");  // Download
  EXPECT_TRUE(s.wait_for(" Downloading  Tx  1 Ch", 5s)) << ::testing::PrintToString(s.screen());
  EXPECT_TRUE(s.wait_gone("Downloading", 20s)) << ::testing::PrintToString(s.screen());
  EXPECT_FALSE(has(s.screen(), "ABORTED"));
  EXPECT_FALSE(has(s.screen(), "Error"));

  s.keys("M-x");
  ASSERT_TRUE(s.wait_for("Exit program (Y/N)", 5s)) << ::testing::PrintToString(s.screen());
  s.text("y");
  const std::optional<int> code = s.wait_exit(5s);
  ASSERT_TRUE(code.has_value()) << ::testing::PrintToString(s.screen());
  EXPECT_EQ(*code, 0);

  // The terminal is back in its normal mode and the menu screen is gone.
  const std::string stty = s.stty_after_exit();
  EXPECT_NE(stty.find(" icanon"), std::string::npos) << stty;
  EXPECT_NE(stty.find(" echo "), std::string::npos) << stty;
  EXPECT_FALSE(has(s.screen(), "STATUS"));
}

TEST(EndToEnd, AnsweringNoKeepsTheProgramRunning) {
  e2e::TmuxSession s;
  ASSERT_TRUE(s.started()) << s.error();
  ASSERT_TRUE(s.wait_for("Upload  Data", 10s));
  s.keys("Enter");  // NO: the main menu without any upload
  ASSERT_TRUE(s.wait_for("Serial port", 5s));
  EXPECT_TRUE(has(s.screen(), "HCA:Unknown"));

  s.keys("M-x");
  ASSERT_TRUE(s.wait_for("Exit program (Y/N)", 5s));
  s.text("n");
  EXPECT_TRUE(s.wait_gone("Exit program", 5s));
  s.keys("Escape");  // Escape in the main menu never leaves the program
  std::this_thread::sleep_for(300ms);  // a lone Escape, not the start of ESC x
  s.keys("M-x");
  ASSERT_TRUE(s.wait_for("Exit program (Y/N)", 5s));
  s.text("Y");
  const std::optional<int> code = s.wait_exit(5s);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0);
}

}  // namespace
