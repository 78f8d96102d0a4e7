// kdv578ctl get and set against the simulator as a process: the editors'
// rules checked before anything is sent, the first refusal stopping the rest.
#include <gtest/gtest.h>

#include <memory>

#include "ctl/ctl_run.h"
#include "files/scratch_dir.h"
#include "link/audit.h"
#include "process.h"

namespace {

using ctltest::Outcome;

class CtlGetSetCommands : public ScratchDir {
 protected:
  void start(std::vector<std::string> args) {
    sim = std::make_unique<kdv::sim::Process>(KDV578_BINARY_DIR "/kdv578-sim", std::move(args));
    port = sim->read_output();
  }
  Outcome ctl(const std::string& args) { return ctltest::ctl(args + " --port " + port); }

  std::unique_ptr<kdv::sim::Process> sim;
  std::string port;
};

struct Reading {
  const char* key;
  const char* line;  // what get prints; nullptr: exit 2
};

TEST_F(CtlGetSetCommands, GetReadsEachKeyWithItsCommand) {
  start({});
  const Reading cases[] = {
      {"receiver.tag", "receiver.tag = \"SIMULATED RECEIVER       \"\n"},
      {"receiver.baud", "receiver.baud = \"9600\"\n"},
      {"receiver.address_b", "receiver.address_b = 18\n"},
      {"reported.ip_version", "reported.ip_version = \"   3.21   \"\n"},
      {"tx2.ch7.input_type", "tx2.ch7.input_type = \"RTD ohmic\"\n"},
      {"tx1.ch6.output_zero", "tx1.ch6.output_zero = -5\n"},
      {"tx1.ch3.drive", "tx1.ch3.drive = \"upscale\"\n"},
      {"receiver.checksum_display", nullptr},
      {"reported.checksum", nullptr},
      {"tx5.type", nullptr},
  };
  for (const Reading& r : cases) {
    SCOPED_TRACE(r.key);
    const Outcome got = ctl(std::string("get ") + r.key);
    EXPECT_EQ(got.code, r.line ? 0 : 2) << got.err;
    if (r.line) {
      EXPECT_EQ(got.out, r.line);
    }
  }
}

struct Refusal {
  std::vector<std::string> sim;
  const char* assignments;  // a good one first, then the one the editors refuse
  const char* why;
};

TEST_F(CtlGetSetCommands, SetChecksEveryAssignmentBeforeSendingAny) {
  const Refusal cases[] = {
      {{"--hca-switch", "00"}, "receiver.tag=X receiver.baud=19200", "switches set the serial settings"},
      {{"--ip-switch", "01"}, "receiver.tag=X receiver.address_a=5", "switches set the addresses"},
      {{}, "receiver.tag=X tx3.ch1.gain=2", "2 transmitter(s)"},
      {{}, "receiver.tag=X tx2.ch9.gain=2", "channels 1..8"},
      {{}, "receiver.tag=X tx1.ch16.gain=2", "cold junction"},
      {{}, "receiver.tag=X tx1.ch16.input_type=mV", "cold junction"},
      {{}, "receiver.tag=X tx2.ch1.drive=off", "no drive"},
      {{}, "receiver.tag=X tx1.ch3.input_type=mA", "not a name"},
      {{}, "receiver.tag=X tx1.ch3.gain=123456", "-99999..99999"},
      {{}, "receiver.tag=X receiver.tag='A|B'", "tag editor takes blanks"},
      {{}, "receiver.tag=X receiver.tag=ABCDEFGHIJKLMNOPQRSTUVWXY", "24 characters"},
      {{}, "receiver.tag=X receiver.address_a=256", "0..255"},
      {{}, "receiver.tag=X receiver.checksum_display=hex", "no SET command carries"},
      {{}, "receiver.tag=X receiver.stop_bits=3", "no editor offers it"},
  };
  for (const Refusal& r : cases) {
    SCOPED_TRACE(r.assignments);
    start(r.sim);
    const Outcome set = ctl(std::string("set ") + r.assignments);
    EXPECT_EQ(set.code, 2);
    EXPECT_NE(set.err.find(r.why), std::string::npos) << set.err;
    EXPECT_EQ(ctl("get receiver.tag").out, "receiver.tag = \"SIMULATED RECEIVER       \"\n");
  }
}

TEST_F(CtlGetSetCommands, SetStopsAtTheFirstRefusalWithTheReceiversText) {
  // Three reads, then the tag is sent (frame 4); the units (frame 5) are
  // refused.
  start({"--refuse", "7", "--only-command", "11", "--fault-after", "4"});
  const Outcome set = ctl("set receiver.tag=FIRST receiver.temperature_units=F 'receiver.line_rejection=60 Hz'");
  EXPECT_EQ(set.code, 5);
  EXPECT_EQ(set.err,
            "kdv578ctl: set receiver.temperature_units: refused by the receiver: Write Disabled (code 7); "
            "applied: receiver.tag; not sent: receiver.line_rejection\n");
  EXPECT_EQ(ctl("get receiver.tag receiver.line_rejection").out,
            "receiver.tag = \"FIRST                    \"\nreceiver.line_rejection = \"50 Hz\"\n");
}

struct Confirming {
  std::vector<std::string> sim;
  const char* key;
  const char* value;
  int code;
  const char* why;      // on standard error
  const char* journal;  // "confirmed read_back" of the line that carried the key
};

TEST_F(CtlGetSetCommands, SetReadsEveryWriteBackAndJournalsWhatItFound) {
  // Five reads, the alarms' write (request 6), their read-back (7).
  const Confirming cases[] = {
      {{}, "tx1.ch3.high_alarm", "80", 0, "", "true -"},
      {{"--stale-write-reply"}, "tx1.ch3.high_alarm", "80", 1, "reads back 60 after the write of 80",
       R"(false {"tx1.ch3.high_alarm":60.0})"},
      {{"--short-reply", "--only-command", "8", "--fault-after", "6"}, "tx1.ch3.high_alarm", "80", 4,
       "unconfirmed: its read-back: short reply", "false -"},
      {{"--tx-failed", "--only-command", "8", "--fault-after", "6"}, "tx1.ch3.high_alarm", "80", 4,
       "unconfirmed: its read-back reports a failed transmitter", "false -"},
      {{"--keep-old", "29"}, "receiver.data_format", "16BIT unsigned", 1, R"(reads back "IEEE")",
       R"(false {"receiver.data_format":"IEEE"})"},
  };
  for (const Confirming& c : cases) {
    SCOPED_TRACE(c.key + std::string(" ") + c.journal);
    start(c.sim);
    std::filesystem::remove("j.jsonl");
    const Outcome set = ctltest::ctl("set '" + std::string(c.key) + "=" + c.value + "' --port " + port,
                                     "KDV578_AUDIT=j.jsonl");
    EXPECT_EQ(set.code, c.code) << set.err;
    EXPECT_NE(set.err.find(c.why), std::string::npos) << set.err;
    std::string found;
    for (const auto& [number, line] : kdv::link::read_journal(ctltest::text_of("j.jsonl")).entries)
      if (found.empty() && line["keys"].contains(c.key))
        found = line.value("confirmed", nlohmann::ordered_json()).dump() + " " +
                (line.contains("read_back") ? line["read_back"].dump() : "-");
    EXPECT_EQ(found, c.journal);
  }
}

TEST_F(CtlGetSetCommands, AUnipolarFormatZeroesNegativesAndRefusesThemAfterwards) {
  start({});
  const Outcome set = ctl("set 'receiver.data_format=16BIT unsigned' tx2.type=571");
  ASSERT_EQ(set.code, 0) << set.err;
  EXPECT_EQ(set.out, "receiver.data_format = \"16BIT Unsigned\"\ntx2.type = \"571\"\n");
  EXPECT_EQ(ctl("get tx1.ch6.output_zero tx2.ch12.input_type").out,
            "tx1.ch6.output_zero = 0\ntx2.ch12.input_type = \"mV\"\n");
  const Outcome negative = ctl("set tx1.ch3.low_alarm=-5");
  EXPECT_EQ(negative.code, 2);
  EXPECT_NE(negative.err.find("unipolar"), std::string::npos) << negative.err;
  // The changes await the confirm that signoff sends.
  EXPECT_NE(ctl("diag --json").out.find("\"unconfirmed_changes\": true"), std::string::npos);
  EXPECT_EQ(ctl("signoff").code, 0);
  EXPECT_NE(ctl("diag --json").out.find("\"unconfirmed_changes\": false"), std::string::npos);
}

}  // namespace
