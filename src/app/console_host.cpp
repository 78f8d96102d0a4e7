#include "app/console_host.h"

#include "ui/console.h"

namespace kdv::app {

bool ConsoleHost::escape() { return kdv::ui::key_pressed() && kdv::ui::read_key() == kdv::ui::kKeyEscape; }

void ConsoleHost::before_receive() { kdv::ui::present(); }

void ConsoleHost::status_text(std::string_view text) {
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(text);
}

void ConsoleHost::pause(unsigned ms) { kdv::ui::pause_ms(ms); }

int ConsoleHost::key_input() { return kdv::ui::key_input_descriptor(); }

ConsoleHost& console_host() {
  static ConsoleHost host;
  return host;
}

}  // namespace kdv::app
