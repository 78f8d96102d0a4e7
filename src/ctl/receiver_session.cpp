#include "ctl/receiver_session.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <CLI/CLI.hpp>

#include "ctl/output.h"
#include "link/link.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "link/trace.h"
#include "transfer/progress.h"

namespace kdv::ctl {

namespace {

// Signal flags: Ctrl-C was pressed (set by the handler), a session is open
// (read by the handler).
volatile std::sig_atomic_t interrupt_flag = 0;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
volatile std::sig_atomic_t session_flag = 0;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)
// Signal-safe: the open session's stop signal, which the handler raises; -1
// while none is open.
volatile std::sig_atomic_t stop_descriptor = -1;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

constexpr std::uint8_t kStx = 0x02;

// What the session's port, host and progress share.
struct Shared {
  int frames = 0;        // request frames begun
  bool shown = false;    // progress is on standard error
  std::string what;
  std::function<int()> total;
  std::string last_line;
  // The device of the last connect and its error (kNoError: it opened).
  std::string device;
  int open_error = kdv::link::kNoError;
};

// The serial port, counting request frames.
class SessionPort final : public kdv::link::SerialPort {
 public:
  explicit SessionPort(Shared& shared) : shared_(shared) {}
  void connect_port(std::string_view name) override {
    port_.connect_port(name);
    shared_.device = kdv::link::device_path(name);
    shared_.open_error = port_.last_error();
  }
  void configure(int baud, int bits, char parity, int stop, bool softflow, bool hardflow) override {
    port_.configure(baud, bits, parity, stop, softflow, hardflow);
  }
  void send_byte(std::uint8_t b) override {
    if (b == kStx && !after_stx_) ++shared_.frames;
    after_stx_ = b == kStx;
    port_.send_byte(b);
  }
  std::uint8_t receive_byte(int timeout_ms) override { return port_.receive_byte(timeout_ms); }
  int last_error() const override { return port_.last_error(); }
  void stop_on(int fd) override { port_.stop_on(fd); }

 private:
  Shared& shared_;
  kdv::link::PosixSerialPort port_;
  bool after_stx_ = false;
};

// No keys: Ctrl-C raises the stop signal, which ends the link's waits and
// its pauses and keeps it from beginning another frame.
class SessionHost final : public kdv::link::Host {
 public:
  explicit SessionHost(const kdv::link::StopSignal& stop) : stop_(stop) {}
  bool escape() override { return false; }
  void before_receive() override {}
  void status_text(std::string_view) override {}
  void pause(unsigned ms) override {
    pollfd p{stop_.fd(), POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (auto left = std::chrono::milliseconds(ms); left.count() > 0 && !stop_.raised();
         left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()))
      poll(&p, 1, static_cast<int>(left.count()));
  }
  const kdv::link::StopSignal* stop_signal() override { return &stop_; }

 private:
  const kdv::link::StopSignal& stop_;
};

void progress_line(Shared& s, const std::string& detail) {
  if (!s.shown) return;
  std::string line = s.what;
  if (s.total) line += ": " + std::to_string(s.frames) + "/" + std::to_string(s.total()) + " exchanges";
  if (!detail.empty()) line += ", " + detail;
  std::string padded = line;
  if (padded.size() < s.last_line.size()) padded.append(s.last_line.size() - padded.size(), ' ');
  std::fprintf(stderr, "\r%s", padded.c_str());
  std::fflush(stderr);
  s.last_line = line;
}

class SessionProgress final : public kdv::transfer::Progress {
 public:
  explicit SessionProgress(Shared& shared) : shared_(shared) {}
  void started(kdv::transfer::Direction, int) override { progress_line(shared_, ""); }
  void reached(kdv::transfer::Direction, int, int tx, int ch) override {
    progress_line(shared_, "tx " + std::to_string(tx) + " ch " + std::to_string(ch));
  }
  void sending_channel(int, int tx, int ch) override { reached(kdv::transfer::Direction::kDownload, 0, tx, ch); }
  void failed(kdv::transfer::Direction, const kdv::link::Outcome&) override {}
  void ended(kdv::transfer::Direction) override {}

 private:
  Shared& shared_;
};

// The installed seams of the one session of the process (one port per
// process): what its port, host and progress share.
struct Installed {
  Shared shared;
  kdv::link::StopSignal stop;
  SessionHost host{stop};
  SessionProgress progress{shared};
  // Every change sent goes into the audit journal; a journal that cannot be
  // written is reported once, even with --quiet.
  kdv::link::JournalWatcher journal{kdv::link::audit_path(), "kdv578ctl", KDV578_VERSION,
                               [](const std::string& why) { message("kdv578ctl: warning: " + why); }};
};
// The installed seams of the open session (the port factory, host and
// progress the link and transfers reach), alive while it is open.
std::unique_ptr<Installed> installed;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// The device the open session could not open and why; nothing when no
// session is open or its port opened.
std::optional<std::string> unopenable_port() {
  if (!installed || installed->shared.open_error == kdv::link::kNoError) return std::nullopt;
  const Shared& s = installed->shared;
  return kdv::link::unopenable_port_text(s.device, s.open_error, kdv::link::device_group(s.device));
}

}  // namespace

void add_device_options(CLI::App& command, DeviceOptions& o) {
  command.add_option("--port", o.port, "Serial port (the console's names; default: KDV578_PORT)");
  command.add_option("--receiver", o.receiver, "Receiver number, 0..15")->check(CLI::Range(0, 15));
  command.add_flag("--json", o.json, "Machine-readable output on standard output");
  command.add_flag("--quiet", o.quiet, "No progress and no warnings on standard error");
  command.add_option("--trace", o.trace, "Record every frame in FILE");
}

void interrupt() {
  interrupt_flag = 1;
  kdv::link::StopSignal::raise(stop_descriptor);
}
bool interrupted() { return interrupt_flag != 0; }
bool session_open() { return session_flag != 0; }

Session::Session(const DeviceOptions& options) : options_(options), receiver_(options.receiver) {
  if (options_.port.empty())
    if (const char* env = std::getenv("KDV578_PORT")) options_.port = env;
  if (options_.port.empty())
    throw Failure{Exit::kUsage, "kdv578ctl: no port: give --port NAME or set KDV578_PORT"};
  if (!options_.trace.empty())
    if (const auto error = kdv::link::start_trace(options_.trace))
      throw Failure{Exit::kFile, "kdv578ctl: " + *error};
  installed = std::make_unique<Installed>();
  installed->shared.shown = !options_.quiet && ::isatty(STDERR_FILENO) == 1;
  state_.selected_port = options_.port;
  state_.receivers[static_cast<std::size_t>(receiver_)] =
      std::make_unique<kdv::model::ReceiverRecord>(kdv::model::fresh_configuration().rx);
  Shared& shared = installed->shared;
  kdv::link::set_port_factory([&shared] { return std::make_unique<SessionPort>(shared); });
  kdv::link::set_host(&installed->host);
  kdv::link::set_change_watcher(&installed->journal);
  kdv::transfer::set_progress(&installed->progress);
  stop_descriptor = installed->stop.fd();
  session_flag = 1;
}

Session::~Session() {
  session_flag = 0;
  stop_descriptor = -1;
  end_progress();
  installed->journal.release(std::nullopt);  // lines still held, as they are
  kdv::transfer::set_progress(nullptr);
  kdv::link::set_host(nullptr);
  kdv::link::set_change_watcher(nullptr);
  kdv::link::set_port_factory(nullptr);
  installed.reset();
  if (!options_.trace.empty()) kdv::link::stop_trace();
}

kdv::model::ReceiverRecord& Session::record() { return *state_.receivers[static_cast<std::size_t>(receiver_)]; }

kdv::model::Configuration Session::configuration() {
  kdv::model::Configuration c;
  c.rx = record();
  c.flags.RXCONFIG[receiver_] = true;
  return c;
}

void Session::adopt(const kdv::model::Configuration& c) { record() = c.rx; }

int Session::frames() const { return installed->shared.frames; }

void Session::show_progress(const std::string& what, std::function<int()> total) {
  Shared& s = installed->shared;
  s.what = what;
  s.total = std::move(total);
  progress_line(s, "");
}

void Session::note(const std::string& text) { progress_line(installed->shared, text); }

void Session::end_progress() {
  Shared& s = installed->shared;
  if (!s.shown || s.last_line.empty()) return;
  progress_line(s, "");  // the count the work ended with
  std::fprintf(stderr, "\n");
  s.last_line.clear();
}

void Session::hold_journal() { installed->journal.hold(); }

void Session::release_journal(const std::optional<kdv::link::Confirmation>& confirmation) {
  installed->journal.release(confirmation);
}

Exit exit_of(const kdv::link::Outcome& o) {
  if (o.ok()) return Exit::kDone;
  if (o.status == kdv::link::Status::kAborted && interrupted()) return Exit::kInterrupted;
  if (o.status == kdv::link::Status::kRefused) return Exit::kRefused;
  if (o.status == kdv::link::Status::kUnsendable) return Exit::kUsage;
  return Exit::kLink;
}

std::string describe(const kdv::link::Outcome& o) {
  using kdv::link::Status;
  switch (o.status) {
    case Status::kDone:
    case Status::kSent: return "done";
    case Status::kAborted: return interrupted() ? "interrupted" : "aborted";
    case Status::kNoReply: return "no reply";
    case Status::kDeviceGone: return "the device went away (the line hung up)";
    case Status::kPortUnopenable: return unopenable_port().value_or("the port cannot be opened");
    case Status::kInvalidReply: return "invalid reply";
    case Status::kShortReply: return "short reply";
    case Status::kDataError: return "a number of the reply does not read";
    case Status::kRefused:
      return "refused by the receiver:" + o.text.str() + " (code " + std::to_string(o.refusal) + ")";
    case Status::kUnsendable: return "a value the link cannot carry";
  }
  return "failed";
}

void fail(const std::string& what, const kdv::link::Outcome& outcome) {
  // An unusable port is named by its device, whatever the command.
  if (outcome.status == kdv::link::Status::kPortUnopenable)
    if (const auto port = unopenable_port()) throw Failure{exit_of(outcome), "kdv578ctl: " + *port};
  throw Failure{exit_of(outcome), "kdv578ctl: " + what + ": " + describe(outcome)};
}

}  // namespace kdv::ctl
