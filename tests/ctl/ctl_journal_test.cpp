// kdv578ctl set against the simulator as a process, journalling every
// change it sends: the lines in order with their outcomes, none when the
// journal is off, one warning and the change made when it cannot be written.
#include <gtest/gtest.h>

#include <memory>

#include "ctl/ctl_run.h"
#include "files/audit.h"
#include "files/scratch_dir.h"
#include "process.h"

namespace {

struct Journalled {
  const char* name;
  std::vector<std::string> sim;
  const char* journal;  // KDV578_AUDIT
  int code;
  std::vector<std::string> lines;  // "operation outcome" per journal line
  int warnings;                    // on standard error
};

using CtlJournal = ScratchDir;

TEST_F(CtlJournal, SetJournalsEachChangeSent) {
  const Journalled cases[] = {
      {"accepted", {}, "j/audit.jsonl", 0, {"SET_TAG done", "SET_TEMP done", "SET_ALARMS done"}, 0},
      // Four reads pass, then the units are refused: the alarms are never
      // sent and leave no line.
      {"refused", {"--refuse", "7", "--only-command", "11", "--fault-after", "4"}, "j/audit.jsonl", 5,
       {"SET_TAG done", "SET_TEMP refused"}, 0},
      {"off", {}, "off", 0, {}, 0},
      {"unwritable", {}, "/proc/none/audit.jsonl", 0, {}, 1},
  };
  for (const Journalled& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all("j");
    sim::Process sim(KDV578_BINARY_DIR "/kdv578-sim", c.sim);
    const std::string port = " --port " + sim.read_output();
    const ctltest::Outcome set =
        ctltest::ctl("set receiver.tag=FIRST receiver.temperature_units=F tx1.ch3.high_alarm=80" + port,
                     std::string("KDV578_AUDIT=") + c.journal);
    EXPECT_EQ(set.code, c.code) << set.err;
    int warned = 0;
    for (std::size_t at = set.err.find("not writable"); at != std::string::npos;
         at = set.err.find("not writable", at + 1))
      ++warned;
    EXPECT_EQ(warned, c.warnings) << set.err;
    const disk::JournalRead journal = disk::read_journal(ctltest::text_of("j/audit.jsonl"));
    EXPECT_TRUE(journal.damaged.empty());
    std::vector<std::string> lines;
    for (const auto& [number, line] : journal.entries)
      lines.push_back(line["operation"].get<std::string>() + " " + line["outcome"].get<std::string>());
    EXPECT_EQ(lines, c.lines);
    if (lines != c.lines) continue;
    if (c.lines.empty()) {
      EXPECT_FALSE(std::filesystem::exists("j"));
    } else {
      EXPECT_EQ(journal.entries[1].second["keys"].dump(), R"({"receiver.temperature_units":{"new":"F"}})");
      EXPECT_EQ(std::filesystem::status("j").permissions(), std::filesystem::perms::owner_all);
    }
    if (c.code == 0) {  // the journal never stops the change
      EXPECT_EQ(ctltest::ctl("get tx1.ch3.high_alarm" + port).out, "tx1.ch3.high_alarm = 80\n");
    }
  }
}

}  // namespace
