// The audit journal: where it goes, what a line holds for each outcome, the
// modes it is made with, one warning for a journal that cannot be written,
// and whole lines from processes writing at once.
#include "link/audit.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "files/scratch_dir.h"
#include "link/outcome.h"

using namespace kdv::link;

namespace {

// Sets environment variables for one scope (nullptr: unset) and puts them back.
class Environment {
 public:
  Environment(std::initializer_list<std::pair<const char*, const char*>> vars) {
    for (const auto& [name, value] : vars) {
      const char* was = std::getenv(name);
      saved_.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
      if (value)
        ::setenv(name, value, 1);
      else
        ::unsetenv(name);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(AuditPath, FollowsTheEnvironment) {
  const struct {
    const char *audit, *state, *home, *expected;
  } cases[] = {
      {"/tmp/j.jsonl", "/s", "/h", "/tmp/j.jsonl"},
      {"off", "/s", "/h", nullptr},
      {" OFF\t", "/s", "/h", nullptr},
      {"/dev/null", "/s", "/h", nullptr},
      {nullptr, "/s", "/h", "/s/kdv578/audit.jsonl"},
      {"", "relative", "/h", "/h/.local/state/kdv578/audit.jsonl"},
      {nullptr, nullptr, "/h", "/h/.local/state/kdv578/audit.jsonl"},
      {nullptr, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    Environment env{{"KDV578_AUDIT", c.audit}, {"XDG_STATE_HOME", c.state}, {"HOME", c.home}};
    EXPECT_EQ(audit_path(), c.expected ? std::optional<std::string>(c.expected) : std::nullopt)
        << (c.audit ? c.audit : "-") << " " << (c.state ? c.state : "-");
  }
}

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Audit : public ScratchDir {
 protected:
  AuditJournal journal(const std::string& path) {
    return AuditJournal(path, "kdv578ctl", "4.10", [this](const std::string& w) { warnings.push_back(w); },
                        [] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(1796778123456)); });
  }
  std::vector<std::string> warnings;
};

TEST_F(Audit, ALineForEachOutcomeThatSentSomething) {
  using kdv::link::Status;
  const struct {
    Status status;
    const char* outcome;  // nullptr: no line
  } cases[] = {
      {Status::kDone, "done"},           {Status::kSent, "sent"},
      {Status::kRefused, "refused"},     {Status::kAborted, "aborted"},
      {Status::kNoReply, "no reply"},    {Status::kInvalidReply, "invalid reply"},
      {Status::kShortReply, "invalid reply"}, {Status::kDataError, "invalid reply"},
      {Status::kUnsendable, nullptr},    {Status::kPortUnopenable, nullptr},
  };
  AuditJournal j = journal("state/kdv578/audit.jsonl");
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    AuditEntry e;
    e.port = "ttyUSB0";
    e.receiver = 3;
    e.operation = "SET_ALARMS";
    e.change("tx1.ch3.high_alarm", 60.0, 80.0);
    e.change("tx1.ch3.low_alarm", std::nullopt, -5.5);
    e.outcome.status = c.status;
    e.outcome.refusal = 7;
    e.outcome.text = " Write Disabled";
    EXPECT_TRUE(j.append(e));
    if (c.outcome) expected.push_back(c.outcome);
  }
  const auto lines = lines_of("state/kdv578/audit.jsonl");
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto v = nlohmann::ordered_json::parse(lines[i]);
    EXPECT_EQ(v["outcome"], expected[i]);
    EXPECT_EQ(v.contains("code"), expected[i] == "refused");
    EXPECT_EQ(v["time"], "2026-12-09T01:02:03.456Z");
    EXPECT_EQ(v["program"], "kdv578ctl");
    EXPECT_EQ(v["receiver"], 3);
    EXPECT_EQ(v["keys"]["tx1.ch3.high_alarm"]["old"], 60.0);
    EXPECT_FALSE(v["keys"]["tx1.ch3.low_alarm"].contains("old"));
  }
  EXPECT_EQ(nlohmann::ordered_json::parse(lines[2])["text"], "Write Disabled");
  struct stat st{};
  ASSERT_EQ(::stat("state/kdv578", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat("state/kdv578/audit.jsonl", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(Audit, AnUnwritableJournalWarnsOnce) {
  std::ofstream("plain") << "a file, not a directory";
  AuditJournal j = journal("plain/audit.jsonl");
  AuditEntry e;
  e.operation = "SEND_CONFIRM";
  EXPECT_FALSE(j.append(e));
  EXPECT_FALSE(j.append(e));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("plain/audit.jsonl not writable"), std::string::npos) << warnings[0];
}

TEST_F(Audit, OnlyARegularFileIsWrittenAndNothingWaits) {
  ASSERT_EQ(::mkfifo("unread", 0600), 0);
  ASSERT_EQ(::mkfifo("read", 0600), 0);
  const int reader = ::open("read", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const char* path : {"unread", "read"}) {
    warnings.clear();
    AuditJournal j = journal(path);
    AuditEntry e;
    e.operation = "SEND_CONFIRM";
    EXPECT_FALSE(j.append(e)) << path;
    EXPECT_FALSE(j.append(e)) << path;
    ASSERT_EQ(warnings.size(), 1u) << path;
    EXPECT_NE(warnings[0].find(std::string(path) + " not writable"), std::string::npos) << warnings[0];
  }
  ::close(reader);
}

TEST_F(Audit, ProcessesWritingAtOnceLeaveWholeLines) {
  constexpr int kLines = 300;
  AuditEntry e;
  e.operation = "SET_TAG";
  e.change("receiver.tag", std::string(2000, 'a'), std::string(2000, 'b'));
  std::vector<pid_t> children;
  for (int p = 0; p < 3; ++p) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      AuditJournal j = journal("shared.jsonl");
      for (int i = 0; i < kLines; ++i) j.append(e);
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) ::waitpid(pid, nullptr, 0);
  std::stringstream text;
  text << std::ifstream("shared.jsonl").rdbuf();
  const JournalRead read = read_journal(text.str());
  EXPECT_EQ(read.entries.size(), 3u * kLines);
  EXPECT_TRUE(read.damaged.empty());
}

}  // namespace
