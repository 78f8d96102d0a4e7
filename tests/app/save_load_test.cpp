#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "app/screen_scratch.h"
#include "files/file_pair.h"
#include "ui/console.h"
#include "sim_port.h"

using namespace kdv::model;

namespace {

// Screen rows of the save/load name box: its field and its message row. The
// boxes' left frame stands in column 29.
constexpr int kNameField = 20, kNameMessage = 21;
const std::string kFrame = "\xBA";

class SaveLoad : public ScreenScratch {
 protected:
  static void touch(const std::string& name) { write_bytes(name, {}); }
};

// ---- Save ---------------------------------------------------------------------

TEST_F(SaveLoad, SaveFormsTheBaseNameAndOffersItNextTime) {
  session.current_receiver().TAG_FIELD = "saved tag";
  touch("old.gdt");
  term.type("plant1.cfg");
  term.enter();
  kdv::app::save(session);
  EXPECT_EQ(row(9, 10, 17), "          old.gdt");  // the listing came first
  EXPECT_EQ(row(10, 10, 13), "No More Files");
  EXPECT_EQ(row(18, 30, 19), "      Save         ");
  EXPECT_EQ(session.file_base_name, "plant1");
  EXPECT_EQ(bytes_of("plant1.gdt").size(), 16u);
  EXPECT_EQ(bytes_of("plant1.rxd").size(), 4816u);
  EXPECT_EQ(term.bells, 0);

  term.enter();  // the default
  kdv::app::save(session);
  EXPECT_EQ(row(kNameField, 31, 15), "plant1         ");
  for (const char* entered : {"abcdefghij", "abcdefg.x", ".hidden"}) {
    term.type(entered);
    term.enter();
    kdv::app::save(session);
  }
  EXPECT_EQ(entries(), (std::vector<std::string>{".gdt", ".rxd", "abcdefg.gdt", "abcdefg.rxd",
                                                 "abcdefgh.gdt", "abcdefgh.rxd", "old.gdt",
                                                 "plant1.gdt", "plant1.rxd"}));
  term.escape();
  kdv::app::save(session);
  EXPECT_EQ(entries().size(), 9u);
}

TEST_F(SaveLoad, SaveFailureSaysDiskAccessErrorAndAsksAgain) {
  term.type("nodir/x");
  term.enter();
  term.escape();
  kdv::app::save(session);
  EXPECT_EQ(term.bells, 1);
  EXPECT_NE(seen.find(kFrame + " Disk Access Error"), std::string::npos);
  EXPECT_EQ(row(kNameMessage, 30, 19), std::string(19, ' '));  // cleared when the field is left
  EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(SaveLoad, SaveIntoReadOnlyDirectoryKeepsTheOldPair) {
  session.current_receiver().TAG_FIELD = "old";
  ASSERT_TRUE(kdv::files::write_pair("plant", session.held_flags, session.current_receiver()));
  const auto old_rxd = bytes_of("plant.rxd");
  session.current_receiver().TAG_FIELD = "new";
  term.type("plant");
  term.enter();
  term.escape();
  {
    ReadOnlyWorkingDir read_only;
    ASSERT_TRUE(read_only.binds());
    kdv::app::save(session);
  }
  EXPECT_NE(seen.find("Disk Access Error"), std::string::npos);
  EXPECT_EQ(bytes_of("plant.rxd"), old_rxd);
}

// ---- Load ---------------------------------------------------------------------

TEST_F(SaveLoad, LoadOfflineRestoresTheRecordWithoutTheDownloadQuestion) {
  session.current_receiver().TAG_FIELD = "from disk";
  session.held_flags.RXCONFIG[2] = true;
  ASSERT_TRUE(kdv::files::write_pair("plant1", session.held_flags, session.current_receiver()));
  session.current_receiver().TAG_FIELD = "in memory";
  session.held_flags.RXCONFIG[2] = false;
  session.transmitter_number = 2;
  session.channel_number = 7;
  term.type("plant1.rxd");
  term.enter();
  kdv::app::load(session);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "from disk");
  EXPECT_TRUE(session.held_flags.RXCONFIG[2]);
  EXPECT_EQ(session.transmitter_number, 1);
  EXPECT_EQ(session.channel_number, 1);
  EXPECT_EQ(session.file_base_name, "plant1");
  EXPECT_EQ(row(18, 30, 18), "      Load        ");
  EXPECT_EQ(seen.find("Download ?"), std::string::npos);

  session.transmitter_number = 3;
  term.escape();  // an empty entry still resets the selection
  kdv::app::load(session);
  EXPECT_EQ(session.transmitter_number, 1);
}

TEST_F(SaveLoad, LoadRefusesAnIncompletePairAndChangesNothing) {
  ASSERT_TRUE(kdv::files::write_pair("half", session.held_flags, session.current_receiver()));
  std::filesystem::remove("half.rxd");
  ASSERT_TRUE(kdv::files::write_pair("short", session.held_flags, session.current_receiver()));
  std::filesystem::resize_file("short.rxd", 4000);
  session.current_receiver().TAG_FIELD = "in memory";
  session.held_flags.RXCONFIG[9] = true;
  const ReceiverRecord rx_before = session.current_receiver();
  const HeldFlagsRecord flags_before = session.held_flags;
  term.type("half");
  term.enter();
  term.type("short");
  term.enter();
  term.escape();
  kdv::app::load(session);
  EXPECT_EQ(term.bells, 2);
  EXPECT_NE(seen.find(kFrame + " Invalid Filename"), std::string::npos);
  EXPECT_EQ(session.current_receiver(), rx_before);
  EXPECT_EQ(session.held_flags, flags_before);
}

TEST_F(SaveLoad, LoadReadsDamagedFieldsSafely) {
  ASSERT_TRUE(kdv::files::write_pair("damaged", session.held_flags, session.current_receiver()));
  auto rxd = bytes_of("damaged.rxd");
  rxd[0] = 255;                      // tag length
  rxd[80 + 32 + 40] = 9;             // alarm state of transmitter 1, channel 1
  write_bytes("damaged.rxd", rxd);
  term.type("damaged");
  term.enter();
  kdv::app::load(session);
  EXPECT_EQ(session.current_receiver().TAG_FIELD.size(), 25u);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].ALARM, kOff);
  EXPECT_EQ(term.bells, 0);
}

TEST_F(SaveLoad, LoadOnlineOffersTheDownload) {
  ASSERT_TRUE(kdv::files::write_pair("plant1", session.held_flags, session.current_receiver()));
  session.online = true;
  session.screen_number = 2;  // run from the main menu
  term.type("plant1");
  term.enter();
  term.enter();  // "No" is preselected
  kdv::app::load(session);
  EXPECT_EQ(row(21, 3, 34), "After Loading configuration is not");
  EXPECT_EQ(row(22, 3, 22), "automatically updated.");
  EXPECT_EQ(row(15, 30, 18), "    Download ?    ");
  EXPECT_EQ(row(17, 30, 18), "       Yes        ");
  EXPECT_EQ(term.keys_left(), 0u);

  term.type("missing");
  term.enter();
  term.escape();  // nothing loaded: no question
  seen.clear();
  kdv::app::load(session);
  EXPECT_EQ(seen.find("Download ?"), std::string::npos);
}

TEST_F(SaveLoad, YesDownloadsTheLoadedConfiguration) {
  kdv::sim::Receiver receiver;
  kdv::sim::PluggedIn plug{receiver, session};
  session.current_receiver().TAG_FIELD = "from disk";
  ASSERT_TRUE(kdv::files::write_pair("plant1", session.held_flags, session.current_receiver()));
  session.current_receiver().TAG_FIELD = "in memory";
  session.online = true;
  session.screen_number = 2;
  term.type("plant1");
  term.enter();
  term.up();  // "Yes"
  term.enter();
  kdv::app::load(session);
  EXPECT_EQ(term.bells, 0);  // no error shown
  EXPECT_TRUE(receiver.state().TAG_FIELD.view().starts_with("from disk"));
}

}  // namespace
