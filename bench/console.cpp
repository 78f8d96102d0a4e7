// What the console costs the link: a complete upload of a receiver with four
// type 571 transmitters (207 exchanges) through the real serial port code
// over a pseudo-terminal, against the simulator core in a thread, once
// through the console (the real ncurses backend on a second pseudo-terminal,
// whose output a thread reads as a terminal emulator would, the progress
// texts presented while the link works) and once headless (no terminal, the
// link's quiet host).
//
// Unpaced: exchanges per second of both, measured in turns within one run,
// and console/headless, their ratio. Paced (9600 baud, see pty_receiver.h):
// wall/wire of the upload through the console.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/console_host.h"
#include "app/console_progress.h"
#include "model/records.h"
#include "model/session.h"
#include "pty_receiver.h"
#include "pty_terminal.h"
#include "transfer/upload.h"
#include "ui/console.h"

namespace {

using bench::Clock;

// The console: the ncurses backend on a pseudo-terminal whose output is read
// and dropped as it comes.
class Console {
 public:
  explicit Console(const kdv::model::Session& session) : progress_(session), drain_([this] { run(); }) {
    kdv::ui::set_text_window(1, 1, 80, 25);
    kdv::ui::text_background(1);
    kdv::ui::clear_window();
  }
  ~Console() {
    headless();
    stop_ = true;
    drain_.join();
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  void install() {
    kdv::ui::install_terminal(&pty_.terminal());
    kdv::link::set_host(&kdv::app::console_host());
    kdv::transfer::set_progress(&progress_);
  }
  static void headless() {
    kdv::ui::install_terminal(nullptr);
    kdv::link::set_host(nullptr);
    kdv::transfer::set_progress(nullptr);
  }

 private:
  void run() {
    char buf[8192];
    while (!stop_) {
      pollfd p{pty_.master(), POLLIN, 0};
      if (poll(&p, 1, 20) > 0 && ::read(pty_.master(), buf, sizeof buf) <= 0) break;
    }
  }

  bench::PtyTerminal pty_;
  kdv::app::ConsoleProgress progress_;
  std::atomic<bool> stop_{false};
  std::thread drain_;
};

// One upload of receiver 0 in seconds; its exchanges are added to exchanges.
double upload(kdv::model::Session& session, bench::PtyReceiver& receiver, long& exchanges, benchmark::State& state) {
  receiver.reset();
  const auto start = Clock::now();
  const kdv::link::Outcome outcome = kdv::transfer::upload_configuration(session);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (!outcome.ok()) state.SkipWithError(outcome.text.str().c_str());
  exchanges += static_cast<long>(receiver.exchanges());
  return wall;
}

void start(kdv::model::Session& session, bench::PtyReceiver& receiver) {
  kdv::model::init_model(session);  // start-up's directory is not needed here
  session.selected_port = receiver.path();
}

// Each iteration uploads headless, then through the console.
void upload_unpaced(benchmark::State& state) {
  bench::PtyReceiver receiver(false);
  kdv::model::Session session;
  start(session, receiver);
  Console console(session);
  double headless_wall = 0, console_wall = 0;
  long headless_exchanges = 0, console_exchanges = 0;
  for (auto _ : state) {
    Console::headless();
    headless_wall += upload(session, receiver, headless_exchanges, state);
    console.install();
    console_wall += upload(session, receiver, console_exchanges, state);
  }
  const double headless = static_cast<double>(headless_exchanges) / headless_wall;
  const double through_console = static_cast<double>(console_exchanges) / console_wall;
  state.counters["headless_exch/s"] = headless;
  state.counters["console_exch/s"] = through_console;
  state.counters["console/headless"] = through_console / headless;
}

void upload_paced_console(benchmark::State& state) {
  bench::PtyReceiver receiver(true);
  kdv::model::Session session;
  start(session, receiver);
  Console console(session);
  console.install();
  double wall = 0, bytes = 0;
  long exchanges = 0;
  for (auto _ : state) {
    wall += upload(session, receiver, exchanges, state);
    bytes += static_cast<double>(receiver.bytes());
  }
  state.counters["wall/wire"] = wall / (bytes * std::chrono::duration<double>(bench::kByteTime).count());
}

BENCHMARK(upload_unpaced)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(upload_paced_console)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
