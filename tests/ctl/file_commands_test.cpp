// kdv578ctl as a user runs it: exit codes, one line per failure, files
// written only when the input is good, diff against a pair's own export.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

#include "ctl/ctl_run.h"
#include "files/file_pair.h"
#include "files/scratch_dir.h"
#include "files/text_format.h"

#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using ctltest::Outcome;
using ctltest::text_of;

class CtlFileCommands : public ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    kdv::model::Configuration c = kdv::model::fresh_configuration();
    c.rx.TAG_FIELD = "PLANT 7                  ";
    ASSERT_TRUE(kdv::files::write_pair("plant", c.flags, c.rx));
  }
  static Outcome ctl(const std::string& args, const std::string& env = "") { return ctltest::ctl(args, env); }
  static int lines(const std::string& s) { return ctltest::lines(s); }
};

struct Usage {
  const char* args;
  int code;
  const char* err;  // a part of the one error line
};

TEST_F(CtlFileCommands, ExitCodesAndOneLinePerFailure) {
  const Usage cases[] = {
      {"--help", 0, nullptr},
      {"export --help", 0, nullptr},
      {"--version", 0, nullptr},
      {"", 2, "subcommand"},
      {"frobnicate", 2, "frobnicate"},
      {"export", 2, "input"},
      {"import plant.toml", 2, "--output"},
      {"export nosuch", 3, "nosuch.gdt: no such file"},
      {"show plant2.toml", 3, "kdv578ctl: cannot read plant2.toml: No such file"},
      {"export plant -o nodir/out.toml", 3, "cannot write nodir/out.toml"},
      {"report plant", 3, "mess578.scn"},
      {"trace nosuch.trace", 3, "nosuch.trace"},
  };
  for (const Usage& u : cases) {
    SCOPED_TRACE(u.args);
    const Outcome r = ctl(u.args);
    EXPECT_EQ(r.code, u.code) << r.err;
    if (u.code == 0) {
      EXPECT_EQ(r.err, "");
      EXPECT_NE(r.out, "");
    } else {
      EXPECT_EQ(lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(u.err), std::string::npos) << r.err;
    }
  }
  EXPECT_EQ(ctl("--version").out, "kdv578ctl " + std::string(KDV578_VERSION_TEXT) + "\n");
}

TEST_F(CtlFileCommands, AnInvalidDocumentWritesNothingAndNamesEveryError) {
  std::ofstream("bad.toml") << "[receiver]\ntag = 7\n[tx9]\n";
  const Outcome r = ctl("import bad.toml -o out");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err.substr(0, 27), "bad.toml:2: error: receiver");
  EXPECT_NE(r.err.find("bad.toml:3: error: tx9: unknown key"), std::string::npos) << r.err;
  EXPECT_EQ(lines(r.err), 2);
  EXPECT_FALSE(fs::exists("out.gdt") || fs::exists("out.rxd") || fs::exists("out"));
}

TEST_F(CtlFileCommands, ImportOfTheExportGivesThePairsBytesAndDiffSeesOneEdit) {
  ASSERT_EQ(ctl("export plant.rxd -o plant.toml").code, 0);
  ASSERT_EQ(ctl("import plant.toml -o copy.gdt").code, 0);
  EXPECT_EQ(text_of("copy.rxd"), text_of("plant.rxd"));
  EXPECT_EQ(text_of("copy.gdt"), text_of("plant.gdt"));

  Outcome same = ctl("diff plant plant.toml");
  EXPECT_EQ(same.code, 0);
  EXPECT_EQ(same.out, "");

  std::string doc = text_of("plant.toml");
  const std::size_t ch3 = doc.find("[tx1.ch3]");
  doc.replace(doc.find("high_alarm = 60", ch3), 15, "high_alarm = 80");
  std::ofstream("edited.toml") << doc;
  const Outcome one = ctl("diff plant edited.toml");
  EXPECT_EQ(one.code, 1);
  EXPECT_EQ(one.out, "tx1.ch3.high_alarm: 60 -> 80\n");
  const Outcome json = ctl("diff --json plant edited.toml");
  EXPECT_EQ(json.code, 1);
  EXPECT_EQ(json.out, "{\n  \"tx1.ch3.high_alarm\": {\n    \"old\": 60.0,\n    \"new\": 80.0\n  }\n}\n");
}

TEST_F(CtlFileCommands, NoOutputReplacesAnInputOrAnotherOutput) {
  ASSERT_EQ(ctl("export plant -o plant.toml").code, 0);
  fs::create_hard_link("plant.toml", "alias.toml");
  const std::string toml = text_of("plant.toml"), rxd = text_of("plant.rxd");
  const struct {
    const char* args;
    const char* env;
    const char* err;
  } cases[] = {
      {"export plant -o plant.rxd", "", "export writes a document; -o plant.rxd names a pair file (import writes pairs)"},
      {"export alias.toml -o plant.toml", "", "-o plant.toml is the same file as the input alias.toml"},
      {"import plant.rxd -o ./plant", "", "-o ./plant.gdt is the same file as the input plant.gdt"},
      {"report plant.toml -o alias.toml", "", "-o alias.toml is the same file as the input plant.toml"},
      {"download plant.toml --port none --trace alias.toml", "", "--trace alias.toml is the same file as the input plant.toml"},
      {"download plant.toml --port none", "KDV578_AUDIT=alias.toml", "the journal alias.toml is the same file as the input plant.toml"},
      {"upload --port none -o new.toml --trace ./new.toml", "", "--trace ./new.toml is the same file as -o new.toml"},
  };
  for (const auto& c : cases) {
    const Outcome r = ctl(c.args, c.env);
    EXPECT_EQ(r.code, 2) << c.args;
    const std::string why = c.err;
    EXPECT_EQ(r.err, "kdv578ctl: " + why + (why.starts_with("export") ? "" : "; nothing was read or written") + "\n");
  }
  EXPECT_EQ(text_of("plant.toml"), toml);
  EXPECT_EQ(text_of("plant.rxd"), rxd);
  EXPECT_FALSE(fs::exists("new.toml"));
}

TEST_F(CtlFileCommands, APairFileOfAnotherSizeIsRefusedOrReadForItsFirstRecord) {
  ASSERT_EQ(ctl("export plant -o plant.toml").code, 0);
  const std::string rxd = text_of("plant.rxd");
  for (const char* base : {"short", "long", "text"}) fs::copy_file("plant.gdt", base + std::string(".gdt"));
  std::ofstream("short.rxd") << rxd.substr(0, 100);
  std::ofstream("long.rxd") << rxd << std::string(16, '\0');
  std::ofstream("text.rxd") << text_of("plant.toml");
  const std::string text_size = std::to_string(text_of("text.rxd").size());
  const struct {
    const char* args;
    int code;
    std::string err;
  } cases[] = {
      {"show short", 3, "kdv578ctl: short.rxd: not a configuration pair: 100 bytes, expected 4816\n"},
      {"show long", 0, "kdv578ctl: warning: long.rxd: 4832 bytes, expected 4816; its first record is read\n"},
      {"show long --strict", 3, "kdv578ctl: long.rxd: not a configuration pair: 4832 bytes, expected 4816 (--strict)\n"},
      {"show text.gdt", 3,
       "kdv578ctl: text.rxd: not a configuration pair: " + text_size + " bytes, expected 4816; it holds text\n"},
  };
  for (const auto& c : cases) {
    const Outcome r = ctl(c.args);
    EXPECT_EQ(r.code, c.code) << c.args;
    EXPECT_EQ(r.err, c.err);
  }
}

TEST_F(CtlFileCommands, ADocumentPathIsReadAsADocument) {
  ASSERT_EQ(ctl("export plant -o plant.toml").code, 0);
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  fs::copy_file("plant.toml", "plantdoc");
  fs::copy_file("plant.gdt", "plantdoc.gdt");
  const Outcome piped = ctl("diff plant.toml pipe", "timeout 10 sh -c 'cat plant.toml >pipe' & ");
  EXPECT_EQ(piped.code, 0) << piped.err;
  const Outcome both = ctl("show plantdoc");
  EXPECT_EQ(both.code, 0);
  EXPECT_EQ(both.err, "kdv578ctl: warning: plantdoc is read as a document, not the pair plantdoc.gdt/.rxd (name "
                      "plantdoc.gdt for the pair)\n");
}

TEST_F(CtlFileCommands, ControlCharactersReachNoTerminalRaw) {
  std::ofstream("esc.toml") << "\"\\u001b[2J\" = 1\n[receiver]\ntag = \"" << std::string(100, 'x') << "\"\n";
  const Outcome doc = ctl("show esc.toml");
  EXPECT_EQ(doc.code, 2);
  EXPECT_EQ(doc.err.substr(0, 45), "esc.toml:1: error: \\x1b[2J: unknown key; the ");
  EXPECT_NE(doc.err.find("receiver.tag = \"" + std::string(59, 'x') + "…: 100 characters"), std::string::npos) << doc.err;
  const Outcome path = ctl("show '\x1b]0;x\x07.toml'");
  EXPECT_EQ(path.err.substr(0, 40), "kdv578ctl: cannot read \\x1b]0;x\\x07.toml");
  const Outcome set = ctl("set '\x1b[2Jk=1'");
  EXPECT_EQ(set.err, "kdv578ctl: \\x1b[2Jk: no such key\n");
  std::ofstream("audit.jsonl") << R"({"time":"2026-12-08T09:00:00.000Z","operation":"SET_TAG\u009b2J",)"
                                  R"("outcome":"refused","text":"\u001b]0;x\u0007"})" "\n";
  const Outcome audit = ctl("audit", "KDV578_AUDIT=audit.jsonl");
  EXPECT_NE(audit.out.find("SET_TAG\\u009b2J  refused: \\x1b]0;x\\x07\n"), std::string::npos) << audit.out;
  const Outcome json = ctl("audit --json", "KDV578_AUDIT=audit.jsonl");
  EXPECT_NE(json.out.find("\"SET_TAG\xc2\x9b" "2J\""), std::string::npos) << json.out;  // JSON as before
}

TEST_F(CtlFileCommands, ReportTakesTheMessagesOfTheWorkingDirectoryAndAFixedDate) {
  fs::copy_file(KDV578_SOURCE_DIR "/data/mess578.scn", "mess578.scn");
  const Outcome r = ctl("report plant -o report.txt", "SOURCE_DATE_EPOCH=1796601540");  // 6 December 2026, 23:59 UTC
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(text_of("report.txt").find("Tag Name: PLANT 7                                    Date: 6/12/2026\n"),
            std::string::npos)
      << text_of("report.txt");
  EXPECT_EQ(ctl("report plant", "SOURCE_DATE_EPOCH=yesterday").code, 2);
}

TEST_F(CtlFileCommands, AuditListsTheJournalByTimeAndPortAndSkipsDamagedLines) {
  std::ofstream("audit.jsonl")
      << R"({"time":"2026-12-08T09:00:00.000Z","user":"ana","host":"pc","program":"kdv578","port":"ttyUSB0",)"
         R"("receiver":0,"operation":"SET_ALARMS","keys":{"tx1.ch3.high_alarm":{"old":60.0,"new":80.0}},)"
         R"("outcome":"refused","code":7,"text":"Write Disabled"})" "\n"
      << "{\"time\":\"2026-12-08T09:00\n"
      << R"({"time":"2026-12-08T10:30:00.000Z","user":"bo","host":"pc","program":"kdv578ctl","port":"ttyUSB1",)"
         R"("receiver":2,"operation":"SEND_RESET","outcome":"done"})" "\n"
      << R"({"time":"2026-12-08T08:00:00.000Z","user":"cy","host":"pc","program":"kdv578ctl","port":"ttyUSB2",)"
         R"("receiver":0,"operation":"SET_TEMP","keys":{"receiver.temperature_units":{"old":"C","new":"F"}},)"
         R"("outcome":"done","confirmed":false,"read_back":{"receiver.temperature_units":"C"}})" "\n";
  const std::string env = "KDV578_AUDIT=audit.jsonl";
  const Outcome all = ctl("audit", env);
  EXPECT_EQ(all.code, 0);
  EXPECT_EQ(all.out,
            "2026-12-08T09:00:00.000Z  ana@pc  kdv578  ttyUSB0  receiver 0  SET_ALARMS  refused: Write Disabled (code 7)\n"
            "    tx1.ch3.high_alarm: 60.0 -> 80.0\n"
            "2026-12-08T10:30:00.000Z  bo@pc  kdv578ctl  ttyUSB1  receiver 2  SEND_RESET  done\n"
            "2026-12-08T08:00:00.000Z  cy@pc  kdv578ctl  ttyUSB2  receiver 0  SET_TEMP  done, unconfirmed\n"
            "    receiver.temperature_units: C -> F (read back: C)\n");
  EXPECT_EQ(all.err, "kdv578ctl: audit.jsonl: line 2: not a JSON object; skipped\n");
  const struct {
    const char* args;
    int entries;  // -1: a usage error
  } filters[] = {
      {"audit --since 2026-12-08T10", 1}, {"audit --since 2026-12-08T09:00:00Z", 2}, {"audit --since 2026-12-09", 0},
      {"audit --port ttyUSB0", 1},        {"audit --since yesterday", -1},          {"audit --since 2026-12-08T1", -1},
  };
  for (const auto& f : filters) {
    const Outcome r = ctl(f.args + std::string(" --json"), env);
    ASSERT_EQ(r.code, f.entries < 0 ? 2 : 0) << f.args << r.err;
    if (f.entries >= 0) {
      EXPECT_EQ(nlohmann::json::parse(r.out).size(), static_cast<std::size_t>(f.entries)) << f.args;
    }
  }
  EXPECT_EQ(ctl("audit", "KDV578_AUDIT=off").code, 2);
  fs::create_directory("journal.dir");
  EXPECT_EQ(ctl("audit", "KDV578_AUDIT=journal.dir").code, 3);
}

// What is not there yet is no failure; what is not a trace is a usage error
// naming the file; the simulator tells its version as kdv578ctl does.
TEST_F(CtlFileCommands, NoJournalYetFilesThatAreNotTracesAndTheSimulatorsVersion) {
  std::ofstream("empty.trace") << "";
  std::ofstream("notes.trace") << "# notes\nhello\n\n";
  std::ofstream("heading.trace") << "# kdv578 frame trace\tms\tdirection\tattempt\thex\ttext\n";
  std::ofstream("tail.trace") << "1200\ttimeout\t\t\tno byte within 1000 ms\n";
  const std::string version = KDV578_VERSION_TEXT;
  const struct {
    const char* program;
    const char* args;
    const char* env;
    int code;
    std::string out;  // all of it
    const char* err;  // a part of the one line; "" for none
  } cases[] = {
      {"kdv578-sim", "--version", "", 0, "kdv578-sim " + version + "\n", ""},
      {"kdv578ctl", "trace empty.trace", "", 2, "", "empty.trace is not a frame trace"},
      {"kdv578ctl", "trace notes.trace", "", 2, "", "notes.trace is not a frame trace"},
      {"kdv578ctl", "trace --json plant.gdt", "", 2, "", "plant.gdt is not a frame trace"},
      {"kdv578ctl", "trace heading.trace", "", 0, "", ""},
      {"kdv578ctl", "trace tail.trace", "", 0, "", ""},
      {"kdv578ctl", "audit", "KDV578_AUDIT=nosuch/audit.jsonl", 0, "", ""},
      {"kdv578ctl", "audit --json --port ttyUSB0", "KDV578_AUDIT=nosuch.jsonl", 0, "[]\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome r = ctltest::run(c.program, c.args, c.env);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(lines(r.err), *c.err ? 1 : 0) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
  }
}

// The export of a configuration without the tables `drop` names: a header
// and its keys, up to the next header.
std::string without_tables(const kdv::model::Configuration& c, const std::function<bool(const std::string&)>& drop) {
  std::istringstream in(kdv::files::write_text(c));
  std::string out;
  bool dropping = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('[')) dropping = drop(line.substr(1, line.size() - 2));
    if (!dropping) out += line + "\n";
  }
  return out;
}

struct Refusal {
  const char* feed;  // a command whose output is the standard input; empty: none
  const char* args;
  int code;
  const char* err;  // a part of the one line on standard error
};

TEST_F(CtlFileCommands, NoDocumentsShapeOrEmptinessReachesAReceiver) {
  kdv::model::Configuration two = kdv::model::fresh_configuration();
  two.rx.NO_OF_TX = 2;
  kdv::model::init_transmitter(two.rx, 2, 2);
  const auto unsent = [](const std::string& t) {
    int ch = 0;
    return t.starts_with("tx3") || t.starts_with("tx4") || (std::sscanf(t.c_str(), "tx2.ch%d", &ch) == 1 && ch > 8);
  };
  std::ofstream("two.toml") << without_tables(two, unsent);
  std::string lacking = without_tables(two, unsent);
  lacking.erase(lacking.rfind("gain = "));
  std::ofstream("lacking.toml") << lacking;
  std::string deep = "k";
  for (int i = 0; i < 30; ++i) deep += ".k";
  std::ofstream("deep.toml") << "[receiver]\n" << deep << " = 1\n";
  std::ofstream("partial.toml") << "[tx1.ch3]\nhigh_alarm = 80\n";
  const std::string nowhere = " --port /nonexistent/port";
  const Refusal cases[] = {
      {"yes '# an endless pipe'", "show -", 2, "<stdin>: error: more than 262144 bytes"},
      {"cat missing.toml 2>/dev/null", "download -", 2, "<stdin>: error: the document gives no key"},
      {"printf '[receiver]'", "export -", 2, "no key"},
      {"", "show deep.toml", 2, "deep.toml:2: error: a key or value nested more than 16 levels"},
      {"", "download lacking.toml", 2, "lacks 1 of the keys a download sends: tx2.ch8.gain;"},
      {"", "download partial.toml", 2, "lacks 123 of the keys a download sends: receiver.tag, receiver.data_format,"},
      {"", "download partial.toml --fill-defaults", 4, "/nonexistent/port: no such device"},
      {"", "download two.toml", 4, "/nonexistent/port: no such device"},  // nothing of tx3, tx4 or tx2.ch9..16 is sent
      {"", "import partial.toml -o out", 0, "lacks 123 of the keys a download sends; a freshly started console's"},
  };
  for (const Refusal& r : cases) {
    SCOPED_TRACE(r.args);
    const std::string command = std::string(r.feed) + (*r.feed ? " | " : "") + KDV578_BINARY_DIR "/kdv578ctl " +
                                r.args + (std::string(r.args).starts_with("download") ? nowhere : "") +
                                " >ctl.out 2>ctl.err" + (*r.feed ? "" : " </dev/null");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), r.code);
    const std::string err = text_of("ctl.err");
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find(r.err), std::string::npos) << err;
  }
}

}  // namespace
