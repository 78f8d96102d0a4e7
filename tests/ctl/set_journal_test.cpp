// kdv578ctl set against the simulator as a process, journalling every
// change it sends: the lines in order with their outcomes, none when the
// journal is off, one warning and the change made when it cannot be written.
#include <gtest/gtest.h>

#include "ctl/ctl_run.h"
#include "files/scratch_dir.h"
#include "link/audit.h"
#include "process.h"

namespace {

struct Journalled {
  std::vector<std::string> sim;
  const char* journal;  // KDV578_AUDIT
  int code;
  std::string lines;  // "operation outcome;" per journal line
  bool warned;
};

using CtlSetJournal = ScratchDir;

TEST_F(CtlSetJournal, SetJournalsEachChangeSent) {
  const Journalled cases[] = {
      {{}, "j/audit.jsonl", 0, "SET_TAG done;SET_TEMP done;SET_ALARMS done;", false},
      // Four reads pass, then the units are refused: the alarms are never sent.
      {{"--refuse", "7", "--only-command", "11", "--fault-after", "4"}, "j/audit.jsonl", 5,
       "SET_TAG done;SET_TEMP refused;", false},
      {{}, "off", 0, "", false},
      {{}, "/proc/none/audit.jsonl", 0, "", true},
  };
  for (const Journalled& c : cases) {
    SCOPED_TRACE(c.journal + std::to_string(c.code));
    std::filesystem::remove_all("j");
    kdv::sim::Process sim(KDV578_BINARY_DIR "/kdv578-sim", c.sim);
    const std::string port = " --port " + sim.read_output();
    const ctltest::Outcome set =
        ctltest::ctl("set receiver.tag=FIRST receiver.temperature_units=F tx1.ch3.high_alarm=80" + port,
                     std::string("KDV578_AUDIT=") + c.journal);
    EXPECT_EQ(set.code, c.code) << set.err;
    EXPECT_EQ(ctltest::lines(set.err), (c.code != 0) + c.warned) << set.err;
    EXPECT_EQ(set.err.find("not writable") != std::string::npos, c.warned) << set.err;
    const kdv::link::JournalRead journal = kdv::link::read_journal(ctltest::text_of("j/audit.jsonl"));
    std::string lines;
    for (const auto& [number, line] : journal.entries)
      lines += line["operation"].get<std::string>() + " " + line["outcome"].get<std::string>() + ";";
    EXPECT_EQ(lines, c.lines);
    if (!lines.empty()) {
      EXPECT_EQ(journal.entries[1].second["keys"].dump(), R"({"receiver.temperature_units":{"old":"C","new":"F"}})");
    }
    if (c.code == 0 && !lines.empty()) {  // the alarms read first give the old values
      EXPECT_EQ(journal.entries[2].second["keys"].dump(),
                R"({"tx1.ch3.low_alarm":{"old":-60.0,"new":-60.0},"tx1.ch3.high_alarm":{"old":60.0,"new":80.0}})");
    }
    if (c.code == 0) {  // the journal never stops the change
      EXPECT_EQ(ctltest::ctl("get tx1.ch3.high_alarm" + port).out, "tx1.ch3.high_alarm = 80\n");
    }
  }
}

}  // namespace
