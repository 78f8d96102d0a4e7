// Journeys through the live monitors: readings move, the transmitter-failed
// bit is shown without stopping them, Escape stops them, and a receiver
// that vanishes while they run ends them without harm.
#include <gtest/gtest.h>

#include "e2e/journey.h"

namespace {

using namespace std::chrono_literals;
using e2e::Journey;
using e2e::kLong;
using e2e::kShort;

// The main menu's "Monitor all", started from its own menu.
void monitor_all(Journey& j) {
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 5));
  ASSERT_TRUE(j.s.wait_for("SETTINGS", kShort)) << j.dump();
  j.press({"Enter"});  // its "Monitor all" item is highlighted first
  ASSERT_TRUE(j.s.wait_for("Channel 16", kShort)) << j.dump();
}

TEST(Journeys, InputMonitorFollowsOneChannelIntoAlarm) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 4));
  ASSERT_TRUE(j.s.wait_for("Live monitor", kShort)) << j.dump();
  j.press({"Down", "Enter"});  // Channel: 15 goes into high alarm at 60 degrees
  ASSERT_TRUE(j.s.wait_for("   Channel", kShort)) << j.dump();
  j.s.keys("Down Down Down Down Down Down Down Down Down Down Down Down Down Down Enter");
  ASSERT_TRUE(j.s.wait_for("Channel                15", kShort)) << j.dump();
  j.s.keys("Down Down Down Down Down Down Down Down Down Enter");  // Live monitor
  ASSERT_TRUE(j.s.wait_for("HIGH", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Channel 15")) << j.dump();
  EXPECT_TRUE(j.shows("Healthy")) << j.dump();

  j.press({"Escape"});  // stops the readings: the menu is drawn again without them
  ASSERT_TRUE(Journey::until([&] {
    const std::string row = j.s.row(8);
    return row.find('.', row.find("Channel 15")) == std::string::npos;  // no reading
  })) << j.dump();
  EXPECT_TRUE(j.shows("Live monitor"));
  EXPECT_FALSE(j.shows("ABORTED"));
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, FailedTransmitterIsShownWhileReadingsGoOn) {
  Journey j({{}, {"--tx-failed"}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(true));  // the bit alone fails no upload
  EXPECT_FALSE(j.shows("Tx Failed")) << j.dump();
  ASSERT_NO_FATAL_FAILURE(monitor_all(j));
  ASSERT_TRUE(j.s.wait_for("   Tx Failed", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Channel  1")) << j.dump();  // the values are drawn all the same
  j.press({"Escape"});  // taken by the exchange after the error's pause
  ASSERT_TRUE(j.s.wait_gone("Channel 16", kLong)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, ReceiverVanishingUnderTheMonitorEndsItQuietly) {
  Journey j({{}, {"--paced"}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(monitor_all(j));
  ASSERT_TRUE(j.s.wait_for("Healthy", kShort)) << j.dump();

  j.s.kill_simulator();  // the port goes away in the middle of the readings
  ASSERT_TRUE(j.s.wait_gone("Channel 16", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("SETTINGS")) << j.dump();
  EXPECT_FALSE(j.shows("ABORTED")) << j.dump();

  // Back again, the monitor reads on.
  ASSERT_TRUE(j.restart({"--paced"})) << j.s.error();
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("Channel 16", kShort)) << j.dump();
  ASSERT_TRUE(j.s.wait_for("Healthy", kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_TRUE(j.s.wait_gone("Channel 16", kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

}  // namespace
