// Key bytes from the terminal: read without blocking, waited for with poll
// beside the signals' wake-up pipe.
#include "ui/terminal_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "ui/terminal_signals.h"
#include "ui/terminfo_checks.h"

namespace kdv::ui {

void learn_keys(KeyDecoder& decoder) {
  const struct {
    const char* cap;
    std::uint8_t scan;
  } key_capabilities[] = {{"kcuu1", scan::kUp},    {"kcud1", scan::kDown},    {"kcub1", scan::kLeft},
              {"kcuf1", scan::kRight}, {"kdch1", scan::kDelete},  {"khome", scan::kHome},
              {"kend", scan::kEnd},    {"kpp", scan::kPageUp},      {"knp", scan::kPageDown},
              {"kich1", scan::kInsert}, {"kcbt", scan::kShiftTab}, {"kf11", scan::kF11},
              {"kf12", scan::kF12}};
  for (const auto& k : key_capabilities) decoder.learn(terminfo_string(k.cap), k.scan);
  for (int f = 1; f <= 10; ++f)
    decoder.learn(terminfo_string(("kf" + std::to_string(f)).c_str()), static_cast<std::uint8_t>(scan::kF1 + f - 1));
}

void read_waiting_bytes(int fd, std::string& pending, std::chrono::steady_clock::time_point& last_byte) {
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
    char buf[256];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      pending.append(buf, static_cast<std::size_t>(n));
      last_byte = std::chrono::steady_clock::now();
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    leave_screen();
    std::exit(1);
  }
}

void wait_for_input(int key_fd, int wake_fd, int ms) {
  pollfd p[2] = {{wake_fd, POLLIN, 0}, {key_fd, POLLIN, 0}};
  poll(p, key_fd < 0 ? 1 : 2, ms);
}

}  // namespace kdv::ui
