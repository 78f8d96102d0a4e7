// The console and kdv578ctl on the same files: the console uploads the
// simulator's receiver, saves it and writes its report; kdv578ctl's export
// imports to the same bytes and its report is the console's, byte for byte.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "e2e/journey.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

std::string bytes_of(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(JourneysCtl, UploadedPairExportsExactlyAndReportsAsTheConsoleDoes) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 7));  // Save
  ASSERT_TRUE(j.s.wait_for("      Save", kShort)) << j.dump();
  j.s.text("plant1");
  j.press({"Enter"});
  ASSERT_NO_FATAL_FAILURE(j.choose(2, 6));  // Report, to the offered out.txt
  ASSERT_TRUE(j.s.wait_for("Print report", kShort)) << j.dump();
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("FILE", kShort)) << j.dump();
  j.press({"Up", "Enter"});
  ASSERT_TRUE(j.s.wait_for("Filename", kShort)) << j.dump();
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("Output to         out.txt", kShort)) << j.dump();
  j.press({"Down", "Enter"});
  ASSERT_TRUE(j.s.wait_for("Hardcopy  completed", kShort)) << j.dump();
  j.press({"Enter", "Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());

  const fs::path work = j.s.work_dir();
  const std::string ctl = "cd '" + work.string() + "' && " KDV578_BINARY_DIR "/kdv578ctl ";
  for (const char* args : {"export plant1 -o plant1.toml", "import plant1.toml -o again", "report plant1 -o ctl.txt"})
    ASSERT_EQ(std::system((ctl + args).c_str()), 0) << args;
  EXPECT_EQ(bytes_of(work / "again.rxd"), bytes_of(work / "plant1.rxd"));
  EXPECT_EQ(bytes_of(work / "again.gdt"), bytes_of(work / "plant1.gdt"));
  EXPECT_NE(bytes_of(work / "plant1.toml").find("tag = \"SIMULATED RECEIVER"), std::string::npos);
  ASSERT_FALSE(bytes_of(work / "out.txt").empty());
  // Both reports carry today's date (a run across midnight would differ there).
  EXPECT_EQ(bytes_of(work / "ctl.txt"), bytes_of(work / "out.txt"));
}

}  // namespace
