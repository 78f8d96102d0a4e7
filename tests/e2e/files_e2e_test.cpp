// The real program on a real terminal against the real simulator: change
// into a fresh directory, save a configuration pair, load it back and print
// the report to a file there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "e2e/tmux_session.h"

namespace {

using namespace std::chrono_literals;

// Waits until the file exists with the given size.
bool file_of_size(const std::filesystem::path& p, std::uintmax_t size) {
  for (int i = 0; i < 100; ++i) {
    std::error_code ec;
    if (std::filesystem::file_size(p, ec) == size && !ec) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

class FilesE2E : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void press(std::initializer_list<const char*> names) {
    for (const char* k : names) s.keys(k);
  }
  std::string dump() {
    std::string all;
    for (const std::string& line : s.screen()) all += line + "\n";
    return all;
  }

  // The directory field takes at most 24 characters: letters, digits, "/",
  // "." and "_".
  const std::filesystem::path dir = "/tmp/kdvfiles" + std::to_string(::getpid());
  e2e::TmuxSession s;
};

TEST_F(FilesE2E, SaveLoadAndReportInAChosenDirectory) {
  ASSERT_TRUE(s.started()) << s.error();
  ASSERT_TRUE(s.wait_for("Upload  Data", 10s)) << dump();
  press({"Enter"});  // no upload
  ASSERT_TRUE(s.wait_for("Save file", 5s)) << dump();

  press({"Right", "Enter"});  // directory
  ASSERT_TRUE(s.wait_for("Directory", 5s)) << dump();
  s.text(dir.string());
  press({"Enter"});
  ASSERT_TRUE(s.wait_for(dir.string().substr(0, 16), 5s)) << dump();

  press({"Left", "Down", "Down", "Down", "Down", "Down", "Down", "Enter"});  // save
  ASSERT_TRUE(s.wait_for("No More Files", 5s)) << dump();
  s.text("plant1.cfg");
  press({"Enter"});
  EXPECT_TRUE(file_of_size(dir / "plant1.gdt", 16));
  EXPECT_TRUE(file_of_size(dir / "plant1.rxd", 4816));

  ASSERT_TRUE(s.wait_for("Save file", 5s)) << dump();
  press({"Up", "Enter"});  // load
  ASSERT_TRUE(s.wait_for("plant1.gdt", 5s)) << dump();
  press({"Enter"});  // the offered name: plant1
  ASSERT_TRUE(s.wait_for("Download ?", 5s)) << dump();
  press({"Enter"});  // No
  ASSERT_TRUE(s.wait_gone("Download ?", 5s)) << dump();

  press({"Right", "Enter"});  // report
  ASSERT_TRUE(s.wait_for("Print report", 5s)) << dump();
  press({"Enter", "Up", "Enter"});  // output to a file
  ASSERT_TRUE(s.wait_for("Filename", 5s)) << dump();
  press({"Enter"});  // out.txt
  ASSERT_TRUE(s.wait_for("out.txt", 5s)) << dump();
  press({"Down", "Enter"});
  ASSERT_TRUE(s.wait_for("Hardcopy  completed", 5s)) << dump();
  std::ifstream report(dir / "out.txt");
  std::string first, second;
  std::getline(report, first);
  std::getline(report, second);
  EXPECT_EQ(first, "");
  EXPECT_EQ(second, "               Configuration Report KDV 578 Modbus Multiplexer  ");
}

}  // namespace
