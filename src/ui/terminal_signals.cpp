// The terminal's restore state and the signal handlers that use it. Every
// handler here is async-signal-safe: it writes prepared bytes, sets terminal
// modes and flags, and raises the signal again.
#include "ui/terminal_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace kdv::ui {

namespace {

// A byte string a signal handler may write out: the main thread fills the
// spare copy and then flips, so a handler always sees a complete one.
class SignalSafeBytes {
 public:
  void set(std::string_view s) {
    const int spare = 1 - active_.load();
    const std::size_t n = std::min(s.size(), sizeof copies_[spare].data);
    std::memcpy(copies_[spare].data, s.data(), n);
    copies_[spare].len = n;
    active_.store(spare);
  }
  void write_to(int fd) const {
    const Copy& c = copies_[active_.load()];
    std::size_t done = 0;
    while (done < c.len) {
      const ssize_t w = ::write(fd, c.data + done, c.len - done);
      if (w > 0)
        done += static_cast<std::size_t>(w);
      else if (w < 0 && errno == EINTR)
        continue;
      else
        break;  // the terminal is gone; nothing more to restore
    }
  }

 private:
  struct Copy {
    char data[512]{};
    std::size_t len = 0;
  };
  Copy copies_[2];
  std::atomic<int> active_{0};
};

// Signal-safe terminal restore state: what the signal handlers and the
// way-out paths need to put the terminal back, without the terminal object.
// Everything here is written by the main thread only while the handlers
// cannot observe a half-written value.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
std::atomic<bool> g_open{false};       // a terminal object exists
std::atomic<bool> g_screen_up{false};  // the terminal is in screen mode
int g_tty_fd = -1;                     // where the modes and bytes go
bool g_have_modes = false;
termios g_shell_modes{};
termios g_program_modes{};
SignalSafeBytes g_leave_bytes;  // back to the shell's screen
SignalSafeBytes g_enter_bytes;  // into the screen again after Ctrl-Z
int g_wake[2] = {-1, -1};       // self-pipe: a signal wakes poll()
volatile sig_atomic_t g_resized = 0;
volatile sig_atomic_t g_continued = 0;
std::terminate_handler g_previous_terminate = nullptr;
std::atomic<WayOut> g_on_way_out{nullptr};  // Options::on_way_out
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

void way_out_cleanup() {
  if (const WayOut cleanup = g_on_way_out.load()) cleanup();
}

void wake() {
  const int saved = errno;
  const char c = 0;
  [[maybe_unused]] const ssize_t w = ::write(g_wake[1], &c, 1);
  errno = saved;
}

void on_resize(int) {
  g_resized = 1;
  wake();
}

void on_continue(int) {
  g_continued = 1;
  wake();
}

// Ctrl-Z: leave the screen, stop, and take the screen back when continued.
void on_stop(int sig) {
  const int saved = errno;
  const bool was_up = g_screen_up.load();
  leave_screen();
  signal(sig, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, sig);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(sig);  // stops here until SIGCONT
  struct sigaction again {};
  again.sa_handler = on_stop;
  sigemptyset(&again.sa_mask);
  again.sa_flags = SA_RESTART;
  sigaction(sig, &again, nullptr);
  if (was_up) {
    if (g_have_modes) tcsetattr(g_tty_fd, TCSADRAIN, &g_program_modes);
    g_enter_bytes.write_to(g_tty_fd);
    g_screen_up.store(true);
  }
  on_continue(sig);
  errno = saved;
}

// Terminating and fatal signals: restore, then let the signal end the
// process as it would have (SA_RESETHAND put the default action back). A
// save cut short leaves no temporary file on any of these ways out.
void on_fatal(int sig) {
  way_out_cleanup();
  leave_screen();
  raise(sig);
}

void on_terminate() {
  way_out_cleanup();
  leave_screen();
  if (g_previous_terminate) g_previous_terminate();
  std::abort();
}

void on_exit() {
  way_out_cleanup();
  leave_screen();
}

constexpr int kFatalSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGSEGV,
                                 SIGBUS,  SIGFPE, SIGILL, SIGTRAP, SIGSYS};
constexpr int kScreenSignals[] = {SIGWINCH, SIGCONT, SIGTSTP};

}  // namespace

struct SignalHandlers::Replaced {
  struct sigaction old[64];

  void install(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = flags;
    sigaction(sig, nullptr, &old[sig]);
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (old[sig].sa_handler != SIG_IGN) sigaction(sig, &sa, nullptr);
  }
};

SignalHandlers::SignalHandlers() : replaced_(std::make_unique<Replaced>()) {}
SignalHandlers::~SignalHandlers() = default;

void SignalHandlers::install_all() {
  for (int sig : kFatalSignals) replaced_->install(sig, on_fatal, SA_RESETHAND | SA_NODEFER);
  replaced_->install(SIGWINCH, on_resize, SA_RESTART);
  replaced_->install(SIGCONT, on_continue, SA_RESTART);
  replaced_->install(SIGTSTP, on_stop, SA_RESTART);
}

void SignalHandlers::restore_all() {
  for (int sig : kFatalSignals) sigaction(sig, &replaced_->old[sig], nullptr);
  for (int sig : kScreenSignals) sigaction(sig, &replaced_->old[sig], nullptr);
}

bool claim_terminal() { return !g_open.exchange(true); }
void release_terminal() { g_open = false; }

void take_tty(int fd, WayOut on_way_out) {
  g_tty_fd = fd;
  g_on_way_out = on_way_out;
  g_have_modes = tcgetattr(g_tty_fd, &g_shell_modes) == 0;
}

int tty_fd() { return g_tty_fd; }

void save_program_modes() {
  if (g_have_modes) tcgetattr(g_tty_fd, &g_program_modes);
}

void set_leave_bytes(std::string_view bytes) { g_leave_bytes.set(bytes); }
void set_enter_bytes(std::string_view bytes) { g_enter_bytes.set(bytes); }

void screen_is_up() { g_screen_up = true; }

void leave_screen() {
  if (!g_screen_up.exchange(false)) return;
  const int saved = errno;
  g_leave_bytes.write_to(g_tty_fd);
  if (g_have_modes) tcsetattr(g_tty_fd, TCSADRAIN, &g_shell_modes);
  errno = saved;
}

std::string open_wake_pipe() {
  if (g_wake[0] < 0 && pipe2(g_wake, O_NONBLOCK | O_CLOEXEC) != 0) return std::strerror(errno);
  return {};
}

int wake_fd() { return g_wake[0]; }

void drain_wake_pipe() {
  char drain[64];
  while (::read(g_wake[0], drain, sizeof drain) > 0) {
  }
}

bool screen_event_pending() { return g_resized || g_continued; }

void clear_screen_events() {
  g_resized = 0;
  g_continued = 0;
}

void install_exit_hooks() {
  static bool hooks_installed = false;
  if (hooks_installed) return;
  hooks_installed = true;
  std::atexit(on_exit);
  g_previous_terminate = std::set_terminate(on_terminate);
}

}  // namespace kdv::ui
