// The all-channels monitor of the real program on a real terminal (tmux,
// 80 x 25) against the real simulator pacing its replies at 9600 baud.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "e2e/tmux_session.h"

namespace {

using namespace std::chrono_literals;

// Whether the screen shows the text now.
bool shows(e2e::TmuxSession& s, const std::string& text) { return s.wait_for(text, 0ms); }

// The value shown after the label of channel 1 (row 8), or "".
std::string channel1_value(e2e::TmuxSession& s) {
  const std::string row = s.row(8);
  const std::string label = "Channel  1  ";
  const std::size_t at = row.find(label);
  return at == std::string::npos ? "" : row.substr(at + label.size(), 11);
}

TEST(EndToEnd, AllChannelsMonitorShowsMovingValuesAndEscapeReturnsToItsMenu) {
  e2e::TmuxSession s({}, {"--paced"});
  ASSERT_TRUE(s.started()) << s.error();
  ASSERT_TRUE(s.wait_for("Upload  Data", 10s)) << ::testing::PrintToString(s.screen());
  s.keys("Enter");  // no upload: the monitor reads the receiver directly
  ASSERT_TRUE(s.wait_for("Serial port", 5s)) << ::testing::PrintToString(s.screen());

  s.keys("Right Down Down Down Down Enter");  // Monitor all
  ASSERT_TRUE(s.wait_for("SETTINGS", 5s)) << ::testing::PrintToString(s.screen());
  s.keys("Enter");  // its "Monitor all" item is highlighted first
  ASSERT_TRUE(s.wait_for("Channel 16", 5s)) << ::testing::PrintToString(s.screen());
  EXPECT_TRUE(shows(s, "Channel  8"));
  EXPECT_TRUE(shows(s, "QDU 57"));

  // A pass takes about a quarter of a second at 9600 baud.
  std::set<std::string> values;
  for (int i = 0; i < 40 && values.size() < 3; ++i) {
    const std::string v = channel1_value(s);
    if (!v.empty()) values.insert(v);
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_GE(values.size(), 3u) << ::testing::PrintToString(s.screen());
  EXPECT_FALSE(shows(s, "ABORTED"));

  s.keys("Escape");
  ASSERT_TRUE(s.wait_gone("Channel 16", 5s)) << ::testing::PrintToString(s.screen());
  EXPECT_TRUE(shows(s, "Monitor all"));
  EXPECT_TRUE(shows(s, "SETTINGS"));
  EXPECT_FALSE(shows(s, "ABORTED"));

  s.keys("Escape");  // back to the main menu
  ASSERT_TRUE(s.wait_for("Serial port", 5s)) << ::testing::PrintToString(s.screen());
  s.keys("M-x");
  ASSERT_TRUE(s.wait_for("Exit program (Y/N)", 5s));
  s.text("y");
  const std::optional<int> code = s.wait_exit(5s);
  ASSERT_TRUE(code.has_value()) << ::testing::PrintToString(s.screen());
  EXPECT_EQ(*code, 0);
}

}  // namespace
