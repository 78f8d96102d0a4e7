// kdv578ctl's upload, download, verify and monitor against a paced
// simulated receiver (four type 571 transmitters) over a pseudo-terminal,
// beside the console's own upload in the same run; three repetitions each,
// the medians reported.
//
// wall/wire: the wall time of the command (the process start included)
// over the wire time of the bytes both ways at 9600 baud, 10 bits a byte.
// The aims: upload, download and verify at most 1.02 and not above the
// console's upload; monitor passes at least 0.99 of the wire-limited rate
// (rate/wire, the inverse).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "link/comms.h"
#include "model/globals.h"
#include "model/session.h"
#include "pty_receiver.h"
#include "transfer/upload.h"

namespace {

using bench::BYTE_TIME;
using bench::Clock;
using bench::PtyReceiver;

// Runs kdv578ctl quietly to its end; its exit code.
int ctl(std::vector<std::string> args) {
  args.insert(args.begin(), KDV578_CTL);
  args.emplace_back("--quiet");
  ::setenv("KDV578_AUDIT", "off", 0);  // a benchmark writes no user's journal
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
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

const std::string kDocument = "/tmp/kdv578-bench-" + std::to_string(getpid()) + ".toml";

// Times one run of `work` against a fresh paced receiver; the counters
// carry wall/wire (and its inverse for the monitor).
template <class Work>
void Measure(benchmark::State& state, Work work) {
  PtyReceiver receiver(true);
  // The document a download and a verify send: the receiver's own.
  if (ctl({"upload", "--port", receiver.path(), "-o", kDocument}) != 0) state.SkipWithError("upload for the document");
  double wall = 0;
  long bytes = 0;
  for (auto _ : state) {
    receiver.reset();
    const auto start = Clock::now();
    if (!work(receiver.path())) state.SkipWithError("the command failed");
    wall += std::chrono::duration<double>(Clock::now() - start).count();
    bytes += receiver.bytes();
  }
  const double wire = static_cast<double>(bytes) * std::chrono::duration<double>(BYTE_TIME).count();
  state.counters["wall/wire"] = wall / wire;
  state.counters["rate/wire"] = wire / wall;
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
  std::remove(kDocument.c_str());
}

void ConsoleUpload(benchmark::State& s) {
  globals::Session session;  // start-up's directory is not needed here
  globals::INITCOMMS(session);
  Measure(s, [&session](const std::string& port) {
    session.SELECTED_PORT_NAME = port;
    return upload::UPLOAD(session).ok();
  });
}
void CtlUpload(benchmark::State& s) {
  Measure(s, [](const std::string& port) { return ctl({"upload", "--port", port, "-o", kDocument + ".up"}) == 0; });
}
void CtlDownload(benchmark::State& s) {
  Measure(s, [](const std::string& port) { return ctl({"download", kDocument, "--port", port}) == 0; });
}
void CtlVerify(benchmark::State& s) {
  Measure(s, [](const std::string& port) { return ctl({"verify", kDocument, "--port", port}) == 0; });
}
void CtlMonitor(benchmark::State& s) {
  Measure(s, [](const std::string& port) {
    return ctl({"monitor", "--tx", "1", "--count", "20", "--port", port, "-o", kDocument + ".csv"}) == 0;
  });
}

BENCHMARK(ConsoleUpload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(CtlUpload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(CtlDownload)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(CtlVerify)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(CtlMonitor)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
