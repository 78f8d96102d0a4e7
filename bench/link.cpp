// Exchanges per second against the simulator, in-process and over a
// pseudo-terminal with kdv578-sim, and a paced all-channel reading against
// the wire time of the bytes it exchanges at 9600 baud.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/outcome.h"
#include "model/records.h"
#include "model/session.h"
#include "process.h"
#include "sim_port.h"

namespace {

using namespace kdv::link;

// The simulator beside the benchmark's own folder (build/bench/..).
std::string simulator() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
          "kdv578-sim")
      .string();
}

void fresh_model(kdv::model::Session& session) {
  kdv::model::init_model(session);  // start-up's directory is not needed here
}

// Runs the reading once per iteration; counts exchanges and their bytes.
void measure(kdv::model::Session& session, benchmark::State& state, Outcome (*reading)(Link&), int request_bytes) {
  double bytes = 0;
  for (auto _ : state) {
    Link link{session};
    const Outcome outcome = reading(link);
    if (!outcome.ok()) {
      state.SkipWithError(outcome.text.str().c_str());
      return;
    }
    bytes += request_bytes + link.reply().length + 1;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["wire_ms"] = benchmark::Counter(bytes * 10 / 9600 * 1000,
                                                 benchmark::Counter::kAvgIterations);
}

Outcome read_tag(Link& link) { return link.READ_TAG(0); }
Outcome read_values(Link& link) {
  int type = 0;
  return link.READ_VALS(0, 1, type);
}

void tag_in_process(benchmark::State& state) {
  kdv::model::Session session;
  fresh_model(session);
  kdv::sim::Receiver rx;
  kdv::sim::PluggedIn plug(rx, session);
  measure(session, state, read_tag, 6);
}

void over_pty(benchmark::State& state, std::vector<std::string> options, Outcome (*reading)(Link&),
                int request_bytes) {
  kdv::model::Session session;
  fresh_model(session);
  kdv::sim::Process sim(simulator(), std::move(options));
  session.selected_port = sim.read_output();
  measure(session, state, reading, request_bytes);
}

BENCHMARK(tag_in_process)->UseRealTime();
BENCHMARK_CAPTURE(over_pty, tag, std::vector<std::string>{}, read_tag, 6)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(over_pty, all_values, std::vector<std::string>{}, read_values, 7)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(over_pty, all_values_paced, std::vector<std::string>{"--paced"},
                  read_values, 7)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
