// The real program on a real terminal (tmux, 80 x 25) against the real
// simulator: settings edited online reach the receiver, and a second upload
// brings them back over what was changed offline in between.
#include <gtest/gtest.h>

#include <chrono>

#include "e2e/tmux_session.h"

namespace {

using namespace std::chrono_literals;

class EditingE2E : public ::testing::Test {
 protected:
  // Keys one at a time, as tmux key names.
  void press(std::initializer_list<const char*> names) {
    for (const char* k : names) s.keys(k);
  }
  // Runs an upload from the main menu's first cell and waits for its end.
  void upload() {
    ASSERT_TRUE(s.wait_for(" Uploading", 10s)) << dump();
    ASSERT_TRUE(s.wait_gone(" Uploading", 30s)) << dump();
  }
  // Waits until the pop-up has closed and the menu is drawn again: an
  // online edit has then finished its exchange, so the next key cannot
  // abort it.
  void settle() { ASSERT_TRUE(s.wait_gone("\u2554", 30s)) << dump(); }
  std::string dump() {
    std::string all;
    for (const std::string& line : s.screen()) all += line + "\n";
    return all;
  }

  // Paced at 9600 baud, so every progress text stays up long enough to see.
  e2e::TmuxSession s{{}, {"--paced", "--hca-switch", "0F"}};
};

TEST_F(EditingE2E, TagAndAlarmsEditedOnlineReachTheReceiver) {
  ASSERT_TRUE(s.started()) << s.error();
  ASSERT_TRUE(s.wait_for("Upload  Data", 10s)) << dump();
  press({"Down", "Enter"});  // YES
  upload();

  // Receiver setup: the tag.
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("SIMULATED RECEIV", 5s)) << dump();
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("Tag", 5s));
  s.text("E2E TAG");
  press({"Enter"});
  settle();
  ASSERT_TRUE(s.wait_for("E2E TAG         ", 10s)) << dump();
  press({"Escape"});

  // Channel setup: both alarms of channel 1.
  ASSERT_TRUE(s.wait_for("Channel setup", 5s)) << dump();
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("Scaling calc", 5s)) << dump();
  press({"Down", "Down", "Down", "Down", "Down", "Enter"});
  ASSERT_TRUE(s.wait_for("High alarm", 5s));
  s.text("55");
  press({"Enter"});
  settle();
  ASSERT_TRUE(s.wait_for("   55.0000", 10s)) << dump();
  press({"Down", "Enter"});
  s.text("-7");
  press({"Enter"});
  settle();
  ASSERT_TRUE(s.wait_for("   -7.0000", 10s)) << dump();
  press({"Escape"});

  // Offline, the record changes in memory only.
  ASSERT_TRUE(s.wait_for("Link mode", 5s)) << dump();
  press({"Right", "Up", "Enter", "Up", "Enter"});  // (2, 2): Offline
  ASSERT_TRUE(s.wait_for("Offline", 5s)) << dump();
  press({"Left", "Enter", "Down", "Enter"});
  s.text("LOCAL ONLY");
  press({"Enter"});
  settle();
  ASSERT_TRUE(s.wait_for("LOCAL ONLY", 5s)) << dump();
  press({"Escape"});

  // Online again, a second upload shows what the receiver holds.
  ASSERT_TRUE(s.wait_for("Link mode", 5s)) << dump();
  press({"Right", "Enter", "Down", "Enter"});  // (2, 2): Online
  ASSERT_TRUE(s.wait_for("   Online", 5s)) << dump();
  press({"Left", "Up", "Enter"});
  upload();
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("E2E TAG", 5s)) << dump();
  EXPECT_EQ(dump().find("LOCAL ONLY"), std::string::npos);
  press({"Escape"});
  ASSERT_TRUE(s.wait_for("Channel setup", 5s)) << dump();
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("Scaling calc", 5s)) << dump();
  EXPECT_TRUE(s.wait_for("   55.0000", 5s)) << dump();
  EXPECT_TRUE(s.wait_for("   -7.0000", 5s)) << dump();
}

}  // namespace
