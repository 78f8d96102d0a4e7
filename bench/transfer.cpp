// Complete upload and download of a receiver with four type 571
// transmitters (207 and 203 exchanges) through the real serial port code
// over a pseudo-terminal, against the simulator core in a thread.
//
// Paced: the simulated line carries 9600 baud, 10 bits a byte, in both
// directions (a request byte counts as arrived only one byte time after the
// previous one; the reply leaves byte by byte at the same rate). Reported:
// wall/wire, the wall time over the wire time of the bytes actually
// exchanged; 1.00 would be a link with no overhead of its own.
// Unpaced: the same with no pacing, in exchanges per second.
#include <benchmark/benchmark.h>

#include <chrono>

#include "link/outcome.h"
#include "model/records.h"
#include "model/session.h"
#include "pty_receiver.h"
#include "transfer/download.h"
#include "transfer/upload.h"

namespace {

using bench::kByteTime;
using bench::Clock;
using bench::PtyReceiver;

template <kdv::link::Outcome (*Transfer)(kdv::model::Session&)>
void run(benchmark::State& state, bool paced) {
  kdv::model::Session session;  // start-up's directory is not needed here
  kdv::model::init_model(session);
  PtyReceiver receiver(paced);
  session.selected_port = receiver.path();
  if (Transfer == kdv::transfer::download_configuration) {  // a record worth writing back
    session.current_receiver().NO_OF_TX = 4;
    for (int t = 1; t <= 4; ++t) kdv::model::init_transmitter(*session.receivers[0], t, 1);
  }
  double wall = 0;
  long bytes = 0, exchanges = 0;
  for (auto _ : state) {
    receiver.reset();
    const auto start = Clock::now();
    const kdv::link::Outcome outcome = Transfer(session);
    wall += std::chrono::duration<double>(Clock::now() - start).count();
    if (!outcome.ok()) state.SkipWithError(outcome.text.str().c_str());
    bytes += receiver.bytes();
    exchanges += static_cast<long>(receiver.exchanges());
  }
  state.counters["exchanges"] = benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kAvgIterations);
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
  if (paced) {
    const double wire = static_cast<double>(bytes) * std::chrono::duration<double>(kByteTime).count();
    state.counters["wall/wire"] = wall / wire;
  } else {
    state.counters["exchanges/s"] = static_cast<double>(exchanges) / wall;
  }
}

void upload_paced(benchmark::State& s) { run<kdv::transfer::upload_configuration>(s, true); }
void download_paced(benchmark::State& s) { run<kdv::transfer::download_configuration>(s, true); }
void upload_unpaced(benchmark::State& s) { run<kdv::transfer::upload_configuration>(s, false); }
void download_unpaced(benchmark::State& s) { run<kdv::transfer::download_configuration>(s, false); }

BENCHMARK(upload_paced)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(download_paced)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(upload_unpaced)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(download_unpaced)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
