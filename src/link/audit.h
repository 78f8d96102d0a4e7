// The audit journal: one JSON line for every command that changed a
// receiver, or was sent to change it, by the console or kdv578ctl.
//
//   {"time":"2026-12-08T01:02:03.456Z","user":"ana","host":"plant-pc",
//    "program":"kdv578ctl","version":"4.10","port":"ttyUSB0","receiver":0,
//    "operation":"SET_ALARMS","keys":{"tx1.ch3.high_alarm":{"old":60.0,"new":80.0}},
//    "outcome":"refused","code":7,"text":"Write Disabled"}
//
// `keys` is left out where a command sets no keys (confirm, signoff) and
// `old` where the record did not know it; `code` and `text` come with a
// refusal. kdv578ctl set adds `confirmed` (its read-back found the value
// sent) and, when the read-back found another value, `read_back`
// ({"tx1.ch3.high_alarm":60.0}). Every line is one write(2) on a descriptor opened with O_APPEND,
// so processes sharing a journal leave whole lines; its directory is made
// with mode 0700 and the file with 0600. A journal that cannot be written,
// or is no regular file (a FIFO, a device), warns once and never stops the
// work.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "link/outcome.h"

namespace kdv::link {

// Where the journal goes: KDV578_AUDIT (a file, or "off" in any case and
// with blanks around it, or /dev/null, for none), else
// $XDG_STATE_HOME/kdv578/audit.jsonl, else ~/.local/state/kdv578/audit.jsonl.
// Nothing when it is off or no home is known.
std::optional<std::string> audit_path();

// One command sent to a receiver.
struct AuditEntry {
  std::string port;
  int receiver = 0;
  std::string operation;  // the command's name: "SET_ALARMS", "SEND_RESET"
  // Dotted key -> {"old": ..., "new": ...}, values as the text format writes them.
  nlohmann::ordered_json keys = nlohmann::ordered_json::object();
  kdv::link::Outcome outcome;
  // From a read-back: whether it found what was sent, and the keys it found
  // otherwise with their values.
  std::optional<bool> confirmed;
  std::optional<nlohmann::ordered_json> read_back;

  // Adds a key's change; no old value where the record did not know it.
  void change(const std::string& key, const std::optional<nlohmann::ordered_json>& old_value,
              const nlohmann::ordered_json& new_value);
};

// The journal's word for an outcome: "done", "refused", "no reply",
// "invalid reply", "aborted", "sent"; nothing when no byte was sent (a value
// the request cannot carry, a port that did not open).
std::optional<std::string_view> audit_outcome(const kdv::link::Outcome& o);

class AuditJournal {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  using Warn = std::function<void(const std::string&)>;

  // path: the journal, or nothing for none. warn hears the first failure.
  AuditJournal(std::optional<std::string> path, std::string program, std::string version, Warn warn,
               Clock clock = {});

  // Appends the entry's line; false when nothing could be written. Entries
  // whose command sent nothing are not written (and are no failure).
  bool append(const AuditEntry& entry);
  // The line an entry becomes, without its line end.
  std::string line(const AuditEntry& entry) const;

 private:
  std::optional<std::string> path_;
  std::string program_;
  std::string version_;
  std::string user_;
  std::string host_;
  Warn warn_;
  Clock clock_;
  bool warned_ = false;
};

// The journal read back: its entries (as their JSON objects) with their
// line numbers, and "line N: why" for each line that does not read.
struct JournalRead {
  std::vector<std::pair<int, nlohmann::ordered_json>> entries;
  std::vector<std::string> damaged;
};
JournalRead read_journal(std::string_view text);

}  // namespace kdv::link
