// The frame trace: how bytes and events become lines, and what the link
// writes into it against the simulator, in-process and over a pseudo-terminal.
#include "link/trace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "files/scratch_dir.h"
#include "link/link.h"
#include "link/link_fixture.h"
#include "process.h"

using namespace kdv::link;

namespace {

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.rfind('#', 0) != 0) lines.push_back(line);
  return lines;
}

// One step fed to a trace file: a byte with its direction and attempt, an
// event, or a flush; the clock stands at ms.
struct Step {
  char what;  // '>' or '<' a byte, 't' time-out, 'h' hang-up, 'f' flush
  int b;
  const char* attempt;
  std::int64_t ms;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  std::vector<std::string> lines;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TraceLines : public ScratchDirOn<>, public ::testing::WithParamInterface<Case> {};

TEST_P(TraceLines, AreGroupedAsTheyCrossed) {
  std::int64_t now = 0;
  std::string error;
  {
    auto file = TraceFile::create("t.trace", error, [&now] { return now; });
    ASSERT_TRUE(file) << error;
    for (const Step& s : GetParam().steps) {
      now = s.ms;
      if (s.what == '>' || s.what == '<') file->byte(s.what == '>', static_cast<std::uint8_t>(s.b), s.attempt);
      if (s.what == 't') file->event(TraceEvent::kTimeout, s.attempt, "no byte within 1000 ms");
      if (s.what == 'h') file->event(TraceEvent::kHangup, s.attempt, "the line hung up");
      if (s.what == 'f') file->flush();
    }
  }
  EXPECT_EQ(lines_of("t.trace"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Trace, TraceLines,
    ::testing::Values(
        Case{"RequestAndReplyEndAtTheirEtx",
             {{'>', 2, "1", 100}, {'>', 'c', "1", 101}, {'>', 3, "1", 102},
              {'<', 2, "1", 110}, {'<', 'b', "1", 111}, {'<', 3, "1", 115}},
             {"2\t>\t1\t02 63 03\t.c.", "15\t<\t1\t02 62 03\t.b."}},
        Case{"JunkBeforeTheStxStaysOnTheReplyLine",
             {{'<', 0xFF, "2", 5}, {'<', 2, "2", 6}, {'<', 3, "2", 7}},
             {"2\t<\t2\tFF 02 03\t..."}},
        Case{"AnEventEndsTheLineBeforeIt",
             {{'>', 2, "1", 0}, {'>', 'A', "1", 1}, {'t', 0, "1", 1001}, {'h', 0, "1", 1002}},
             {"1\t>\t1\t02 41\t.A", "1001\ttimeout\t1\t\tno byte within 1000 ms",
              "1002\thangup\t1\t\tthe line hung up"}},
        Case{"ACutRequestIsWrittenWhenThePortCloses",
             {{'>', 2, "1", 40}, {'>', 2, "1", 41}, {'f', 0, "", 500}},
             {"1\t>\t1\t02 02\t.."}},
        Case{"ANewAttemptStartsANewLine",
             {{'>', 'x', "1", 0}, {'>', 'x', "2", 3}, {'>', 'y', "", 4}},
             {"0\t>\t1\t78\tx", "3\t>\t2\t78\tx", "4\t>\t\t79\ty"}}),
    [](const auto& info) { return std::string(info.param.name); });

class LinkTrace : public ScratchDirOn<LinkTest> {
 protected:
  void TearDown() override {
    stop_trace();
    ScratchDirOn<LinkTest>::TearDown();
  }
};

TEST_F(LinkTrace, SilenceEscapeAndAMissingPortHaveLinesOfTheirOwn) {
  ASSERT_FALSE(start_trace("link.trace"));
  rx.faults.no_reply = true;
  link.READ_NO_TX(0);
  host.escape_at = host.polls + 3;  // the request stops after its third byte
  link.READ_NO_TX(0);
  session.selected_port = "COM9";
  link.READ_NO_TX(0);
  stop_trace();
  std::vector<std::string> kinds;
  for (const std::string& line : lines_of("link.trace")) {
    const std::size_t a = line.find('\t') + 1;
    kinds.push_back(line.substr(a, line.find('\t', a) - a));
  }
  const std::vector<std::string> expected = {">", "timeout", "timeout", "timeout", "timeout", "timeout",
                                             ">", "unopened"};
  EXPECT_EQ(kinds, expected);
  EXPECT_NE(lines_of("link.trace").at(6).find("\t02 02 63\t"), std::string::npos);
}

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
  const auto from_link = lines_of(link_trace);
  const auto from_sim = lines_of(sim_trace);
  ASSERT_EQ(from_link.size(), 4u);
  EXPECT_EQ(bytes_only(from_sim), bytes_only(from_link));
  for (const std::string& l : from_sim) EXPECT_NE(l.find("\t\t"), std::string::npos) << l;  // no attempt
}

}  // namespace
