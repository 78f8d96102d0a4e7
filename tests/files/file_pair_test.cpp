#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_pair.h"
#include "files/record_images.h"
#include "files/scratch_dir.h"

using namespace kdv::model;

namespace {

class FilePair : public ScratchDir {
 protected:
  static ReceiverRecord record(std::string_view tag) {
    ReceiverRecord r;
    r.TAG_FIELD = tag;
    r.NO_OF_TX = 1;
    r.TRANSMITTER[1].TXTYPE = 2;
    r.TRANSMITTER[1].CHANNEL[3].HIGH_ALARM = 19.5;
    return r;
  }
};

TEST_F(FilePair, SavedFilesHaveTheRecordSizesAndAllBlocks) {
  HeldFlagsRecord f;
  f.RXCONFIG[0] = true;
  const ReceiverRecord r = record("one eight-channel tx");
  ASSERT_TRUE(kdv::files::write_pair("plant1", f, r));
  EXPECT_EQ(entries(), (std::vector<std::string>{"plant1.gdt", "plant1.rxd"}));
  const auto gdt = bytes_of("plant1.gdt");
  const auto rxd = bytes_of("plant1.rxd");
  ASSERT_EQ(gdt.size(), 16u);
  ASSERT_EQ(rxd.size(), 4816u);
  EXPECT_TRUE(std::equal(rxd.begin(), rxd.end(), kdv::files::encode_rxd(r).begin()));
  EXPECT_EQ(gdt[0], 1);
  HeldFlagsRecord f2;
  ReceiverRecord r2;
  ASSERT_TRUE(kdv::files::read_pair("plant1", f2, r2));
  EXPECT_EQ(kdv::files::encode_rxd(r2), kdv::files::encode_rxd(r));
  EXPECT_TRUE(f2.RXCONFIG[0]);
}

TEST_F(FilePair, BareExtensionsForAnEmptyBase) {
  ASSERT_TRUE(kdv::files::write_pair("", HeldFlagsRecord{}, record("x")));
  EXPECT_EQ(entries(), (std::vector<std::string>{".gdt", ".rxd"}));
}

TEST_F(FilePair, LoadChangesNothingUnlessBothFilesAreWhole) {
  ASSERT_TRUE(kdv::files::write_pair("good", HeldFlagsRecord{}, record("from file")));
  auto rxd = bytes_of("good.rxd");
  const auto gdt = bytes_of("good.gdt");
  write_bytes("onlygdt.gdt", gdt);
  write_bytes("short.gdt", gdt);
  write_bytes("short.rxd", std::vector<std::uint8_t>(rxd.begin(), rxd.end() - 1));
  write_bytes("shortgdt.gdt", std::vector<std::uint8_t>(15, 1));
  write_bytes("shortgdt.rxd", rxd);
  std::filesystem::create_directory("dir.rxd");
  write_bytes("dir.gdt", gdt);

  HeldFlagsRecord f;
  f.RXCONFIG[5] = true;
  ReceiverRecord r = record("in memory");
  const HeldFlagsRecord f_before = f;
  const ReceiverRecord r_before = r;
  for (const char* base : {"onlygdt", "short", "shortgdt", "dir", "missing"}) {
    EXPECT_FALSE(kdv::files::read_pair(base, f, r)) << base;
    EXPECT_EQ(r, r_before) << base;
    EXPECT_EQ(f, f_before) << base;
  }
  // A longer file yields its first record, as a file of records does.
  rxd.push_back(0x55);
  write_bytes("long.rxd", rxd);
  write_bytes("long.gdt", gdt);
  ASSERT_TRUE(kdv::files::read_pair("long", f, r));
  EXPECT_EQ(r.TAG_FIELD, "from file");
  EXPECT_FALSE(f.RXCONFIG[5]);
}

TEST_F(FilePair, FailedWriteLeavesTheOldPairAndNoTemporaries) {
  ASSERT_TRUE(kdv::files::write_pair("plant", HeldFlagsRecord{}, record("old pair")));
  const auto old_gdt = bytes_of("plant.gdt");
  const auto old_rxd = bytes_of("plant.rxd");
  HeldFlagsRecord f;
  f.RXCONFIG[1] = true;

  // A disk that fills up after the small file: the ".rxd" cannot be written.
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = kdv::files::write_pair("plant", f, record("new pair"));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(bytes_of("plant.gdt"), old_gdt);
  EXPECT_EQ(bytes_of("plant.rxd"), old_rxd);
  EXPECT_EQ(entries(), (std::vector<std::string>{"plant.gdt", "plant.rxd"}));

  // A target that cannot be replaced.
  std::filesystem::create_directory("blocked.rxd");
  EXPECT_FALSE(kdv::files::write_pair("blocked", f, record("new pair")));
  EXPECT_FALSE(std::filesystem::exists("blocked.gdt"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"blocked.rxd", "plant.gdt", "plant.rxd"}));

  // A folder that does not exist.
  EXPECT_FALSE(kdv::files::write_pair("nodir/plant", f, record("new pair")));
}

TEST_F(FilePair, ReadOnlyDirectoryRefusesTheSave) {
  ASSERT_TRUE(kdv::files::write_pair("plant", HeldFlagsRecord{}, record("old pair")));
  const auto old_rxd = bytes_of("plant.rxd");
  {
    ReadOnlyWorkingDir read_only;
    ASSERT_TRUE(read_only.binds());
    EXPECT_FALSE(kdv::files::write_pair("plant", HeldFlagsRecord{}, record("new pair")));
  }
  EXPECT_EQ(bytes_of("plant.rxd"), old_rxd);
  EXPECT_EQ(entries(), (std::vector<std::string>{"plant.gdt", "plant.rxd"}));
}

TEST_F(FilePair, GdtThatCannotBeReplacedLeavesTheRxdAsItWas) {
  ASSERT_TRUE(kdv::files::write_pair("kept", HeldFlagsRecord{}, record("old pair")));
  const auto old_rxd = bytes_of("kept.rxd");
  std::filesystem::remove("kept.gdt");
  for (const char* base : {"kept", "none"}) {
    std::filesystem::create_directory(std::string(base) + ".gdt");
    EXPECT_FALSE(kdv::files::write_pair(base, HeldFlagsRecord{}, record("new pair")));
  }
  EXPECT_EQ(bytes_of("kept.rxd"), old_rxd);
  EXPECT_EQ(std::filesystem::hard_link_count("kept.rxd"), 1u);
  EXPECT_EQ(entries(), (std::vector<std::string>{"kept.gdt", "kept.rxd", "none.gdt"}));
}

TEST_F(FilePair, ReplacedFilesKeepModeAndOwnerAndLinksStayLinks) {
  std::filesystem::create_directory("store");
  for (const char* base : {"plant", "store/real"})
    ASSERT_TRUE(kdv::files::write_pair(base, HeldFlagsRecord{}, record("old pair")));
  std::filesystem::remove("plant.rxd");
  std::filesystem::create_symlink("store/next.rxd", "plant.rxd");  // a chain, relative to store/
  std::filesystem::create_symlink("real.rxd", "store/next.rxd");
  const std::pair<const char*, int> replaced[] = {{"plant.gdt", 0604}, {"store/real.rxd", 0640}};
  for (auto [path, mode] : replaced) ::chmod(path, static_cast<mode_t>(mode));
  const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
  ASSERT_EQ(::chown("store/real.rxd", owner, static_cast<gid_t>(-1)), 0);
  ASSERT_TRUE(kdv::files::write_pair("plant", HeldFlagsRecord{}, record("new pair")));
  for (auto [path, mode] : replaced)
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(mode)) << path;
  struct stat st {};
  ::stat("store/real.rxd", &st);
  EXPECT_EQ(st.st_uid, owner);
  EXPECT_TRUE(std::filesystem::is_symlink("plant.rxd"));
  ReceiverRecord r;
  ASSERT_TRUE(kdv::files::read_rxd_file("store/real.rxd", r));
  EXPECT_EQ(r.TAG_FIELD, "new pair");
}

TEST_F(FilePair, SingleRxdFileForTheSimulator) {
  ASSERT_TRUE(kdv::files::write_pair("sim", HeldFlagsRecord{}, record("sim start")));
  ReceiverRecord r;
  ASSERT_TRUE(kdv::files::read_rxd_file("sim.rxd", r));
  EXPECT_EQ(r.TAG_FIELD, "sim start");
  EXPECT_FALSE(kdv::files::read_rxd_file("sim.gdt", r));
  EXPECT_FALSE(kdv::files::read_rxd_file("none.rxd", r));
}

TEST(BaseName, CutsAtThePointAndAtEightCharacters) {
  EXPECT_EQ(kdv::files::base_name("plant1.cfg"), "plant1");
  EXPECT_EQ(kdv::files::base_name("abcdefghij"), "abcdefgh");
  EXPECT_EQ(kdv::files::base_name("abcdefg.x"), "abcdefg");
  EXPECT_EQ(kdv::files::base_name("abcdefgh"), "abcdefgh");
  EXPECT_EQ(kdv::files::base_name(".gdt"), "");
  EXPECT_EQ(kdv::files::base_name("a"), "a");
  EXPECT_EQ(kdv::files::base_name("ab."), "ab");
  EXPECT_EQ(kdv::files::base_name("sub/plant1"), "sub/plan");
  EXPECT_EQ(kdv::files::base_name("   "), "   ");
  EXPECT_EQ(kdv::files::base_name(""), "");
}

}  // namespace
