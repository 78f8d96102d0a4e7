#include "link/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace kdv::link {

namespace {

constexpr std::uint8_t kEtx = 0x03;

std::int64_t steady_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The installed trace of the link and the attempt its lines carry: set by
// the program's entry (or a test), read by every port the link makes.
struct LinkTrace {
  std::unique_ptr<TraceFile> file;
  std::string attempt = "1";
  std::optional<std::string> cut;  // why the last trace stopped short
};
LinkTrace& link_trace() {
  static LinkTrace installed;
  return installed;
}

// A port whose traffic goes into the link's trace.
class TracedPort final : public SerialPort {
 public:
  explicit TracedPort(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}
  ~TracedPort() override {
    if (TraceFile* f = link_trace().file.get()) f->flush();
  }
  TracedPort(const TracedPort&) = delete;
  TracedPort& operator=(const TracedPort&) = delete;

  void connect_port(std::string_view name) override {
    port_->connect_port(name);
    const int error = port_->last_error();
    if (error == kNoError) return;
    trace_note(TraceEvent::kUnopened, "cannot open " + std::string(name) + ": " + std::strerror(error));
  }
  void configure(int baud, int bits, char parity, int stop, bool softflow, bool hardflow) override {
    port_->configure(baud, bits, parity, stop, softflow, hardflow);
  }
  void send_byte(std::uint8_t b) override {
    port_->send_byte(b);
    if (port_->last_error() == kNoError) trace_byte(true, b);
  }
  std::uint8_t receive_byte(int timeout_ms) override {
    const std::uint8_t b = port_->receive_byte(timeout_ms);
    switch (port_->last_error()) {
      case kNoError: trace_byte(false, b); break;
      case kTimeoutError:
        trace_note(TraceEvent::kTimeout, "no byte within " + std::to_string(timeout_ms) + " ms");
        break;
      case kHangupError: trace_note(TraceEvent::kHangup, "the line hung up"); break;
      default: break;
    }
    return b;
  }
  int last_error() const override { return port_->last_error(); }
  bool input_seen(int fd) override { return port_->input_seen(fd); }
  void stop_on(int fd) override { port_->stop_on(fd); }
  std::int64_t clock_ms() const override { return port_->clock_ms(); }

 private:
  static void trace_byte(bool request, std::uint8_t b) {
    LinkTrace& t = link_trace();
    if (t.file) t.file->byte(request, b, t.attempt);
  }

  std::unique_ptr<SerialPort> port_;
};

}  // namespace

std::unique_ptr<TraceFile> TraceFile::create(const std::string& path, std::string& error,
                                             Clock clock) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = "cannot write the trace " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<TraceFile> file(new TraceFile(fd, path, clock ? std::move(clock) : steady_ms));
  if (const auto why = file->write_text(std::string(kTraceHeading))) {
    error = "cannot write the trace " + path + ": " + *why;
    return nullptr;
  }
  return file;
}

TraceFile::TraceFile(int fd, std::string path, Clock clock)
    : fd_(fd), path_(std::move(path)), clock_(std::move(clock)) {}

TraceFile::~TraceFile() {
  flush();
  ::close(fd_);
}

std::int64_t TraceFile::elapsed() {
  const std::int64_t now = clock_();
  if (!start_) start_ = now;
  return now - *start_;
}

void TraceFile::byte(bool request, std::uint8_t b, std::string_view attempt) {
  if (!bytes_.empty() && (request != request_ || attempt != attempt_)) flush();
  request_ = request;
  attempt_ = attempt;
  bytes_.push_back(b);
  last_ms_ = elapsed();
  if (b == kEtx) flush();
}

void TraceFile::event(TraceEvent e, std::string_view attempt, std::string_view text) {
  flush();
  static constexpr std::string_view kNames[] = {"timeout", "hangup", "unopened", "cut", "aborted"};
  write_line(kNames[static_cast<int>(e)], attempt, "", text, elapsed());
}

void TraceFile::flush() {
  if (bytes_.empty()) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  std::string text;
  for (const std::uint8_t b : bytes_) {
    if (!hex.empty()) hex += ' ';
    hex += kHex[b >> 4];
    hex += kHex[b & 0x0F];
    text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
  }
  bytes_.clear();
  write_line(request_ ? ">" : "<", attempt_, hex, text, last_ms_);
}

// One write per line, so the lines of a trace stay whole whatever happens
// to the program.
void TraceFile::write_line(std::string_view direction, std::string_view attempt,
                           std::string_view hex, std::string_view text, std::int64_t ms) {
  // A trace that can no longer be written never stops the exchange; it ends
  // with its last whole line.
  if (cut_) return;
  std::string line = std::to_string(ms);
  for (const std::string_view field : {direction, attempt, hex, text}) {
    line += '\t';
    line += field;
  }
  line += '\n';
  if (const auto why = write_text(line)) cut_ = "the trace " + path_ + " is cut at its last whole line: " + *why;
}

// A text written in part is taken back.
std::optional<std::string> TraceFile::write_text(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that made no progress without an error: the device is full.
      std::string why = std::strerror(n < 0 ? errno : ENOSPC);
      if (::ftruncate(fd_, whole_) != 0) why += "; cutting it back failed: " + std::string(std::strerror(errno));
      return why;
    }
    done += static_cast<std::size_t>(n);
  }
  whole_ += static_cast<std::int64_t>(text.size());
  return std::nullopt;
}

std::optional<std::string> start_trace(const std::string& path) {
  std::string error;
  std::unique_ptr<TraceFile> file = TraceFile::create(path, error);
  if (!file) return error;
  link_trace().file = std::move(file);
  link_trace().cut.reset();
  return std::nullopt;
}

void stop_trace() {
  LinkTrace& t = link_trace();
  if (!t.file) return;
  t.file->flush();
  t.cut = t.file->cut();
  t.file.reset();
}

std::optional<std::string> trace_cut() { return link_trace().cut; }

void trace_attempt(int attempt) { link_trace().attempt = std::to_string(attempt); }

void trace_note(TraceEvent e, std::string_view text) {
  LinkTrace& t = link_trace();
  if (t.file) t.file->event(e, t.attempt, text);
}

std::unique_ptr<SerialPort> traced(std::unique_ptr<SerialPort> port) {
  if (!link_trace().file) return port;
  return std::make_unique<TracedPort>(std::move(port));
}

}  // namespace kdv::link
