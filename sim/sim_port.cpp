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

  void CONNECT(std::string_view name) override {
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

  void CONFIG(int, int, char, int, bool, bool) override {}

  void SENDBYTE(std::uint8_t b) override {
    error_ = kdv::link::ERR_NONE;
    if (!open_) {
      error_ = kdv::link::ERR_NOT_OPEN;
      return;
    }
    if (plug_.watcher) plug_.watcher->sent(b);
    const Bytes reply = plug_.receiver().receive(b);
    pending_.insert(pending_.end(), reply.begin(), reply.end());
  }

  std::uint8_t RECVBYTE(int timeout_ms) override {
    error_ = kdv::link::ERR_NONE;
    if (!open_) {
      error_ = kdv::link::ERR_NOT_OPEN;
      return 0;
    }
    if (pending_.empty()) {
      plug_.waited_ms += static_cast<std::uint64_t>(timeout_ms);
      if (plug_.watcher) plug_.watcher->waited(timeout_ms);
      error_ = kdv::link::ERR_TIMEOUT;
      return 0;
    }
    const std::uint8_t b = pending_.front();
    pending_.pop_front();
    if (plug_.watcher) plug_.watcher->received(b);
    return b;
  }

  int LASTERROR() const override { return error_; }

 private:
  PluggedIn& plug_;
  bool open_ = false;
  int error_ = kdv::link::ERR_NONE;
  std::deque<std::uint8_t> pending_;
};

}  // namespace

PluggedIn::PluggedIn(Receiver& rx, kdv::model::Session& session, std::string port_name)
    : rx_(rx), session_(session), name_(std::move(port_name)), previous_port_(session.SELECTED_PORT_NAME) {
  session_.SELECTED_PORT_NAME = name_;
  kdv::link::SetPortFactory([this] { return std::make_unique<SimulatedPort>(*this); });
}

PluggedIn::~PluggedIn() {
  kdv::link::SetPortFactory(nullptr);
  session_.SELECTED_PORT_NAME = previous_port_;
}

}  // namespace kdv::sim
