// The simulator's own trace: the same bytes as the link's trace of the same
// exchanges, over a pseudo-terminal.
#include <gtest/gtest.h>

#include <sstream>

#include "link/link.h"
#include "link/trace.h"
#include "model/records.h"
#include "process.h"
#include "support/fresh_model.h"
#include "support/trace_lines.h"

using namespace kdv::link;

namespace {

using SimulatorTrace = FreshModel;

TEST_F(SimulatorTrace, MatchesTheLinksTraceByteForByte) {
  kdv::model::init_model(session);
  const std::string dir = ::testing::TempDir();
  const std::string sim_trace = dir + "/sim.trace", link_trace = dir + "/link.trace";
  {
    kdv::sim::Process process(std::string(KDV578_BINARY_DIR) + "/kdv578-sim", {"--trace", sim_trace});
    session.selected_port = process.read_output();
    ASSERT_FALSE(start_trace(link_trace));
    Link link{session};
    link.READ_TAG(0);
    link.READ_SWITCHES(0);
    stop_trace();
  }
  auto bytes_only = [](const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
      std::vector<std::string> f;
      std::stringstream in(l);
      for (std::string s; std::getline(in, s, '\t');) f.push_back(s);
      out.push_back(f.at(1) + " " + f.at(3));
    }
    return out;
  };
  const auto from_link = trace_lines(link_trace);
  const auto from_sim = trace_lines(sim_trace);
  ASSERT_EQ(from_link.size(), 4u);
  EXPECT_EQ(bytes_only(from_sim), bytes_only(from_link));
  for (const std::string& l : from_sim) EXPECT_NE(l.find("\t\t"), std::string::npos) << l;  // no attempt
}

}  // namespace
