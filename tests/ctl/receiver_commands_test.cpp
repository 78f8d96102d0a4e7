// kdv578ctl on a receiver: the simulator as a process on its pseudo-terminal,
// kdv578ctl run as a user runs it.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "ctl/ctl_run.h"
#include "files/scratch_dir.h"
#include "link/trace_decode.h"
#include "process.h"
#include "support/pty.h"

namespace {

namespace fs = std::filesystem;
using ctltest::Outcome;
using ctltest::text_of;

class CtlReceiverCommands : public ScratchDir {
 protected:
  // Starts a simulator; its port for --port.
  std::string start(std::vector<std::string> args) {
    sims.push_back(std::make_unique<kdv::sim::Process>(KDV578_BINARY_DIR "/kdv578-sim", std::move(args)));
    return sims.back()->read_output();
  }
  // kdv578ctl on the port of a new simulator.
  Outcome on(const std::vector<std::string>& sim_args, const std::string& args) {
    const std::string port = start(sim_args);
    return ctltest::ctl(args + " --port " + port, "env -u KDV578_PORT");
  }
  // The simulator's configuration, and a copy with tx1.ch3.high_alarm 80.
  void SetUp() override {
    ScratchDir::SetUp();
    ASSERT_EQ(on({}, "upload -o site.toml").code, 0);
    std::string doc = text_of("site.toml");
    const std::size_t at = doc.find("high_alarm = 60", doc.find("[tx1.ch3]"));
    ASSERT_NE(at, std::string::npos);
    std::ofstream("hot.toml") << doc.replace(at, 15, "high_alarm = 80");
    std::ofstream("bell.toml") << "[receiver]\ntag = \"BELL\\u0007" + std::string(20, ' ') + "\"\n";
  }

  std::vector<std::unique_ptr<kdv::sim::Process>> sims;
};

TEST_F(CtlReceiverCommands, VerifyComparesAndADownloadMakesTheReceiverHoldTheDocument) {
  const std::string port = start({});
  const std::string at = " --port " + port;
  EXPECT_EQ(ctltest::ctl("verify site.toml" + at).code, 0);
  const Outcome before = ctltest::ctl("verify hot.toml" + at);
  EXPECT_EQ(before.code, 1);
  EXPECT_EQ(before.out, "tx1.ch3.high_alarm: 80.000 -> 60.000\n");
  EXPECT_EQ(ctltest::ctl("download hot.toml --verify" + at).code, 0) << text_of("ctl.err");
  EXPECT_EQ(ctltest::ctl("verify hot.toml --json" + at).out,
            "{\n  \"same\": true,\n  \"differences\": {},\n  \"set_by_switches\": {},\n"
            "  \"not_sent_by_download\": {},\n  \"not_in_document\": {}\n}\n");
}

struct Unsent {
  const char* args;
  int code;
  std::string out;
  const char* err;  // part of standard error; empty: nothing there
};

TEST_F(CtlReceiverCommands, TheChecksumModeNoDownloadSendsIsSaidAndAPartialDocumentIsComparedAsFarAsItGoes) {
  std::string doc = text_of("site.toml");
  std::ofstream("manual.toml") << doc.replace(doc.find("checksum_mode = \"auto\""), 22, "checksum_mode = \"manual\"");
  std::ofstream("partial.toml") << "[tx1]\ntype = \"571\"\n[tx1.ch3]\nhigh_alarm = 80\n";
  const std::string unsent = "receiver.checksum_mode: \"manual\" -> \"auto\" (not sent by download)\n";
  const Unsent cases[] = {
      {"verify manual.toml", 1, unsent, ""},
      {"download manual.toml --verify --signoff --trace so.trace", 0, unsent, ""},
      {"download manual.toml", 0, "", "receiver.checksum_mode = \"manual\" is not sent by download; the receiver holds \"auto\""},
      {"download site.toml", 0, "", ""},
  };
  for (const Unsent& u : cases) {
    SCOPED_TRACE(u.args);
    const Outcome r = on({}, u.args);
    EXPECT_EQ(r.code, u.code) << r.err;
    EXPECT_EQ(r.out, u.out);
    EXPECT_TRUE(*u.err ? r.err.find(u.err) != std::string::npos : r.err.empty()) << r.err;
  }
  EXPECT_NE(ctltest::ctl("trace so.trace").out.find("SEND_SIGNOFF"), std::string::npos);
  const Outcome partial = on({}, "verify partial.toml");
  EXPECT_EQ(partial.code, 1);
  EXPECT_EQ(partial.out.rfind("receiver.tag: not in the document; the receiver holds ", 0), 0u) << partial.out;
  EXPECT_NE(partial.out.find("tx1.ch3.high_alarm: 80.000 -> 60.000\ntx1.ch3.low_alarm: not in the document"),
            std::string::npos);
  EXPECT_EQ(partial.out.find("checksum_mode"), std::string::npos);
}

TEST_F(CtlReceiverCommands, DownloadVerifyNamesTheSettingTheReceiverSilentlyKept) {
  const Outcome kept = on({"--keep-old", "8:13"}, "download hot.toml --verify --signoff");
  EXPECT_EQ(kept.code, 1) << kept.err;
  EXPECT_EQ(kept.out, "tx1.ch3.high_alarm: 80.000 -> 60.000\n");
}

TEST_F(CtlReceiverCommands, DownloadVerifySaysTheDownloadCompletedWhenItsReadBackFails) {
  // The versions are read by the upload only.
  const Outcome r = on({"--short-reply", "--only-command", "33"}, "download hot.toml --verify");
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.err, "kdv578ctl: download completed; its --verify read-back failed: short reply\n");
}

TEST_F(CtlReceiverCommands, SerialSettingsTheSwitchesSetAreListedApart) {
  const Outcome r = on({"--hca-switch", "00"}, "verify site.toml");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("receiver.baud: \"9600\" -> \"300\" (set by the switches)"), std::string::npos) << r.out;
}

TEST_F(CtlReceiverCommands, DiagShowsTheControlCharactersOfAReplyEscaped) {
  std::ofstream("esc.toml") << "[reported]\nip_version = \"\\u001b[2J\"\n";
  ASSERT_EQ(ctltest::ctl("import esc.toml -o esc").code, 0);
  const Outcome r = on({"--rxd", "esc.rxd"}, "diag");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 32), "versions        IP \\x1b[2J, HCA ") << r.out;
}

TEST_F(CtlReceiverCommands, TraceHoldsEveryExchangeOfTheCommand) {
  ASSERT_EQ(on({}, "upload -o traced.toml --trace up.trace").code, 0);
  const Outcome decoded = ctltest::ctl("trace up.trace");
  ASSERT_EQ(decoded.code, 0) << decoded.err;
  std::istringstream lines(decoded.out);
  int good = 0;
  for (std::string line; std::getline(lines, line);) good += line.find(": good, turnaround") != std::string::npos;
  EXPECT_EQ(good, 85) << decoded.out;
}

TEST_F(CtlReceiverCommands, ATraceCutByAFileSizeLimitEndsWholeAndFailsOnlyACommandThatSucceeded) {
  // ulimit -f 1 (512 or 1024 bytes) stops the trace after a few exchanges.
  const std::string keys =
      "get receiver.tag receiver.baud receiver.address_a receiver.transmitters receiver.line_rejection "
      "tx1.type tx1.ch3.high_alarm tx1.ch4.high_alarm tx1.ch5.gain tx1.ch6.gain tx2.ch1.gain tx2.ch2.gain";
  using Case = std::pair<std::vector<std::string>, int>;  // the simulator's faults, the exit code
  for (const auto& [sim, code] : {Case{{}, 3}, Case{{"--refuse", "7", "--fault-after", "10"}, 5}}) {
    SCOPED_TRACE(code);
    const Outcome r = ctltest::ctl(keys + " --trace cut.trace --port " + start(sim), "trap '' XFSZ; ulimit -f 1;");
    EXPECT_EQ(r.code, code) << r.err;
    EXPECT_NE(r.err.find("kdv578ctl: the trace cut.trace is cut at its last whole line: File too large\n"),
              std::string::npos) << r.err;
    EXPECT_EQ(ctltest::lines(r.out), code == 3 ? 12 : 0);  // the work went on
    const std::string trace = text_of("cut.trace");
    EXPECT_TRUE(trace.ends_with('\n'));
    EXPECT_EQ(kdv::link::decode_trace(trace).damaged, std::vector<std::string>{});
  }
}

TEST_F(CtlReceiverCommands, ProgressGoesToATerminalOnlyAndNotWhenQuiet) {
  const std::string port = start({});
  const std::string ctl = KDV578_BINARY_DIR "/kdv578ctl";
  testpty::Start run;
  run.argv = {ctl, "upload", "-o", "a.toml", "--port", port};
  const testpty::Run shown = testpty::run_program(run);
  EXPECT_NE(shown.output.find("upload: 82/85 exchanges, tx 2 ch 8"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("upload: 85/85 exchanges"), std::string::npos) << shown.output;
  run.argv = {ctl, "upload", "-o", "b.toml", "--port", port, "--quiet"};
  const testpty::Run quiet = testpty::run_program(run);
  EXPECT_EQ(quiet.output, "");
  EXPECT_EQ(text_of("a.toml"), text_of("b.toml"));
}

TEST_F(CtlReceiverCommands, PortsComeFromTheConsolesSource) {
  EXPECT_EQ(ctltest::ctl("ports", "KDV578_PORTS='ttyS0, ttyUSB1'").out, "ttyS0\nttyUSB1\n");
  EXPECT_EQ(ctltest::ctl("ports --json", "KDV578_PORTS='ttyS0, ttyUSB1'").out, "[\"ttyS0\",\"ttyUSB1\"]\n");
}

// kdv578ctl on a receiver, Ctrl-C (or another signal) half a second in: its
// exit code.
int interrupted(const std::string& port, std::vector<std::string> args = {"upload", "-o", "cut.toml"},
                int signal = SIGINT) {
  args.insert(args.begin(), KDV578_BINARY_DIR "/kdv578ctl");
  args.insert(args.end(), {"--port", port});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ::kill(pid, signal);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST_F(CtlReceiverCommands, CtrlCStopsBetweenExchangesLeavesFilesWholeAndExits130) {
  EXPECT_EQ(interrupted(start({"--paced"})), 130);
  EXPECT_FALSE(fs::exists("cut.toml"));
  EXPECT_EQ(interrupted(start({"--paced"}), {"monitor", "--tx", "2", "-o", "live.csv"}), 130);
  const std::string csv = text_of("live.csv");
  EXPECT_EQ(csv.rfind("time,", 0), 0u);
  EXPECT_EQ(csv.back(), '\n');  // whole rows only
}

// A receiver that stays silent, or trickles, after the request: Ctrl-C or
// SIGTERM end the wait, and the SET it interrupted is journalled "aborted".
TEST_F(CtlReceiverCommands, AStopEndsTheWaitAndTheSetItCutIsJournalledAborted) {
  ASSERT_EQ(::setenv("KDV578_AUDIT", "audit.jsonl", 1), 0);
  const std::vector<std::string> set = {"set", "receiver.temperature_units=2"};
  EXPECT_EQ(interrupted(start({"--no-reply", "--fault-after", "1"}), set), 130);
  EXPECT_EQ(interrupted(start({"--no-reply", "--fault-after", "1"}), set, SIGTERM), 130);
  EXPECT_EQ(interrupted(start({"--trickle", "300"}), {"get", "receiver.tag"}), 130);
  ASSERT_EQ(::setenv("KDV578_AUDIT", "off", 1), 0);
  const std::string journal = text_of("audit.jsonl");
  EXPECT_EQ(ctltest::lines(journal), 2) << journal;
  EXPECT_NE(journal.find("\"operation\":\"SET_TEMP\",\"keys\":{\"receiver.temperature_units\":{\"old\":\"C\",\"new\":\"F\"}},\"outcome\":\"aborted\"}"),
            std::string::npos) << journal;
}

// The exit codes a table of the documentation lists: README's rows
// "| N | ..." after its "| Exit code |" header, the manual page's ".B N"
// entries under EXIT STATUS.
std::set<int> readme_codes() {
  std::set<int> codes;
  std::istringstream in(text_of(KDV578_SOURCE_DIR "/README.md"));
  bool table = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("| Exit code |", 0) == 0) table = true;
    else if (table && line.rfind("| ", 0) == 0) codes.insert(std::atoi(line.c_str() + 2));
    else if (table && line.rfind("|---", 0) != 0) break;
  }
  return codes;
}
std::set<int> manual_codes() {
  std::set<int> codes;
  std::istringstream in(text_of(KDV578_SOURCE_DIR "/doc/kdv578ctl.1"));
  bool section = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH", 0) == 0) section = line == ".SH EXIT STATUS";
    else if (section && line.rfind(".B ", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[3])))
      codes.insert(std::atoi(line.c_str() + 3));
  }
  return codes;
}

struct Exiting {
  int code;
  std::vector<std::string> sim;
  const char* args;
  bool port;  // a simulator's port is given
  const char* err;  // part of the one error line
};

TEST_F(CtlReceiverCommands, EveryExitCodeTheDocumentationListsIsProduced) {
  const Exiting cases[] = {
      {0, {}, "verify site.toml", true, ""},
      {0, {"--receiver", "12"}, "verify site.toml --receiver 12", true, ""},
      {1, {}, "verify hot.toml", true, ""},
      {2, {}, "upload", false, "no port"},  // neither --port nor KDV578_PORT
      // Validated before the port is opened.
      {2, {}, "download bell.toml --port /nonexistent/port", false, "bell.toml:2: error: receiver.tag"},
      {3, {}, "upload -o nodir/part.toml", true, "cannot write nodir/part.toml"},
      {3, {}, "upload -o part.toml --trace nodir/t.trace", true, "nodir/t.trace"},
      {4, {"--wrong-frame", "3"}, "upload -o part.toml", true, "upload: invalid reply"},
      // A gap of 1.1 s inside the tag's reply.
      {4, {"--pause", "1100:9", "--only-command", "17"}, "upload -o part.toml", true, "upload: no reply"},
      {4, {}, "upload --port /nonexistent/port", false, "/nonexistent/port: no such device"},
      {5, {"--write-disabled"}, "download site.toml", true, "download: refused by the receiver: Write Disabled (code 7)"},
      // Refused half way through: neither a document nor a pair.
      {5, {"--refuse", "7", "--fault-after", "30"}, "upload -o part.toml", true, "upload: refused"},
      {5, {"--refuse", "7", "--fault-after", "30"}, "upload -o part", true, "upload: refused"},
  };
  std::set<int> produced;
  for (const Exiting& e : cases) {
    SCOPED_TRACE(e.args);
    const Outcome r = e.port ? on(e.sim, e.args) : ctltest::ctl(e.args, "env -u KDV578_PORT");
    EXPECT_EQ(r.code, e.code) << r.err;
    EXPECT_EQ(ctltest::lines(r.err), e.code == 0 || e.code == 1 ? 0 : 1) << r.err;
    EXPECT_NE(r.err.find(e.err), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists("part.toml") || fs::exists("part.gdt") || fs::exists("part.rxd"));
    produced.insert(r.code);
  }
  produced.insert(interrupted(start({"--paced"})));
  EXPECT_EQ(readme_codes(), produced);
  EXPECT_EQ(manual_codes(), produced);
}

}  // namespace

namespace {

struct Diagnosis {
  std::vector<std::string> sim;
  const char* args;
  std::vector<const char*> shows;
};

TEST_F(CtlReceiverCommands, DiagShowsVersionsStatusAndWhatTheSwitchesMean) {
  const Diagnosis cases[] = {
      {{"--ip-switch", "85", "--hca-switch", "55"}, "diag",
       {"IP switch SW101, levers 1..8: 10100001\n  Modbus Address: 5\n", "  9600 Baud 8bit no parity\n",
        "  Link B address = Link A address + 32\n  ASCII Mode\n", "  FACTORY TEST SETTING - CHANGE!\n",
        "versions        IP 3.21, HCA 2.04\n"}},
      {{"--tx-failed", "--hht"}, "diag --json",
       {"\"transmitter_failed\": true", "\"hand_held_active\": true", "\"highway1_ok\": true"}},
  };
  for (const Diagnosis& d : cases) {
    SCOPED_TRACE(d.args);
    const Outcome r = on(d.sim, d.args);
    EXPECT_EQ(r.code, 0) << r.err;
    for (const char* part : d.shows) EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
  }
}

}  // namespace
