// The frame trace: how bytes and events become lines, and what the link
// writes into it against the simulator.
#include "link/trace.h"

#include <gtest/gtest.h>

#include "files/scratch_dir.h"
#include "link/link.h"
#include "link/link_fixture.h"
#include "support/trace_lines.h"

using namespace kdv::link;

namespace {

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
  EXPECT_EQ(trace_lines("t.trace"), GetParam().lines);
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
  for (const std::string& line : trace_lines("link.trace")) {
    const std::size_t a = line.find('\t') + 1;
    kinds.push_back(line.substr(a, line.find('\t', a) - a));
  }
  const std::vector<std::string> expected = {">", "timeout", "timeout", "timeout", "timeout", "timeout",
                                             ">", "unopened"};
  EXPECT_EQ(kinds, expected);
  EXPECT_NE(trace_lines("link.trace").at(6).find("\t02 02 63\t"), std::string::npos);
}

}  // namespace
