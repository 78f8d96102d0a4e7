// The golden transcripts: every scenario of golden/scenarios.txt is run by
// the recorder (kdv578_golden, one process each) and its transcript must
// equal the committed one in golden/transcripts/ byte for byte.
// KDV578_GOLDEN_UPDATE=1 rewrites the committed transcripts instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = KDV578_SOURCE_DIR "/tests/golden";
const fs::path kScenarios = kGolden / "scenarios.txt";

std::vector<std::string> scenario_names() {
  std::ifstream in(kScenarios);
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("== ")) names.push_back(line.substr(3));
  return names;
}

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The first line where the two differ, with the lines before it.
std::string first_difference(const std::string& want, const std::string& got) {
  const std::vector<std::string> a = lines(want), b = lines(got);
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  std::ostringstream out;
  out << "first difference at line " << i + 1 << ":\n";
  for (std::size_t k = i >= 4 ? i - 4 : 0; k < i; ++k) out << "    " << a[k] << "\n";
  out << "  - " << (i < a.size() ? a[i] : "(end of the committed transcript)") << "\n";
  out << "  + " << (i < b.size() ? b[i] : "(end of the new transcript)") << "\n";
  return out.str();
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, TranscriptIsUnchanged) {
  const std::string name = GetParam();
  const fs::path produced = fs::path(KDV578_BINARY_DIR) / "golden" / (name + ".txt");
  fs::create_directories(produced.parent_path());
  const std::string command = "'" KDV578_GOLDEN_RECORDER "' '" + kScenarios.string() + "' " + name +
                              " '" + produced.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string got = read(produced);
  const fs::path committed = kGolden / "transcripts" / (name + ".txt");
  if (const char* update = std::getenv("KDV578_GOLDEN_UPDATE"); update && std::string(update) == "1") {
    fs::create_directories(committed.parent_path());
    std::ofstream(committed, std::ios::binary) << got;
    return;
  }
  ASSERT_TRUE(fs::exists(committed)) << "no transcript for " << name << ": record it with KDV578_GOLDEN_UPDATE=1";
  const std::string want = read(committed);
  if (want != got) FAIL() << name << ": " << first_difference(want, got) << "new transcript: " << produced;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Golden, ::testing::ValuesIn(scenario_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(GoldenSet, EveryTranscriptHasItsScenario) {
  const std::vector<std::string> names = scenario_names();
  ASSERT_FALSE(names.empty());
  for (const auto& e : fs::directory_iterator(kGolden / "transcripts"))
    EXPECT_NE(std::find(names.begin(), names.end(), e.path().stem().string()), names.end())
        << e.path().filename() << " has no scenario";
}

}  // namespace
