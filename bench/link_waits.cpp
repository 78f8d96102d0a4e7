// How long the link's waits last against a misbehaving receiver:
// kdv578ctl reading the tag from kdv578-sim over its pseudo-terminal.
//
// attempt_*: from the spawn of kdv578ctl to its exit, a receiver that
// trickles one byte every 900 ms (cut 5 s after the STX), and the longest
// attempt: the STX only just inside the fourth read (a pause of 3900 ms),
// then the same trickle. stop_*: from Ctrl-C (SIGINT) to kdv578ctl's exit,
// sent 300 ms after the spawn, against a silent and a trickling receiver.
// Counters: exit (the code), and the time in seconds.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "process.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  int exit = -1;
  double seconds = 0;  // spawn to exit, or SIGINT to exit
};

// kdv578ctl reading the tag from a simulator with the given options;
// interrupted after interrupt_ms unless that is negative.
Run read_tag(const std::vector<std::string>& sim_options, int interrupt_ms) {
  kdv::sim::Process sim(KDV578_SIM, sim_options);
  std::vector<std::string> args = {KDV578_CTL, "get", "receiver.tag", "--quiet", "--port", sim.read_output()};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ::setenv("KDV578_AUDIT", "off", 0);  // a benchmark writes no user's journal
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  pid_t pid = -1;
  auto start = Clock::now();
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  if (interrupt_ms >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interrupt_ms));
    start = Clock::now();
    ::kill(pid, SIGINT);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exit = WEXITSTATUS(status);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return run;
}

void measure(benchmark::State& state, const std::vector<std::string>& sim_options, int interrupt_ms) {
  double seconds = 0;
  int exit = -1;
  for (auto _ : state) {
    const Run run = read_tag(sim_options, interrupt_ms);
    seconds += run.seconds;
    exit = run.exit;
    state.SetIterationTime(run.seconds);
  }
  state.counters["exit"] = exit;
  state.counters["seconds"] = benchmark::Counter(seconds, benchmark::Counter::kAvgIterations);
}

void attempt_trickle(benchmark::State& s) { measure(s, {"--trickle", "900"}, -1); }
void attempt_longest(benchmark::State& s) { measure(s, {"--pause", "3900:0", "--trickle", "900"}, -1); }
void stop_silent(benchmark::State& s) { measure(s, {"--no-reply"}, 300); }
void stop_trickle(benchmark::State& s) { measure(s, {"--trickle", "300"}, 300); }

BENCHMARK(attempt_trickle)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(attempt_longest)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(stop_silent)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(stop_trickle)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
