// A terminal with no screen behind it: keys come from a script, time is
// virtual, quitting throws. Tests drive every screen through it, and it lets
// the link, transfer, file and report modules run without a terminal.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/terminal.h"

namespace kdv::ui {

// Thrown by ScriptTerminal::quit in place of ending the process.
struct ProgramExit {
  int code;
  std::string message;
};

// Thrown when the program waits for a key and the script has none left.
struct ScriptExhausted : std::runtime_error {
  ScriptExhausted() : std::runtime_error("key script exhausted") {}
};

class ScriptTerminal : public Terminal {
 public:
  // Key codes as the program reads them: extended keys as 0 and the scan code.
  void type(std::initializer_list<int> codes);
  void type(std::string_view text);
  void up() { type({0, 72}); }
  void down() { type({0, 80}); }
  void left() { type({0, 75}); }
  void right() { type({0, 77}); }
  void enter() { type({13}); }
  void escape() { type({27}); }
  std::size_t keys_left() const { return script_.size() - next_; }

  // Called with the virtual time whenever the program sleeps or presents;
  // lets a test act at a point of the run (type a key mid-exchange, say).
  std::function<void()> on_wait;

  void present(ScreenModel& model) override;
  void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) override;
  void sleep(unsigned ms) override;
  void bell() override { ++bells; }
  void cursor_visible(bool visible) override { cursor_shown = visible; }
  [[noreturn]] void quit(int code, std::string_view message) override;

  std::uint64_t now_ms = 0;  // virtual clock
  std::vector<unsigned> delays;  // every Delay in order
  int bells = 0;
  int presents = 0;
  bool cursor_shown = true;

 private:
  std::vector<std::uint8_t> script_;
  std::size_t next_ = 0;
};

}  // namespace kdv::ui
