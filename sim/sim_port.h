// The receiver simulator plugged in as the link's serial port, in-process
// and in virtual time: tests (and screenless callers) run uploads,
// downloads, editors and the monitor against a simulated receiver without a
// pseudo-terminal. See the top of src/link/serial_port.h for an example.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/session.h"
#include "receiver.h"

namespace kdv::sim {

// Told of everything that crosses the simulated line, in order (a test
// records a transcript of the link with it).
class LineWatcher {
 public:
  virtual ~LineWatcher() = default;
  virtual void opened(std::string_view port, bool ok) = 0;
  virtual void sent(std::uint8_t b) = 0;      // a byte the link sent on an open port
  virtual void received(std::uint8_t b) = 0;  // a byte the link read
  virtual void waited(int ms) = 0;            // a read that found no byte within ms
};

// While it lives, every port object the link makes talks to `rx`. Only the
// port name `port_name` connects (any other name fails like a missing
// port); it is also made the session's selected port, until it goes.
class PluggedIn {
 public:
  PluggedIn(Receiver& rx, kdv::model::Session& session, std::string port_name = "COM1");
  ~PluggedIn();
  PluggedIn(const PluggedIn&) = delete;
  PluggedIn& operator=(const PluggedIn&) = delete;

  Receiver& receiver() { return rx_; }
  const std::string& port_name() const { return name_; }

  int connects = 0;             // port objects connected (one per attempt)
  std::uint64_t waited_ms = 0;  // virtual time spent waiting for bytes that never came
  std::int64_t now_ms = 0;      // the virtual clock of the line's waits
  LineWatcher* watcher = nullptr;  // not owned

 private:
  Receiver& rx_;
  kdv::model::Session& session_;
  std::string name_;
  std::string previous_port_;
};

}  // namespace kdv::sim
