// The console and the simulator each tracing the frames of an upload
// (KDV578_TRACE, --trace): kdv578ctl reads both back as the same good
// exchanges.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "e2e/journey.h"

namespace {

nlohmann::json decoded(const std::string& trace) {
  const std::string cmd = KDV578_BINARY_DIR "/kdv578ctl trace --json " + trace;
  std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(cmd.c_str(), "r"), ::pclose);
  std::string text;
  char buf[4096];
  for (std::size_t n; out && (n = std::fread(buf, 1, sizeof buf, out.get())) > 0;) text.append(buf, n);
  return nlohmann::json::parse(text, nullptr, false);
}

TEST(TraceJourney, TheConsolesAndTheSimulatorsTracesOfAnUploadAgree) {
  const std::string dir = ::testing::TempDir();
  const std::string console = dir + "kdv578-console.trace", simulator = dir + "kdv578-sim.trace";
  {
    e2e::Journey j({{}, {"--trace", simulator}, {"KDV578_TRACE=" + console}, {}});
    ASSERT_NO_FATAL_FAILURE(j.open(true));
    ASSERT_NO_FATAL_FAILURE(j.quit());
  }
  const nlohmann::json from_console = decoded(console), from_simulator = decoded(simulator);
  ASSERT_TRUE(from_console.is_array());
  ASSERT_EQ(from_console.size(), from_simulator.size());
  EXPECT_EQ(from_console.size(), 11u + 49 + 25);  // a 571 and a 572
  for (std::size_t i = 0; i < from_console.size(); ++i) {
    EXPECT_EQ(from_console[i]["command"], from_simulator[i]["command"]) << i;
    EXPECT_EQ(from_console[i]["reply"], from_simulator[i]["reply"]) << i;
    EXPECT_EQ(from_console[i]["verdict"], "good") << i;
    EXPECT_EQ(from_console[i]["attempt"], 1) << i;
  }
  std::remove(console.c_str());
  std::remove(simulator.c_str());
}

}  // namespace
