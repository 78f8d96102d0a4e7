#include "ui/script_terminal.h"

namespace kdv::ui {

void ScriptTerminal::type(std::initializer_list<int> codes) {
  for (int c : codes) script_.push_back(static_cast<std::uint8_t>(c));
}

void ScriptTerminal::type(std::string_view text) {
  for (char c : text) script_.push_back(static_cast<std::uint8_t>(c));
}

void ScriptTerminal::present(ScreenModel& model) {
  ++presents;
  model.clear_dirty();
  if (on_wait) on_wait();
}

void ScriptTerminal::fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) {
  if (next_ == script_.size()) {
    if (timeout_ms < 0) throw ScriptExhausted();
    return;
  }
  const std::uint8_t k = script_[next_++];
  queue.push_back(k);
  // An extended key arrives whole, so key_pressed is true between its codes.
  if (k == 0 && next_ < script_.size()) queue.push_back(script_[next_++]);
}

void ScriptTerminal::sleep(unsigned ms) {
  now_ms += ms;
  delays.push_back(ms);
}

void ScriptTerminal::quit(int code, std::string_view message) {
  throw ProgramExit{code, std::string(message)};
}

}  // namespace kdv::ui
