// The console and kdv578ctl against the same simulated receiver: the request
// frames of kdv578ctl's upload and download are the console's, frame for
// frame and in the same order (a download then reads the checksum mode).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/journey.h"

namespace {

using namespace e2e;

// The request frames in the simulator's log, in order.
std::vector<std::string> requests(const std::string& log) {
  std::vector<std::string> out;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("> ", 0) == 0) out.push_back(line.substr(2));
  return out;
}

std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t from, std::size_t to) {
  return {v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(to)};
}

TEST(JourneysCtl, UploadAndDownloadSendTheConsolesFramesInItsOrder) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  const std::size_t uploaded = requests(j.s.simulator_log()).size();
  const int tags = j.requests(kTag);
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 5));  // Download
  ASSERT_TRUE(j.sent(kTag, tags + 1)) << j.s.simulator_log();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  ASSERT_NO_FATAL_FAILURE(j.quit());
  const std::size_t downloaded = requests(j.s.simulator_log()).size();

  const std::string ctl = "cd '" + j.s.work_dir() + "' && " KDV578_BINARY_DIR "/kdv578ctl ";
  const std::string port = " --port '" + j.s.port() + "'";
  ASSERT_EQ(std::system((ctl + "upload -o site.toml" + port).c_str()), 0);
  const std::size_t ctl_uploaded = requests(j.s.simulator_log()).size();
  ASSERT_EQ(std::system((ctl + "download site.toml" + port).c_str()), 0);
  const std::vector<std::string> all = requests(j.s.simulator_log());

  const std::vector<std::string> console_upload = slice(all, 0, uploaded);
  EXPECT_EQ(console_upload.size(), 11u + 49u + 25u);  // a 571 and a 572
  EXPECT_EQ(slice(all, downloaded, ctl_uploaded), console_upload);
  const std::vector<std::string> console_download = slice(all, uploaded, downloaded);
  EXPECT_EQ(console_download.size(), 7u + 49u + 25u);
  // Then the checksum mode the document gives, which no download sends, is
  // read back: the upload's ninth reading.
  ASSERT_EQ(all.size(), ctl_uploaded + console_download.size() + 1);
  EXPECT_EQ(slice(all, ctl_uploaded, all.size() - 1), console_download);
  EXPECT_EQ(all.back(), console_upload[8]);
}

}  // namespace
