#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "files/disk.h"
#include "files/scratch_dir.h"
#include "ui/crt.h"
#include "ui/wind.h"

using namespace globals;

namespace {

// Screen rows of the save/load name box: its field and its message row. The
// boxes' left frame stands in column 29.
constexpr int NAME_FIELD = 20, NAME_MESSAGE = 21;
const std::string FRAME = "\xBA";

class SaveLoad : public ScreenScratch {
 protected:
  void SetUp() override {
    ScreenScratch::SetUp();
    disk::FILENAME = "";
  }
  static void touch(const std::string& name) { write_bytes(name, {}); }
};

// ---- Save ---------------------------------------------------------------------

TEST_F(SaveLoad, SaveFormsTheBaseNameAndOffersItNextTime) {
  RX().TAG_FIELD = "saved tag";
  touch("old.gdt");
  term.type("plant1.cfg");
  term.enter();
  disk::SAVE();
  EXPECT_EQ(row(9, 10, 17), "          old.gdt");  // the listing came first
  EXPECT_EQ(row(10, 10, 13), "No More Files");
  EXPECT_EQ(row(18, 30, 19), "      Save         ");
  EXPECT_EQ(disk::FILENAME, "plant1");
  EXPECT_EQ(bytes_of("plant1.gdt").size(), 16u);
  EXPECT_EQ(bytes_of("plant1.rxd").size(), 4816u);
  EXPECT_EQ(term.bells, 0);

  term.enter();  // the default
  disk::SAVE();
  EXPECT_EQ(row(NAME_FIELD, 31, 15), "plant1         ");
  for (const char* entered : {"abcdefghij", "abcdefg.x", ".hidden"}) {
    term.type(entered);
    term.enter();
    disk::SAVE();
  }
  EXPECT_EQ(entries(), (std::vector<std::string>{".gdt", ".rxd", "abcdefg.gdt", "abcdefg.rxd",
                                                 "abcdefgh.gdt", "abcdefgh.rxd", "old.gdt",
                                                 "plant1.gdt", "plant1.rxd"}));
  term.escape();
  disk::SAVE();
  EXPECT_EQ(entries().size(), 9u);
}

TEST_F(SaveLoad, SaveFailureSaysDiskAccessErrorAndAsksAgain) {
  term.type("nodir/x");
  term.enter();
  term.escape();
  disk::SAVE();
  EXPECT_EQ(term.bells, 1);
  EXPECT_NE(seen.find(FRAME + " Disk Access Error"), std::string::npos);
  EXPECT_EQ(row(NAME_MESSAGE, 30, 19), std::string(19, ' '));  // cleared when the field is left
  EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(SaveLoad, SaveIntoReadOnlyDirectoryKeepsTheOldPair) {
  RX().TAG_FIELD = "old";
  ASSERT_TRUE(disk::WRITE_PAIR("plant", GLOBDAT, RX()));
  const auto old_rxd = bytes_of("plant.rxd");
  ::chmod(".", 0555);
  if (::access(".", W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user (root)";
  RX().TAG_FIELD = "new";
  term.type("plant");
  term.enter();
  term.escape();
  disk::SAVE();
  EXPECT_NE(seen.find("Disk Access Error"), std::string::npos);
  EXPECT_EQ(bytes_of("plant.rxd"), old_rxd);
}

}  // namespace
