#include "link/sent_changes.h"

#include "link/link_private.h"
#include "model/globals.h"
#include "model/setting_keys.h"

namespace comms {

namespace {

ChangeWatcher* watcher = nullptr;

bool changes_receiver(std::string_view operation) {
  return operation.starts_with("SET_") || operation == "SEND_CONFIRM" || operation == "SEND_RESET" ||
         operation == "SEND_SIGNOFF";
}

}  // namespace

void set_change_watcher(ChangeWatcher* w) { watcher = w; }

void report_sent(int receiver, int command, const Request& request, const Outcome& outcome) {
  if (!watcher) return;
  std::vector<std::uint8_t> frame = {STX, STX, 'c', static_cast<std::uint8_t>(0x50 + receiver),
                                     static_cast<std::uint8_t>(0x30 + command)};
  for (int i = 0; i < request.count(); ++i) frame.push_back(request[i]);
  frame.push_back(ETX);
  const globals::RECIEVER_DATA* rx = receiver >= 0 && receiver < 16 ? globals::RECEIVER[receiver] : nullptr;
  TracedExchange e = decode_request(frame, rx ? *rx : globals::fresh_configuration().rx);
  if (!changes_receiver(e.command)) return;
  watcher->sent({globals::SELECTED_PORT_NAME, receiver, std::move(e.command), std::move(e.parameters), outcome});
}

}  // namespace comms
