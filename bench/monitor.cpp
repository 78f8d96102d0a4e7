// Live monitor throughput: passes per second of the all-channels loop for a
// 16-channel transmitter through the real serial port code over a
// pseudo-terminal, against the simulator core paced at 9600 baud both ways.
// Reported beside it: the wire-time limit, the passes per second a line
// carrying only the bytes of the passes would allow (wall/wire 1.00 would be
// a link with no overhead of its own).
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>

#include "app/console_host.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "model/records.h"
#include "model/session.h"
#include "monitor/live_monitor.h"
#include "pty_receiver.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

namespace {

using bench::Clock;

// The real serial port, counting the exchange attempts made through it.
class CountingPort : public kdv::link::SerialPort {
 public:
  explicit CountingPort(const std::function<void()>& on_connect) : on_connect_(on_connect) {}
  void connect_port(std::string_view name) override {
    on_connect_();
    port_.connect_port(name);
  }
  void configure(int baud, int bits, char parity, int stop, bool softflow, bool hardflow) override {
    port_.configure(baud, bits, parity, stop, softflow, hardflow);
  }
  void send_byte(std::uint8_t b) override { port_.send_byte(b); }
  std::uint8_t receive_byte(int timeout_ms) override { return port_.receive_byte(timeout_ms); }
  int last_error() const override { return port_.last_error(); }

 private:
  std::function<void()> on_connect_;
  kdv::link::PosixSerialPort port_;
};

void all_channels_monitor_paced_16_channels(benchmark::State& state) {
  kdv::model::Session session;  // start-up's directory is not needed here
  kdv::model::init_model(session);
  session.transmitter_number = 1;
  bench::PtyReceiver receiver(true);
  session.selected_port = receiver.path();
  kdv::ui::ScriptTerminal term;
  kdv::ui::install_terminal(&term);
  kdv::link::set_host(&kdv::app::console_host());

  // A pass makes two exchanges (cold junction, all values), each through a
  // port object of its own; the pass after the timed ones is ended with
  // Escape at its first byte.
  const int passes = static_cast<int>(state.range(0));
  int connects = 0;
  Clock::time_point first, last;
  long bytes_first = 0, bytes_last = 0;
  kdv::link::set_port_factory([&] {
    return std::make_unique<CountingPort>([&] {
      ++connects;
      if (connects == 1) {
        first = Clock::now();
        bytes_first = receiver.bytes();
      }
      if (connects == 2 * passes + 1) {
        last = Clock::now();
        bytes_last = receiver.bytes();
        term.escape();
      }
    });
  });
  bool failed = false;
  term.on_wait = [&] {
    if (kdv::ui::screen_model().text(5, 23, 3) != "   ") failed = true;  // an error display
  };

  double seconds = 0;
  long bytes = 0, done = 0;
  for (auto _ : state) {
    connects = 0;
    kdv::monitor::live_all_channels_loop(session);
    if (failed || connects != 2 * passes + 1) {
      state.SkipWithError("a pass failed");
      break;
    }
    const double elapsed = std::chrono::duration<double>(last - first).count();
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    bytes += bytes_last - bytes_first;
    done += passes;
  }
  kdv::link::set_port_factory({});
  term.on_wait = nullptr;
  kdv::link::set_host(nullptr);
  kdv::ui::install_terminal(nullptr);
  if (done == 0) return;

  const double wire = static_cast<double>(bytes) * std::chrono::duration<double>(bench::kByteTime).count();
  state.counters["passes/s"] = static_cast<double>(done) / seconds;
  state.counters["limit/s"] = static_cast<double>(done) / wire;
  state.counters["bytes/pass"] = static_cast<double>(bytes) / static_cast<double>(done);
  state.counters["wall/wire"] = seconds / wire;
}

BENCHMARK(all_channels_monitor_paced_16_channels)->Arg(10)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
