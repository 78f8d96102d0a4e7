#include "link/sent_changes.h"

#include <map>
#include <utility>

#include "link/link_private.h"
#include "link/outcome.h"
#include "model/records.h"
#include "model/session.h"
#include "model/setting_keys.h"

namespace kdv::link {

namespace {

// The installed seam: the watcher of changes sent.
ChangeWatcher* watcher = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

bool changes_receiver(std::string_view operation) {
  return operation.starts_with("SET_") || operation == "SEND_CONFIRM" || operation == "SEND_RESET" ||
         operation == "SEND_SIGNOFF";
}

// A refused write left the receiver as it was; one that met no good reply
// may or may not have changed it.
void learn(std::map<std::string, std::string>& values, const SentSetting& s, const Outcome& outcome) {
  if (outcome.ok())
    values[s.key] = s.value;
  else if (outcome.status != Status::kRefused)
    values.erase(s.key);
}

}  // namespace

void set_change_watcher(ChangeWatcher* w) { watcher = w; }

DownloadMark::DownloadMark(kdv::model::Session& session) : session_(session) { ++session_.downloads_in_progress; }
DownloadMark::~DownloadMark() { --session_.downloads_in_progress; }

void report_sent(kdv::model::Session& session, int receiver, int command, const Request& request,
                 const Outcome& outcome, const Reply& reply) {
  if (!watcher) return;
  std::vector<std::uint8_t> frame = {kFrameStart, kFrameStart, 'c', static_cast<std::uint8_t>(0x50 + receiver),
                                     static_cast<std::uint8_t>(0x30 + command)};
  for (int i = 0; i < request.count(); ++i) frame.push_back(request[i]);
  frame.push_back(kFrameEnd);
  const kdv::model::ReceiverRecord* rx =
      receiver >= 0 && receiver < 16 ? session.receivers[static_cast<std::size_t>(receiver)].get() : nullptr;
  const kdv::model::ReceiverRecord& record = rx ? *rx : kdv::model::fresh_configuration().rx;
  TracedExchange e = decode_request(frame, record);
  std::map<std::string, std::string>& values = session.known_settings[{session.selected_port, receiver}];
  if (!changes_receiver(e.command)) {
    if (!outcome.ok() || reply.length <= 0) return;
    const std::vector<std::uint8_t> answer(reply.bytes.begin(), reply.bytes.begin() + reply.length + 1);
    for (TracedSetting& s : decode_reply(frame, answer, record)) values[s.key] = std::move(s.value);
    return;
  }
  SentChange change{session.selected_port, receiver, std::move(e.command), {}, outcome};
  for (TracedSetting& s : e.parameters) {
    SentSetting& sent = change.settings.emplace_back(SentSetting{std::move(s), std::nullopt});
    const auto old = values.find(sent.key);
    if (session.downloads_in_progress == 0 && old != values.end()) sent.old = old->second;
    learn(values, sent, outcome);
  }
  if (change.operation == "SEND_RESET") values.clear();
  watcher->sent(change);
}

}  // namespace kdv::link
