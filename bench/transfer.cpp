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
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/comms.h"
#include "model/globals.h"
#include "receiver.h"
#include "transfer/download.h"
#include "transfer/upload.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto BYTE_TIME = std::chrono::nanoseconds(1'000'000'000 / 960);  // 10 bits at 9600

// A simulated receiver behind the master side of a pseudo-terminal.
class PtyReceiver {
 public:
  explicit PtyReceiver(bool paced) : paced_(paced) {
    rx_.state().NO_OF_TX = 4;
    for (int t = 1; t <= 4; ++t) globals::INIT_TX(rx_.state(), t, 1);
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) std::abort();
    path_ = ptsname(master_);
    // Our own descriptor keeps the line up while the program re-opens it.
    slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (slave_ < 0 || tcgetattr(slave_, &t) != 0) std::abort();
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    thread_ = std::thread([this] { serve(); });
  }
  ~PtyReceiver() {
    stop_ = true;
    thread_.join();
    close(slave_);
    close(master_);
  }

  const std::string& path() const { return path_; }
  std::size_t exchanges() const { return rx_.requests().size(); }
  // Bytes both ways since the start.
  long bytes() const { return bytes_; }
  void reset() {
    rx_.clear_requests();
    bytes_ = 0;
  }

 private:
  void serve() {
    Clock::time_point arrived{};  // when the last request byte is through the line
    std::uint8_t buf[512];
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) {
        if (n < 0 && errno == EIO) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      for (ssize_t i = 0; i < n; ++i) {
        ++bytes_;
        arrived = std::max(Clock::now(), arrived) + BYTE_TIME;
        const sim::Bytes reply = rx_.receive(buf[i]);
        if (reply.empty()) continue;
        if (paced_) std::this_thread::sleep_until(arrived);
        const Clock::time_point start = Clock::now();
        for (std::size_t k = 0; k < reply.size(); ++k) {
          if (paced_) std::this_thread::sleep_until(start + BYTE_TIME * static_cast<long>(k + 1));
          while (write(master_, &reply[k], 1) != 1) std::this_thread::yield();
          ++bytes_;
        }
        arrived = Clock::now();
      }
    }
  }

  bool paced_;
  sim::Receiver rx_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<long> bytes_{0};
  std::thread thread_;
};

template <void (*Transfer)()>
void Run(benchmark::State& state, bool paced) {
  globals::ARGUMENTS.clear();
  globals::INITCOMMS();
  PtyReceiver receiver(paced);
  globals::SELECTED_PORT_NAME = receiver.path();
  if (Transfer == download::DOWNLOAD) {  // a record worth writing back
    globals::RX().NO_OF_TX = 4;
    for (int t = 1; t <= 4; ++t) globals::INIT_TX(0, t, 1);
  }
  double wall = 0;
  long bytes = 0, exchanges = 0;
  for (auto _ : state) {
    receiver.reset();
    const auto start = Clock::now();
    Transfer();
    wall += std::chrono::duration<double>(Clock::now() - start).count();
    if (globals::MSGERROR) state.SkipWithError(globals::ERRMSG.str().c_str());
    bytes += receiver.bytes();
    exchanges += static_cast<long>(receiver.exchanges());
  }
  state.counters["exchanges"] = benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kAvgIterations);
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
  if (paced) {
    const double wire = static_cast<double>(bytes) * std::chrono::duration<double>(BYTE_TIME).count();
    state.counters["wall/wire"] = wall / wire;
  } else {
    state.counters["exchanges/s"] = static_cast<double>(exchanges) / wall;
  }
}

void UploadPaced(benchmark::State& s) { Run<upload::UPLOAD>(s, true); }
void DownloadPaced(benchmark::State& s) { Run<download::DOWNLOAD>(s, true); }
void UploadUnpaced(benchmark::State& s) { Run<upload::UPLOAD>(s, false); }
void DownloadUnpaced(benchmark::State& s) { Run<download::DOWNLOAD>(s, false); }

BENCHMARK(UploadPaced)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DownloadPaced)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(UploadUnpaced)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DownloadUnpaced)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
