#include "sim_port.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <utility>

#include "link/serial_port.h"
#include "model/session.h"

namespace kdv::sim {

namespace {

// One connection to the simulated receiver. Reply bytes wait in the
// connection, each with the virtual time it arrives; a new connection starts
// with an empty line, as a re-opened port does.
class SimulatedPort : public kdv::link::SerialPort {
 public:
  explicit SimulatedPort(PluggedIn& plug) : plug_(plug) {}

  void connect_port(std::string_view name) override {
    const bool ok = name == plug_.port_name();
    if (plug_.watcher) plug_.watcher->opened(name, ok);
    if (!ok) {
      error_ = ENOENT;
      return;
    }
    open_ = true;
    ++plug_.connects;
    plug_.receiver().line_reopened();
  }

  void configure(int, int, char, int, bool, bool) override {}

  void send_byte(std::uint8_t b) override {
    error_ = kdv::link::kNoError;
    if (!open_) {
      error_ = kdv::link::kNotOpenError;
      return;
    }
    if (plug_.watcher) plug_.watcher->sent(b);
    const Bytes reply = plug_.receiver().receive(b);
    std::int64_t due = plug_.now_ms;
    for (std::size_t k = 0; k < reply.size(); ++k) {
      due += plug_.receiver().byte_delay_ms(k);
      pending_.emplace_back(reply[k], due);
    }
  }

  std::uint8_t receive_byte(int timeout_ms) override {
    error_ = kdv::link::kNoError;
    if (!open_) {
      error_ = kdv::link::kNotOpenError;
      return 0;
    }
    if (stop_raised()) {
      error_ = kdv::link::kWokenError;
      return 0;
    }
    if (pending_.empty() || pending_.front().second > plug_.now_ms + timeout_ms) {
      plug_.now_ms += timeout_ms;
      plug_.waited_ms += static_cast<std::uint64_t>(timeout_ms);
      if (plug_.watcher) plug_.watcher->waited(timeout_ms);
      error_ = kdv::link::kTimeoutError;
      return 0;
    }
    const std::uint8_t b = pending_.front().first;
    plug_.now_ms = std::max(plug_.now_ms, pending_.front().second);
    pending_.pop_front();
    if (plug_.watcher) plug_.watcher->received(b);
    return b;
  }

  int last_error() const override { return error_; }
  void stop_on(int fd) override { stop_fd_ = fd; }
  std::int64_t clock_ms() const override { return plug_.now_ms; }

 private:
  bool stop_raised() const {
    pollfd p{stop_fd_, POLLIN, 0};
    return stop_fd_ >= 0 && poll(&p, 1, 0) > 0;
  }

  PluggedIn& plug_;
  bool open_ = false;
  int error_ = kdv::link::kNoError;
  int stop_fd_ = -1;
  std::deque<std::pair<std::uint8_t, std::int64_t>> pending_;  // byte, when it arrives
};

}  // namespace

PluggedIn::PluggedIn(Receiver& rx, kdv::model::Session& session, std::string port_name)
    : rx_(rx), session_(session), name_(std::move(port_name)), previous_port_(session.selected_port) {
  session_.selected_port = name_;
  kdv::link::set_port_factory([this] { return std::make_unique<SimulatedPort>(*this); });
}

PluggedIn::~PluggedIn() {
  kdv::link::set_port_factory(nullptr);
  session_.selected_port = previous_port_;
}

}  // namespace kdv::sim
