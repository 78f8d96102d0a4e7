// kdv578-sim: a simulated receiver on a pseudo-terminal. Prints the
// terminal's path on its first line, then answers every request frame
// written to it until it is terminated.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "link/trace.h"
#include "options.h"
#include "receiver.h"

namespace {

// Signal flag: set by the handler.
volatile std::sig_atomic_t stop_requested = 0;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void on_signal(int) { stop_requested = 1; }

// Raw at once, so the first bytes already pass unchanged, whoever opens it.
bool make_raw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

// Writes one byte; a line nobody reads for a while loses the rest of the reply.
bool put(int fd, std::uint8_t b) {
  for (int tries = 0; tries < 100; ++tries) {
    const ssize_t n = write(fd, &b, 1);
    if (n == 1) return true;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd, POLLOUT, 0};
    poll(&p, 1, 10);
  }
  return false;
}

// The reply byte by byte, each after the receiver's wait before it (the
// pause and trickle faults) and, paced, its byte time.
void send(int fd, const kdv::sim::Receiver& rx, const kdv::sim::Bytes& reply, bool paced,
          kdv::link::TraceFile* trace) {
  using namespace std::chrono;
  constexpr auto kByteTime = nanoseconds(1'000'000'000 / 960);  // 10 bits at 9600 baud
  auto due = steady_clock::now();
  for (std::size_t k = 0; k < reply.size(); ++k) {
    due += milliseconds(rx.byte_delay_ms(k)) + (paced ? kByteTime : nanoseconds(0));
    std::this_thread::sleep_until(due);
    if (!put(fd, reply[k])) return;
    if (trace) trace->byte(false, reply[k], "");
  }
}

std::string printable(const kdv::sim::Bytes& bytes) {
  std::string s;
  for (std::uint8_t b : bytes) {
    if (b >= 0x20 && b < 0x7F) {
      s += static_cast<char>(b);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", b);
      s += hex;
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  kdv::sim::Options options;
  std::string error;
  if (!kdv::sim::parse_options({argv + 1, argv + argc}, options, error)) {
    std::fprintf(stderr, "kdv578-sim: %s\n\n%s", error.c_str(), kdv::sim::usage().c_str());
    return 2;
  }
  if (const std::optional<std::string> answer = kdv::sim::answer_instead_of_running(options)) {
    std::fputs(answer->c_str(), stdout);
    return 0;
  }
  kdv::sim::Receiver rx;
  kdv::sim::apply(options, rx);
  std::unique_ptr<kdv::link::TraceFile> trace;
  if (!options.trace.empty()) {
    trace = kdv::link::TraceFile::create(options.trace, error);
    if (!trace) {
      std::fprintf(stderr, "kdv578-sim: %s\n", error.c_str());
      return 1;
    }
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("kdv578-sim: pseudo-terminal");
    return 1;
  }
  const char* path = ptsname(master);
  // Keeping a descriptor of our own on the terminal lets the program close
  // and re-open it before every exchange without hanging up the line.
  const int slave = path ? open(path, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
  if (slave < 0 || !make_raw(slave)) {
    std::perror("kdv578-sim: pseudo-terminal");
    return 1;
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  std::printf("%s\n", path);
  std::fflush(stdout);

  struct sigaction sa{};
  sa.sa_handler = on_signal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  std::uint8_t buf[512];
  bool trace_cut_told = false;
  while (!stop_requested) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const ssize_t n = read(master, buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EINTR || errno == EIO)) {
      if (errno == EIO) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (trace) trace->byte(true, buf[i], "");
      const std::size_t before = rx.requests().size();
      const kdv::sim::Bytes reply = rx.receive(buf[i]);
      if (options.verbose && rx.requests().size() > before) {
        std::fprintf(stderr, "> %s\n< %s\n",
                     printable(kdv::sim::Receiver::frame_of(rx.requests().back())).c_str(),
                     printable(reply).c_str());
      }
      if (!reply.empty() && rx.reply_delay_ms() > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(rx.reply_delay_ms()));
      send(master, rx, reply, options.paced, trace.get());
      if (trace && trace->cut() && !trace_cut_told) {
        std::fprintf(stderr, "kdv578-sim: %s; answering goes on\n", trace->cut()->c_str());
        trace_cut_told = true;
      }
      if (rx.requests().size() > 1000) rx.clear_requests();  // the log is for tests
    }
  }
  close(slave);
  close(master);
  return 0;
}
