// Who hears of the commands that change a receiver: every SET operation,
// reset, confirm and signoff whose request went out is told once, when the
// command ends, with its outcome and the settings the request carried. A
// command that sent nothing (a carried failure, a value the request cannot
// carry) tells nobody. The audit journal (link/audit_watch.h) listens
// here; the commands themselves write no files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/outcome.h"
#include "link/trace_decode.h"
#include "model/session.h"

namespace kdv::link {

// A setting a request carried, with the value the link last read from the
// receiver or wrote to it under the same key, where it knew one.
struct SentSetting : TracedSetting {
  std::optional<std::string> old;
};

struct SentChange {
  std::string port;
  int receiver = 0;
  std::string operation;  // the command's name: "SET_ALARMS", "SEND_RESET"
  // What the request carried, under the text format's keys; a reset's kind
  // by its plain name.
  std::vector<SentSetting> settings;
  Outcome outcome;
};

class ChangeWatcher {
 public:
  virtual ~ChangeWatcher() = default;
  virtual void sent(const SentChange& change) = 0;
};

// Installs the watcher (not owned); null for none.
void set_change_watcher(ChangeWatcher* watcher);

// While one lives, the changes sent carry no old values: a download writes
// a whole record, and what it replaced is not the journal's to tell.
class DownloadMark {
 public:
  explicit DownloadMark(kdv::model::Session& session);
  ~DownloadMark();
  DownloadMark(const DownloadMark&) = delete;
  DownloadMark& operator=(const DownloadMark&) = delete;

 private:
  kdv::model::Session& session_;
};

}  // namespace kdv::link
