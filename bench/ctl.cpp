// kdv578ctl's upload, download, verify and monitor against a paced
// simulated receiver (four type 571 transmitters) over a pseudo-terminal,
// beside the console's own upload in the same run, measured twice: in
// process (the link's upload called directly) and as the kdv578 process on
// a terminal of its own, started and answered by keys. Three repetitions
// each, the medians reported.
//
// wall/wire: the wall time of the command over the wire time of the bytes
// both ways at 9600 baud, 10 bits a byte; line/wire the same for the time
// from the first request byte to the last reply byte, which leaves out
// every program's start and end. kdv578ctl's wall time runs from
// the spawn of its process to its exit; the console process's from its
// spawn to the last byte of the upload's last reply. The aims: upload,
// download and verify at most 1.02 and not above the console process's
// upload; monitor passes at least 0.99 of the wire-limited rate (rate/wire,
// the inverse).
#include <benchmark/benchmark.h>

#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "model/session.h"
#include "pty_receiver.h"
#include "transfer/upload.h"

namespace {

using bench::kByteTime;
using bench::Clock;
using bench::PtyReceiver;

using Ended = std::optional<Clock::time_point>;  // when the command's work ended; nothing: it failed

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Runs kdv578ctl quietly to its end; its exit code.
int ctl(std::vector<std::string> args) {
  args.insert(args.begin(), KDV578_CTL);
  args.emplace_back("--quiet");
  ::setenv("KDV578_AUDIT", "off", 0);  // a benchmark writes no user's journal
  const std::vector<char*> argv = pointers(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

Ended ended_if(bool ok) { return ok ? Ended(Clock::now()) : std::nullopt; }

const std::string kDocument = "/tmp/kdv578-bench-" + std::to_string(getpid()) + ".toml";

// The console's working directory: its screen files, copied from beside
// kdv578ctl; removed at the end.
class ConsoleDirectory {
 public:
  ConsoleDirectory() {
    char name[] = "/tmp/kdv578-bench-console-XXXXXX";
    if (!mkdtemp(name)) std::abort();
    path_ = name;
    const std::filesystem::path bin = std::filesystem::path(KDV578_CTL).parent_path();
    for (const char* scn : {"conf578.scn", "mess578.scn"}) std::filesystem::copy_file(bin / scn, path_ / scn);
  }
  ~ConsoleDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ConsoleDirectory(const ConsoleDirectory&) = delete;
  ConsoleDirectory& operator=(const ConsoleDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Down, then Enter: YES to the opening question, the upload at once.
constexpr std::string_view kUploadAtOnce = "\x1bOB\r";

// The console as a process on an 80 x 25 terminal of its own, offered the
// receiver's port, answered as soon as it reads keys (its terminal out of
// line mode), its screen output read and dropped. Its upload ends with the
// last byte of the last of `exchanges` replies, so its last screen update
// is not counted; the console is then ended.
Ended upload_by_console_process(const PtyReceiver& receiver, long exchanges) {
  static const ConsoleDirectory kDirectory;
  std::vector<std::string> args = {(std::filesystem::path(KDV578_CTL).parent_path() / "kdv578").string()};
  std::vector<std::string> env = {"KDV578_PORTS=" + receiver.path(), "KDV578_AUDIT=off", "TERM=xterm-256color",
                                  "LC_ALL=C.UTF-8", "HOME=" + kDirectory.path().string()};
  const std::vector<char*> argv = pointers(args);
  const std::vector<char*> envp = pointers(env);
  winsize size{};
  size.ws_row = 25;
  size.ws_col = 80;
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    if (chdir(kDirectory.path().c_str()) == 0) execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  Ended end;
  bool answered = false;
  char screen[8192];
  for (const auto limit = Clock::now() + std::chrono::seconds(60); !end && Clock::now() < limit;) {
    termios t{};
    if (!answered && tcgetattr(master, &t) == 0 && (t.c_lflag & ICANON) == 0)
      answered = write(master, kUploadAtOnce.data(), kUploadAtOnce.size()) ==
                 static_cast<ssize_t>(kUploadAtOnce.size());
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, answered ? 20 : 1) > 0 && read(master, screen, sizeof screen) <= 0) break;  // it ended
    if (receiver.replies() >= exchanges) end = receiver.replied();
  }
  kill(pid, SIGTERM);
  while (read(master, screen, sizeof screen) > 0) {
  }
  waitpid(pid, nullptr, 0);
  close(master);
  return end;
}

// Times one run of `work` against a fresh paced receiver, from its start
// to the end it returns; the counters carry wall/wire (and its inverse for
// the monitor). `work` is given the receiver and the exchanges of a whole
// upload.
template <class Work>
void measure(benchmark::State& state, Work work) {
  PtyReceiver receiver(true);
  // The document a download and a verify send: the receiver's own.
  if (ctl({"upload", "--port", receiver.path(), "-o", kDocument}) != 0) state.SkipWithError("upload for the document");
  const long upload_exchanges = receiver.replies();
  double wall = 0, to_first_request = 0, on_line = 0;
  long bytes = 0;
  for (auto _ : state) {
    receiver.reset();
    const auto start = Clock::now();
    const Ended end = work(receiver, upload_exchanges);
    if (!end) state.SkipWithError("the command failed");
    wall += std::chrono::duration<double>(end.value_or(start) - start).count();
    to_first_request += std::chrono::duration<double>(receiver.first_request() - start).count();
    on_line += std::chrono::duration<double>(receiver.replied() - receiver.first_request()).count();
    bytes += receiver.bytes();
  }
  // From the start to the first request byte: the program's own start.
  state.counters["start_ms"] = benchmark::Counter(to_first_request * 1000, benchmark::Counter::kAvgIterations);
  const double wire = static_cast<double>(bytes) * std::chrono::duration<double>(kByteTime).count();
  state.counters["wall/wire"] = wall / wire;
  // From the first request byte to the last reply byte: the exchanges alone.
  state.counters["line/wire"] = on_line / wire;
  state.counters["rate/wire"] = wire / wall;
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
  for (const char* made : {"", ".up.gdt", ".up.rxd", ".csv"}) std::remove((kDocument + made).c_str());
}

void console_upload(benchmark::State& s) {
  kdv::model::Session session;  // start-up's directory is not needed here
  kdv::model::init_model(session);
  measure(s, [&session](const PtyReceiver& r, long) {
    session.selected_port = r.path();
    return ended_if(kdv::transfer::upload_configuration(session).ok());
  });
}
void console_process_upload(benchmark::State& s) { measure(s, upload_by_console_process); }
void ctl_upload(benchmark::State& s) {
  measure(s, [](const PtyReceiver& r, long) {
    return ended_if(ctl({"upload", "--port", r.path(), "-o", kDocument + ".up"}) == 0);
  });
}
void ctl_download(benchmark::State& s) {
  measure(s, [](const PtyReceiver& r, long) { return ended_if(ctl({"download", kDocument, "--port", r.path()}) == 0); });
}
void ctl_verify(benchmark::State& s) {
  measure(s, [](const PtyReceiver& r, long) { return ended_if(ctl({"verify", kDocument, "--port", r.path()}) == 0); });
}
void ctl_monitor(benchmark::State& s) {
  measure(s, [](const PtyReceiver& r, long) {
    return ended_if(ctl({"monitor", "--tx", "1", "--count", "20", "--port", r.path(), "-o", kDocument + ".csv"}) == 0);
  });
}

BENCHMARK(console_upload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(console_process_upload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(ctl_upload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(ctl_download)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(ctl_verify)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(ctl_monitor)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
