// The real program on a pseudo-terminal: options are reported before the
// screen is taken, and start-up goes on to its end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "support/pty.h"

namespace {

const std::string kProgram = KDV578_BINARY_DIR "/kdv578";

// Runs the program where its screen definition files are, and leaves it the
// way a user would should it wait for keys: Escape to any first question,
// then Alt-X and "y".
testpty::Run start(const std::string& option, const char* term) {
  return testpty::run_program({{kProgram, option}, term, KDV578_BINARY_DIR, "\x1b\x1bxy"});
}

void expect_full_startup(const testpty::Run& run, std::size_t after) {
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  const std::size_t screen = run.output.find("\x1b[?1049h", after);
  ASSERT_NE(screen, std::string::npos);
  const std::size_t cursor_off = run.output.find("\x1b[?25l", screen);  // the last start-up step
  EXPECT_NE(cursor_off, std::string::npos);
  EXPECT_NE(run.output.find("\x1b[?1049l", cursor_off), std::string::npos);  // given back
}

TEST(ConsoleProgram, InvalidOptionIsReportedAndStartUpGoesOn) {
  const testpty::Run run = start("-x", "xterm");
  const std::string report =
      "exception at " + std::string(2 * sizeof(void*), '0') + ":\r\nInvalid option at position 1: \"x\"\r\n";
  ASSERT_EQ(run.output.substr(0, report.size()), report);
  expect_full_startup(run, report.size());
}

TEST(ConsoleProgram, HelpPrintsTheFullPathAndStartUpGoesOn) {
  const testpty::Run run = start("--help", "xterm-256color");
  const std::string usage = "Usage: " + std::filesystem::canonical(kProgram).string() + " -h\r\n";
  ASSERT_EQ(run.output.substr(0, usage.size()), usage);
  expect_full_startup(run, usage.size());
}

TEST(ConsoleProgram, WithoutATerminalOnStandardInputItSaysSoAndEnds) {
  const struct {
    const char* input;
    const char* said;
  } cases[] = {{"</dev/null", "not a terminal"}, {"<&-", "closed"}};
  for (const auto& c : cases) {
    // Standard error alone is read; the time limit only guards against a hang.
    const std::string command =
        "cd " KDV578_BINARY_DIR " && TERM=xterm timeout 5 ./kdv578 " + std::string(c.input) + " 2>&1 >/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string said;
    char buf[256];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) said.append(buf, n);
    const int status = pclose(pipe);
    EXPECT_EQ(said, "kdv578: standard input is " + std::string(c.said) + "; run kdv578 from a terminal\n");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.input << ": status " << status;
  }
}

TEST(ConsoleProgram, ATerminalThatCannotAddressTheCursorIsRefused) {
  const testpty::Run run = testpty::run_program({{kProgram}, "dumb", KDV578_BINARY_DIR, "", {}, 3000});
  EXPECT_EQ(run.output,
            "kdv578: cannot use this terminal (TERM=dumb): it cannot move the cursor; set TERM to the "
            "terminal's own type\r\n");
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
}

}  // namespace
