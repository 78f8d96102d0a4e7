// What the commands of kdv578ctl on a receiver share: the port and receiver
// options, the session that points the link at them, the interruption by
// Ctrl-C, progress on standard error, and the exit code
// and message of a link's outcome.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ctl/exit_codes.h"
#include "link/audit_watch.h"
#include "link/outcome.h"
#include "model/session.h"
#include "model/setting_keys.h"

namespace CLI {
class App;
}

namespace kdv::ctl {

struct DeviceOptions {
  std::string port;  // empty: KDV578_PORT
  int receiver = 0;
  bool json = false;
  bool quiet = false;
  std::string trace;  // the frame trace's file; empty: no trace
};

// Adds --port, --receiver, --json, --quiet and --trace to a command.
void add_device_options(CLI::App& command, DeviceOptions& options);

// Ctrl-C: the signal handler marks it and raises the open session's stop
// signal, which ends the link's wait at once; a session stops at the next request
// frame, a loop at its next pass.
void interrupt();
bool interrupted();
// Whether a session is open (signal-safe).
bool session_open();

// The link pointed at the chosen port and receiver for one command: the
// program state the link reads and fills, with the chosen port and a record
// for the receiver (as a freshly started console holds it), a host
// whose stop signal Ctrl-C raises, a port that counts the
// frames, and, on a terminal, progress on standard error. Undone when it
// goes.
class Session {
 public:
  // Failure with exit code 2 when neither --port nor KDV578_PORT names a
  // port.
  explicit Session(const DeviceOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  int receiver() const { return receiver_; }
  // What links made for this command work on.
  kdv::model::Session& state() { return state_; }
  // The receiver's record, which the link's commands fill and send.
  kdv::model::ReceiverRecord& record();
  // The record as a configuration with this receiver marked configured.
  kdv::model::Configuration configuration();
  void adopt(const kdv::model::Configuration& c);

  // Request frames begun so far.
  int frames() const;
  // Shows "what: done/total" on standard error while a terminal is there;
  // total() is asked again at every step, as counts change while reading.
  void show_progress(const std::string& what, std::function<int()> total);
  // A line of progress of its own (the transmitter and channel being read).
  void note(const std::string& text);
  void end_progress();

  // The journal lines of the changes sent from now on wait until released
  // (or until the session ends), so that a read-back can still add to them.
  void hold_journal();
  void release_journal(const std::optional<kdv::link::Confirmation>& confirmation);

  const DeviceOptions& options() const { return options_; }

 private:
  DeviceOptions options_;
  int receiver_;
  kdv::model::Session state_;
};

// The exit code of an outcome: 0 done, 5 refused, 130 interrupted, 2 a value
// the link cannot carry, 4 any other failure of the link.
Exit exit_of(const kdv::link::Outcome& outcome);
// "no reply", "refused:  Write Disabled (code 7)", "/dev/ttyUSB3: in use by
// another program", ...
std::string describe(const kdv::link::Outcome& outcome);
// Ends a command that failed on the link: Failure with the outcome's code
// and "kdv578ctl: what: description", or "kdv578ctl: device: why" for a port
// that could not be opened.
[[noreturn]] void fail(const std::string& what, const kdv::link::Outcome& outcome);

}  // namespace kdv::ctl
