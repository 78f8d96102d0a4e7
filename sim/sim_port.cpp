#include "sim_port.h"

#include <cerrno>
#include <deque>

#include "model/session.h"

namespace kdv::sim {

namespace {

// One connection to the simulated receiver. Reply bytes wait in the
// connection; a new connection starts with an empty line, as a re-opened
// port does.
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
    pending_.insert(pending_.end(), reply.begin(), reply.end());
  }

  std::uint8_t receive_byte(int timeout_ms) override {
    error_ = kdv::link::kNoError;
    if (!open_) {
      error_ = kdv::link::kNotOpenError;
      return 0;
    }
    if (pending_.empty()) {
      plug_.waited_ms += static_cast<std::uint64_t>(timeout_ms);
      if (plug_.watcher) plug_.watcher->waited(timeout_ms);
      error_ = kdv::link::kTimeoutError;
      return 0;
    }
    const std::uint8_t b = pending_.front();
    pending_.pop_front();
    if (plug_.watcher) plug_.watcher->received(b);
    return b;
  }

  int last_error() const override { return error_; }

 private:
  PluggedIn& plug_;
  bool open_ = false;
  int error_ = kdv::link::kNoError;
  std::deque<std::uint8_t> pending_;
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
