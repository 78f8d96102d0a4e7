// A save cut short by a signal or std::terminate while the console's
// terminal is up: the terminal's fatal-exit path removes the save's
// temporaries, so only the old pair remains.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>

#include "files/file_pair.h"
#include "files/scratch_dir.h"
#include "support/pty.h"
#include "ui/ncurses_terminal.h"

using namespace kdv::model;

namespace {

using InterruptedSave = ScratchDir;

// How the child below ends while its save is cut short: a signal, or
// terminate (0).
volatile sig_atomic_t g_way_out = 0;

TEST_F(InterruptedSave, NoTemporaryOutlivesTheProgram) {
  ASSERT_TRUE(kdv::files::write_pair("plant", HeldFlagsRecord{}, ReceiverRecord{}));
  for (int way : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, 0}) {
    testpty::Pty pty;
    const pid_t pid = fork();
    if (pid == 0) {
      const rlimit no_core{0, 0}, small{1000, RLIM_INFINITY};
      ::setrlimit(RLIMIT_CORE, &no_core);
      auto t = kdv::ui::NcursesTerminal::open_terminal(
          {fdopen(dup(pty.slave()), "w"), fdopen(dup(pty.slave()), "r"), "xterm",
           kdv::files::remove_temporaries}).terminal;
      g_way_out = way;
      // The disk fills up while the ".rxd" is written; the program ends there.
      ::signal(SIGXFSZ, [](int) { g_way_out ? (void)::raise(g_way_out) : std::terminate(); });
      ::setrlimit(RLIMIT_FSIZE, &small);
      kdv::files::write_pair("plant", HeldFlagsRecord{}, ReceiverRecord{});
      _exit(99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(WTERMSIG(status), way ? way : SIGABRT);
    EXPECT_EQ(entries(), (std::vector<std::string>{"plant.gdt", "plant.rxd"})) << way;
  }
}

}  // namespace
