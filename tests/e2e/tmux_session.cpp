#include "e2e/tmux_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {

namespace {

using namespace std::chrono_literals;

std::string quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

std::string read_all(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

template <class Pred>
// Limits are what a quiet machine needs; a loaded one (CI on two cores,
// tests in parallel) gets three times as long. Passing tests never wait for
// the limit, so the slack costs nothing.
bool poll_until(Pred done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + 3 * limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
}

std::atomic<int> sessions{0};

}  // namespace

TmuxSession::TmuxSession(const std::vector<std::string>& program_args,
                         const std::vector<std::string>& sim_args)
    : TmuxSession(Setup{program_args, sim_args, {}, {}}) {}

TmuxSession::TmuxSession(const Setup& setup) {
  const std::string bin = KDV578_BINARY_DIR;
  char tmpl[] = "/tmp/kdv578-e2e-XXXXXX";
  if (!mkdtemp(tmpl)) {
    error_ = "mkdtemp failed";
    return;
  }
  dir_ = tmpl;
  work_ = file("work");
  std::error_code ec;
  std::filesystem::create_directory(work_, ec);
  for (const char* scn : {"conf578.scn", "mess578.scn"})
    std::filesystem::copy_file(bin + "/" + scn, work_ + "/" + scn, ec);
  socket_ = "kdv578-e2e-" + std::to_string(getpid()) + "-" + std::to_string(sessions++);

  if (!start_simulator(setup.sim_args)) return;

  std::string ports = setup.pty_port ? pty_ : port();
  for (const auto& p : setup.extra_ports) ports += "," + p;
  std::string program = "cd " + quote(work_) + " && env KDV578_PORTS=" + quote(ports);
  for (const auto& e : setup.env) program += " " + quote(e);
  // The shell notes its process number, then becomes the program.
  program += " sh -c " + quote("echo $$ > \"$0\"; exec \"$@\"") + " " + quote(file("pid")) + " " +
             quote(bin + "/kdv578");
  for (const auto& a : setup.program_args) program += " " + quote(a);
  // The pane keeps running after the program so its exit code and the state
  // it left the terminal in can be read.
  program += "; echo $? > " + quote(file("status")) + "; stty -a > " + quote(file("stty.tmp")) + " && mv " + quote(file("stty.tmp")) + " " + quote(file("stty")) +
             "; sleep 600";
  tmux("-f /dev/null new-session -d -x 80 -y 25 -s e2e " + quote(program));
  started_ = poll_until([&] { return !tmux("list-panes -t e2e").empty(); }, 3000ms);
  if (!started_) {
    error_ = "tmux did not start";
    return;
  }
  socket_path_ = tmux("display-message -p -t e2e '#{socket_path}'");
  while (!socket_path_.empty() && socket_path_.back() == '\n') socket_path_.pop_back();
}

bool TmuxSession::start_simulator(const std::vector<std::string>& sim_args) {
  // The simulator, its output into a log whose first line is the port path.
  sim_log_ = file("sim" + std::to_string(++sim_starts_) + ".log");
  sim_pid_ = fork();
  if (sim_pid_ == 0) {
    const int fd = open(sim_log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 1);
    dup2(fd, 2);
    const std::string exe = std::string(KDV578_BINARY_DIR) + "/kdv578-sim";
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const auto& a : sim_args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  std::string& pty = pty_;
  pty.clear();
  poll_until(
      [&] {
        const std::string text = read_all(sim_log_);
        const auto nl = text.find('\n');
        if (nl == std::string::npos) return false;
        pty = text.substr(0, nl);
        return true;
      },
      5000ms);
  if (pty.empty() || !std::filesystem::exists(pty)) {
    error_ = "simulator gave no port: " + read_all(sim_log_);
    return false;
  }
  // The link is replaced in one step, so the program never finds it missing.
  const std::string link = port() + ".new";
  unlink(link.c_str());
  return symlink(pty.c_str(), link.c_str()) == 0 && rename(link.c_str(), port().c_str()) == 0;
}

void TmuxSession::kill_simulator() {
  if (sim_pid_ <= 0) return;
  kill(sim_pid_, SIGKILL);
  waitpid(sim_pid_, nullptr, 0);
  sim_pid_ = -1;
  // A pulled adapter takes its device node with it. Left in place, the link
  // would name a dead pty whose number another test's terminal may take.
  unlink(port().c_str());
}

bool TmuxSession::restart_simulator(const std::vector<std::string>& sim_args) {
  kill_simulator();
  return start_simulator(sim_args);
}

std::string TmuxSession::simulator_log() const { return read_all(sim_log_); }

void TmuxSession::signal_program(int sig) {
  const pid_t pid = std::atoi(read_all(file("pid")).c_str());
  if (pid > 0) kill(pid, sig);
}

std::string TmuxSession::attributed_screen() { return tmux("capture-pane -e -p -t e2e"); }

void TmuxSession::resize(int columns, int rows) {
  tmux("resize-window -t e2e -x " + std::to_string(columns) + " -y " + std::to_string(rows));
}

TmuxSession::~TmuxSession() {
  if (!socket_.empty()) tmux("kill-server");
  if (!socket_path_.empty()) unlink(socket_path_.c_str());
  if (sim_pid_ > 0) {
    kill(sim_pid_, SIGTERM);
    int status;
    if (!poll_until([&] { return waitpid(sim_pid_, &status, WNOHANG) != 0; }, 2000ms)) {
      kill(sim_pid_, SIGKILL);
      waitpid(sim_pid_, &status, 0);
    }
  }
  if (!dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
}

std::string TmuxSession::tmux(const std::string& args) {
  return run("tmux -L " + quote(socket_) + " " + args + " 2>/dev/null");
}

std::string TmuxSession::file(const std::string& name) const { return dir_ + "/" + name; }

void TmuxSession::keys(const std::string& tmux_keys) { tmux("send-keys -t e2e " + tmux_keys); }

void TmuxSession::text(const std::string& literal) {
  tmux("send-keys -t e2e -l -- " + quote(literal));
}

std::vector<std::string> TmuxSession::screen() {
  std::vector<std::string> rows;
  std::stringstream in(tmux("capture-pane -p -t e2e"));
  std::string line;
  while (std::getline(in, line)) rows.push_back(line);
  rows.resize(25);
  return rows;
}

std::string TmuxSession::row(int row) { return screen().at(static_cast<std::size_t>(row - 1)); }

bool TmuxSession::wait_for(const std::string& text, std::chrono::milliseconds limit) {
  return poll_until(
      [&] {
        for (const auto& r : screen())
          if (r.find(text) != std::string::npos) return true;
        return false;
      },
      limit);
}

bool TmuxSession::wait_gone(const std::string& text, std::chrono::milliseconds limit) {
  return poll_until(
      [&] {
        for (const auto& r : screen())
          if (r.find(text) != std::string::npos) return false;
        return true;
      },
      limit);
}

std::optional<int> TmuxSession::wait_exit(std::chrono::milliseconds limit) {
  std::optional<int> code;
  poll_until(
      [&] {
        const std::string s = read_all(file("status"));
        if (s.empty() || s.back() != '\n') return false;
        code = std::atoi(s.c_str());
        return true;
      },
      limit);
  return code;
}

std::string TmuxSession::stty_after_exit() {
  std::string s;
  poll_until(
      [&] {
        s = read_all(file("stty"));
        return !s.empty();
      },
      2000ms);
  return s;
}

}  // namespace e2e
