// One audit journal shared by the console and kdv578ctl: an online tag
// change refused once and then accepted, a download, a kdv578ctl set, and
// two kdv578ctl processes writing at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ctl/ctl_run.h"
#include "e2e/journey.h"
#include "files/scratch_dir.h"
#include "link/audit.h"
#include "process.h"

namespace {

using e2e::Journey;
using JournalJourney = ScratchDir;  // kdv578ctl leaves its output there

// "operation outcome keys" of a journal line, keys as JSON.
std::string summary(const nlohmann::ordered_json& line) {
  return line["operation"].get<std::string>() + " " + line["outcome"].get<std::string>() + " " +
         (line.contains("keys") ? line["keys"].dump() : "-");
}

TEST_F(JournalJourney, ConsoleAndCtlShareOneJournalInOrder) {
  const std::string journal = ::testing::TempDir() + "kdv578-shared-audit.jsonl";
  std::remove(journal.c_str());
  const std::string audit = "KDV578_AUDIT=" + journal;
  Journey j({{}, {}, {audit}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  const std::string sim_tag = R"("SIMULATED RECEIVER       ")";
  for (const bool refused : {true, false}) {
    ASSERT_TRUE(j.restart(refused ? std::vector<std::string>{"--write-disabled"} : std::vector<std::string>{}))
        << j.s.error();
    ASSERT_NO_FATAL_FAILURE(j.tag_field("SIMULATED RECEIV"));
    j.s.text("NEW TAG");
    j.press({"Enter"});
    if (refused) {
      ASSERT_TRUE(j.s.wait_for(" Write Disabled", e2e::kShort)) << j.dump();
    }
    ASSERT_TRUE(j.s.wait_for("Tag               " + std::string(refused ? "SIMULATED RECEIV" : "NEW TAG"),
                             e2e::kShort))
        << j.dump();
    j.press({"Escape"});
  }
  const int tags = j.requests(e2e::kTag);
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 5));  // Download
  ASSERT_TRUE(j.sent(e2e::kTag, tags + 1)) << j.s.simulator_log();
  ASSERT_NO_FATAL_FAILURE(j.quit());
  const std::string port = " --port '" + j.s.port() + "'";
  EXPECT_EQ(ctltest::ctl("set receiver.tag=CTL" + port, audit).code, 0);

  const kdv::link::JournalRead read = kdv::link::read_journal(ctltest::text_of(journal));
  EXPECT_TRUE(read.damaged.empty());
  ASSERT_GE(read.entries.size(), 4u);
  const auto& lines = read.entries;
  const std::string tag_change = R"({"receiver.tag":{"old":)" + sim_tag + R"(,"new":"NEW TAG                  "}})";
  EXPECT_EQ(summary(lines[0].second), "SET_TAG refused " + tag_change);
  EXPECT_EQ(lines[0].second["text"], "Write Disabled");
  EXPECT_EQ(summary(lines[1].second), "SET_TAG done " + tag_change);
  // The download: every line done or sent, none with an old value.
  for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i].first);
    EXPECT_EQ(lines[i].second["program"], "kdv578");
    EXPECT_EQ(lines[i].second["outcome"], "done");
    EXPECT_EQ(summary(lines[i].second).find("\"old\""), std::string::npos) << summary(lines[i].second);
  }
  EXPECT_EQ(lines.back().second["program"], "kdv578ctl");
  EXPECT_EQ(summary(lines.back().second),
            R"(SET_TAG done {"receiver.tag":{"old":"NEW TAG                  ","new":"CTL                      "}})");
}

TEST_F(JournalJourney, TwoCtlProcessesWritingAtOnceLeaveWholeLines) {
  const std::string journal = ::testing::TempDir() + "kdv578-two-ctl-audit.jsonl";
  std::remove(journal.c_str());
  kdv::sim::Process a(KDV578_BINARY_DIR "/kdv578-sim", {});
  kdv::sim::Process b(KDV578_BINARY_DIR "/kdv578-sim", {});
  const std::string env = "KDV578_AUDIT=" + journal + " ";
  std::string both;
  for (const std::string& port : {a.read_output(), b.read_output()}) {
    both += env + KDV578_BINARY_DIR "/kdv578ctl set receiver.tag=AT.ONCE tx1.ch3.high_alarm=80 tx1.ch4.low_alarm=5"
                                    " --port '" + port + "' >/dev/null 2>&1 & ";
  }
  ASSERT_EQ(std::system(("(" + both + "wait)").c_str()), 0);
  const kdv::link::JournalRead read = kdv::link::read_journal(ctltest::text_of(journal));
  EXPECT_TRUE(read.damaged.empty());
  EXPECT_EQ(read.entries.size(), 6u);
}

}  // namespace
