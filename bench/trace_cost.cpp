// What the frame trace and the audit journal cost a paced download of a
// receiver with four type 571 transmitters (203 exchanges) over a
// pseudo-terminal against the simulator core: downloads with the trace and
// the audit journal on and off in turns, five of each, and the median wall
// times; then the time of 203 journal lines appended alone. Counters: the
// medians in seconds, on/off, the trace's and the journal's lines (one
// write each) and the journal's time per line.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "link/audit.h"
#include "link/audit_watch.h"
#include "link/trace.h"
#include "model/records.h"
#include "model/session.h"
#include "pty_receiver.h"
#include "transfer/download.h"

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void download_paced_trace_on_off(benchmark::State& state) {
  kdv::model::Session session;  // start-up's directory is not needed here
  kdv::model::init_model(session);
  bench::PtyReceiver receiver(true);
  session.selected_port = receiver.path();
  session.current_receiver().NO_OF_TX = 4;
  for (int t = 1; t <= 4; ++t) kdv::model::init_transmitter(*session.receivers[0], t, 1);
  const std::string trace = "/tmp/kdv578-bench-" + std::to_string(::getpid()) + ".trace";
  const std::string journal = "/tmp/kdv578-bench-" + std::to_string(::getpid()) + ".jsonl";
  kdv::link::JournalWatcher watcher(journal, "kdv578", "bench", {});
  std::vector<double> on, off;
  long lines = 0;
  long journal_lines = 0;
  for (auto _ : state) {
    for (int run = 0; run < 10; ++run) {
      const bool traced = run % 2 == 1;
      if (traced && kdv::link::start_trace(trace)) state.SkipWithError("trace not writable");
      kdv::link::set_change_watcher(traced ? &watcher : nullptr);
      std::remove(journal.c_str());
      receiver.reset();
      const auto start = bench::Clock::now();
      const kdv::link::Outcome outcome = kdv::transfer::download_configuration(session);
      const double wall = std::chrono::duration<double>(bench::Clock::now() - start).count();
      kdv::link::stop_trace();
      kdv::link::set_change_watcher(nullptr);
      if (!outcome.ok()) state.SkipWithError(outcome.text.str().c_str());
      (traced ? on : off).push_back(wall);
      std::fprintf(stderr, "download %d, trace and journal %s: %.3f s\n", run + 1, traced ? "on" : "off", wall);
      if (traced) {
        std::ifstream in(trace);
        lines = std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
        std::ifstream audited(journal);
        journal_lines =
            std::count(std::istreambuf_iterator<char>(audited), std::istreambuf_iterator<char>(), '\n');
      }
    }
  }
  std::remove(trace.c_str());

  std::remove(journal.c_str());
  kdv::link::AuditJournal audit(journal, "kdv578", "bench", {});
  kdv::link::AuditEntry entry;
  entry.port = receiver.path();
  entry.operation = "SET_SCALES";
  entry.change("tx1.ch1.gain", 1.0, 2.5);
  const auto start = bench::Clock::now();
  for (int i = 0; i < 203; ++i) audit.append(entry);
  const double journal_s = std::chrono::duration<double>(bench::Clock::now() - start).count();
  std::remove(journal.c_str());

  state.counters["off_s"] = median(off);
  state.counters["on_s"] = median(on);
  state.counters["on/off"] = median(on) / median(off);
  state.counters["trace_lines"] = static_cast<double>(lines);
  state.counters["journal_lines"] = static_cast<double>(journal_lines);
  state.counters["journal_us_per_line"] = journal_s / 203 * 1e6;
  state.counters["journal_203_lines_ms"] = journal_s * 1e3;
}

BENCHMARK(download_paced_trace_on_off)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
