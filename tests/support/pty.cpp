#include "support/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace testpty {

namespace {

winsize size(int rows, int cols) {
  winsize ws{};
  ws.ws_row = static_cast<unsigned short>(rows);
  ws.ws_col = static_cast<unsigned short>(cols);
  return ws;
}

// Appends what the master has within wait_ms; false once nothing came.
bool read_some(int fd, std::string& out, int wait_ms) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, wait_ms) <= 0) return false;
  char buf[4096];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  if (n <= 0) return false;  // EIO: the slave side is closed
  out.append(buf, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

Pty::Pty(int rows, int cols) {
  winsize ws = size(rows, cols);
  if (openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) throw std::runtime_error("openpty");
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() {
  close(master_);
  close(slave_);
}

void Pty::resize(int rows, int cols) {
  winsize ws = size(rows, cols);
  ioctl(master_, TIOCSWINSZ, &ws);
}

void Pty::type(std::string_view bytes) {
  [[maybe_unused]] const ssize_t n = ::write(master_, bytes.data(), bytes.size());
}

std::string Pty::read(int quiet_ms) {
  std::string out;
  while (read_some(master_, out, quiet_ms)) {
  }
  return out;
}

Run run_program(const Start& start) {
  int master = -1;
  winsize ws = size(25, 80);
  const pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
  if (pid < 0) throw std::runtime_error("forkpty");
  if (pid == 0) {
    setenv("TERM", start.term, 1);
    if (start.cwd && chdir(start.cwd) != 0) _exit(126);
    std::vector<char*> args;
    for (const std::string& a : start.argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  Run run;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(start.timeout_ms);
  bool typed = start.typed.empty();
  for (;;) {
    read_some(master, run.output, 20);
    if (!typed && run.output.find(start.typed_after) != std::string::npos) {
      typed = true;
      [[maybe_unused]] const ssize_t n = ::write(master, start.typed.data(), start.typed.size());
    }
    if (waitpid(pid, &run.status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &run.status, 0);
      break;
    }
  }
  while (read_some(master, run.output, 20)) {
  }
  close(master);
  return run;
}

}  // namespace testpty
