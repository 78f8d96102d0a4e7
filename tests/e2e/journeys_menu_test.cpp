// Journeys through the main menu's commands, the real program on a real
// terminal (tmux, 80 x 25) against the real simulator: what a commissioning
// engineer does, checked on the screen, on disk and on the line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "e2e/journey.h"

namespace {

using namespace std::chrono_literals;
using e2e::Journey;
using e2e::kLong;
using e2e::kShort;

namespace fs = std::filesystem;

using e2e::kConfirm;
using e2e::kSignoff;
using e2e::kTag;

// Online, a setting chosen in a box goes to the receiver at once: a fresh
// upload reads it back. The setting is the item `downs` rows below the top
// of the settings menu in main menu row `menu`; its new value is the next
// item of its box.
void edited_online_is_read_back(int menu, int downs, const std::string& before,
                                const std::string& after) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, menu));
  ASSERT_TRUE(j.s.wait_for(before, kShort)) << j.dump();
  for (int k = 0; k < downs; ++k) j.press({"Down"});
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("╔═══", kShort)) << j.dump();
  j.press({"Down", "Enter"});
  ASSERT_TRUE(j.s.wait_for(after, kShort)) << j.dump();
  j.press({"Escape"});

  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.choose(1, menu));
  EXPECT_TRUE(j.s.wait_for(after, kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, ReceiverSettingEditedOnlineIsReadBackFromTheReceiver) {
  edited_online_is_read_back(2, 5, "Temp units             °C", "Temp units             °F");
}

TEST(Journeys, ChannelSettingEditedOnlineIsReadBackFromTheReceiver) {
  edited_online_is_read_back(3, 4, "O/C drive           Upscale", "O/C drive           Downscale");
}

TEST(Journeys, OfflineChangeReachesTheReceiverOnlyByDownload) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.go_online(false));
  EXPECT_TRUE(j.shows("Programming:  Offline")) << j.dump();

  const int tags_before = j.requests(kTag);
  ASSERT_NO_FATAL_FAILURE(j.tag_field("SIMULATED RECEIV"));
  j.s.text("OFFLINE TAG");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("OFFLINE TAG", kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_EQ(j.requests(kTag), tags_before);  // nothing sent offline

  ASSERT_NO_FATAL_FAILURE(j.go_online(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 5));  // Download
  ASSERT_TRUE(j.sent(kTag, tags_before + 1)) << j.s.simulator_log();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_FALSE(j.shows("ABORTED"));

  // The receiver now holds the tag: an upload brings it back.
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 2));
  EXPECT_TRUE(j.s.wait_for("OFFLINE TAG", kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, SavedPairLoadsBackAndDownloadsOnRequest) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));

  ASSERT_NO_FATAL_FAILURE(j.choose(1, 7));  // Save
  ASSERT_TRUE(j.s.wait_for("No More Files", kShort)) << j.dump();
  ASSERT_TRUE(j.s.wait_for("      Save", kShort)) << j.dump();
  j.s.text("plant1.cfg");
  j.press({"Enter"});
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  const fs::path gdt = fs::path(j.s.work_dir()) / "plant1.gdt";
  const fs::path rxd = fs::path(j.s.work_dir()) / "plant1.rxd";
  ASSERT_TRUE(fs::exists(gdt) && fs::exists(rxd));
  EXPECT_EQ(fs::file_size(gdt), 16u);
  EXPECT_EQ(fs::file_size(rxd), 4816u);

  // Changed offline, then loaded back: the saved tag returns.
  ASSERT_NO_FATAL_FAILURE(j.go_online(false));
  ASSERT_NO_FATAL_FAILURE(j.tag_field("SIMULATED RECEIV"));
  j.s.text("CHANGED");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("CHANGED", kShort)) << j.dump();
  j.press({"Escape"});

  ASSERT_NO_FATAL_FAILURE(j.choose(1, 6));  // Load: the listing, then the name
  ASSERT_TRUE(j.s.wait_for("plant1.gdt", kShort)) << j.dump();
  ASSERT_TRUE(j.s.wait_for("      Load", kShort)) << j.dump();
  EXPECT_TRUE(j.shows(" plant1 ")) << j.dump();  // the last name is offered
  j.press({"Enter"});
  ASSERT_NO_FATAL_FAILURE(j.at_menu());  // offline: no download question
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 2));
  ASSERT_TRUE(j.s.wait_for("SIMULATED RECEIV", kShort)) << j.dump();
  j.press({"Escape"});

  // A name that does not exist is refused and asked again.
  ASSERT_NO_FATAL_FAILURE(j.go_online(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 6));
  ASSERT_TRUE(j.s.wait_for("      Load", kShort)) << j.dump();
  j.s.text("nosuch");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("Invalid Filename", kShort)) << j.dump();
  j.s.text("plant1");
  j.press({"Enter"});
  // Online, the loaded pair may go to the receiver at once.
  ASSERT_TRUE(j.s.wait_for("After Loading configuration is not", kShort)) << j.dump();
  ASSERT_TRUE(j.s.wait_for("Download ?", kShort)) << j.dump();
  const int tags_before = j.requests(kTag);
  j.press({"Up", "Enter"});  // Yes
  ASSERT_TRUE(j.sent(kTag, tags_before + 1)) << j.s.simulator_log();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_FALSE(j.shows("ABORTED"));
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, DirectoryCommandChangesWhereFilesGo) {
  Journey j;
  const fs::path sub = fs::path(j.s.work_dir()) / "site_a";
  fs::create_directory(sub);
  std::ofstream(sub / "old.gdt") << "0123456789abcdef";
  ASSERT_NO_FATAL_FAILURE(j.open(false));

  // A directory that does not exist is refused; the field keeps the text.
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 1));
  ASSERT_TRUE(j.s.wait_for("    Directory", kShort)) << j.dump();
  j.s.text("nowhere");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("     ERROR", kShort)) << j.dump();
  j.s.text("site_a");  // the first key typed replaces the offered text
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("Directory         site_a", kShort)) << j.dump();

  ASSERT_NO_FATAL_FAILURE(j.choose(1, 7));  // Save lists the new directory
  ASSERT_TRUE(j.s.wait_for("old.gdt", kShort)) << j.dump();
  EXPECT_TRUE(j.shows(" Directory site_a")) << j.dump();
  j.s.text("inside");
  j.press({"Enter"});
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_TRUE(fs::exists(sub / "inside.gdt"));
  EXPECT_TRUE(fs::exists(sub / "inside.rxd"));
  EXPECT_FALSE(fs::exists(fs::path(j.s.work_dir()) / "inside.gdt"));
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, SignoffWarnsThenSendsConfirmAndSignoff) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 8));
  ASSERT_TRUE(j.s.wait_for("SIGNOFF", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Before sending this command the"));
  EXPECT_TRUE(j.shows("configuration link on the KDV578"));
  EXPECT_TRUE(j.shows("should be removed."));
  EXPECT_TRUE(j.shows(" Any key to Continue, ESC to abort"));
  j.press({"Escape"});  // nothing is sent
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_EQ(j.requests(kSignoff), 0);
  EXPECT_EQ(j.requests(kConfirm), 0);

  ASSERT_NO_FATAL_FAILURE(j.choose(1, 8));
  ASSERT_TRUE(j.s.wait_for("SIGNOFF", kShort)) << j.dump();
  j.s.text("x");
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  ASSERT_TRUE(j.sent(kSignoff, 1)) << j.s.simulator_log();
  const std::string log = j.s.simulator_log();
  EXPECT_EQ(e2e::Journey::count(log, kConfirm), 1) << log;
  EXPECT_EQ(e2e::Journey::count(log, kSignoff), 1) << log;
  EXPECT_LT(log.find(std::string("cP") + kConfirm), log.find(std::string("cP") + kSignoff));
  EXPECT_FALSE(j.shows("ABORTED"));
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, ChannelCopiedOnlineIsSentAtOnce) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 4));
  ASSERT_TRUE(j.s.wait_for("COPY FROM", kShort)) << j.dump();
  // Transmitter 1 channel 6 (gain 2.5, output zero -5) to channel 9.
  j.press({"Down", "Enter"});
  ASSERT_TRUE(j.s.wait_for("ALL", kShort)) << j.dump();
  j.s.keys("Down Down Down Down Down Enter");
  ASSERT_TRUE(j.s.wait_for("Channel              6", kShort)) << j.dump();
  j.press({"Right", "Enter"});
  ASSERT_TRUE(j.s.wait_for("ALL", kShort)) << j.dump();
  j.s.keys("Down Down Down Down Down Down Down Down Enter");
  ASSERT_TRUE(j.s.wait_for("Channel              9", kShort)) << j.dump();
  const int scalings = j.requests(e2e::kScales);
  j.press({"Down", "Enter"});  // Start copy
  ASSERT_TRUE(j.s.wait_for("COMPLETED", kShort)) << j.dump();
  EXPECT_EQ(j.requests(e2e::kScales), scalings + 1);
  ASSERT_TRUE(j.s.wait_gone("COMPLETED", kShort)) << j.dump();
  j.press({"Escape"});

  // Read back from the receiver: channel 9 now has channel 6's scaling.
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 3));
  ASSERT_TRUE(j.s.wait_for("Scaling calc", kShort)) << j.dump();
  j.press({"Down", "Down", "Enter"});  // Channel
  ASSERT_TRUE(j.s.wait_for("   Channel", kShort)) << j.dump();
  j.s.keys("Down Down Down Down Down Down Down Down Enter");
  ASSERT_TRUE(j.s.wait_for("Channel                 9", kShort)) << j.dump();
  EXPECT_TRUE(j.s.wait_for("Gain                  2.5000", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Output zero          -5.0000")) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, ReportOfTheUploadedReceiverGoesToAFile) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 6));
  ASSERT_TRUE(j.s.wait_for("Print report", kShort)) << j.dump();
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("FILE", kShort)) << j.dump();
  j.press({"Up", "Enter"});  // the last item: a file
  ASSERT_TRUE(j.s.wait_for("Filename", kShort)) << j.dump();
  j.press({"Enter"});  // the offered out.txt
  ASSERT_TRUE(j.s.wait_for("Output to         out.txt", kShort)) << j.dump();
  j.press({"Down", "Enter"});
  ASSERT_TRUE(j.s.wait_for("Hardcopy  completed", kShort)) << j.dump();
  std::ifstream in(fs::path(j.s.work_dir()) / "out.txt");
  const std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(report.find("Tag Name: SIMULATED RECEIVER"), std::string::npos) << report;
  j.press({"Enter", "Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, PortChoiceMovesTheLinkToAnotherPort) {
  Journey j({{}, {}, {}, {"ttyKDVNONE"}, true});
  ASSERT_NO_FATAL_FAILURE(j.open(false));

  ASSERT_NO_FATAL_FAILURE(j.choose(2, 3));
  ASSERT_TRUE(j.s.wait_for("       ttyKDVNONE", kShort)) << j.dump();
  j.press({"Down", "Enter"});
  ASSERT_TRUE(j.s.wait_for("Serial port           ttyKDVNONE", kShort)) << j.dump();
  // No such device: the upload gives up at once.
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  ASSERT_TRUE(j.s.wait_for("  ABORTED   ", kShort)) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_TRUE(j.shows("HCA:Unknown")) << j.dump();

  // Back on the simulator's port, the upload succeeds.
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 3));
  ASSERT_TRUE(j.s.wait_for("       ttyKDVNONE", kShort)) << j.dump();
  j.press({"Enter"});  // the first port is offered first
  ASSERT_TRUE(j.s.wait_gone("ttyKDVNONE", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Serial port           " + j.s.pty())) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

}  // namespace
