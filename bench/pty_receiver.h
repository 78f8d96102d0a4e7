// A simulated receiver (the simulator core, four type 571 transmitters)
// serving the master side of a pseudo-terminal from a thread, for the
// benchmarks that drive the real serial port code. Paced, the line carries
// 9600 baud, 10 bits a byte, in both directions: a request byte counts as
// arrived only one byte time after the previous one, and the reply leaves
// byte by byte at the same rate.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "model/records.h"
#include "receiver.h"

namespace bench {

using Clock = std::chrono::steady_clock;
inline constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000 / 960);  // 10 bits at 9600

// A simulated receiver behind the master side of a pseudo-terminal.
class PtyReceiver {
 public:
  explicit PtyReceiver(bool paced) : paced_(paced) {
    rx_.state().NO_OF_TX = 4;
    for (int t = 1; t <= 4; ++t) kdv::model::init_transmitter(rx_.state(), t, 1);
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
  // When the first request byte since the start arrived; replies sent
  // whole since the start, and when the last one's last byte left (safe to
  // read while the receiver serves).
  Clock::time_point first_request() const { return first_request_; }
  long replies() const { return replies_; }
  Clock::time_point replied() const { return replied_; }
  void reset() {
    rx_.clear_requests();
    bytes_ = 0;
    replies_ = 0;
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
        if (bytes_++ == 0) first_request_ = Clock::now();
        arrived = std::max(Clock::now(), arrived) + kByteTime;
        const kdv::sim::Bytes reply = rx_.receive(buf[i]);
        if (reply.empty()) continue;
        if (paced_) std::this_thread::sleep_until(arrived);
        const Clock::time_point start = Clock::now();
        for (std::size_t k = 0; k < reply.size(); ++k) {
          if (paced_) std::this_thread::sleep_until(start + kByteTime * static_cast<long>(k + 1));
          while (write(master_, &reply[k], 1) != 1) std::this_thread::yield();
          ++bytes_;
        }
        arrived = Clock::now();
        replied_ = arrived;
        ++replies_;
      }
    }
  }

  bool paced_;
  kdv::sim::Receiver rx_;
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<long> bytes_{0};
  std::atomic<Clock::time_point> first_request_{};
  std::atomic<long> replies_{0};
  std::atomic<Clock::time_point> replied_{};
  std::thread thread_;
};

}  // namespace bench
