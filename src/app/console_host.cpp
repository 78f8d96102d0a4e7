#include "app/console_host.h"

#include "ui/crt.h"

namespace kdv::app {

bool ConsoleHost::escape() { return kdv::ui::KeyPressed() && kdv::ui::ReadKey() == kdv::ui::KEY_ESC; }

void ConsoleHost::before_receive() { kdv::ui::Present(); }

void ConsoleHost::status_text(std::string_view text) {
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(text);
}

void ConsoleHost::pause(unsigned ms) { kdv::ui::Delay(ms); }

int ConsoleHost::key_input() { return kdv::ui::KeyInput(); }

ConsoleHost& console_host() {
  static ConsoleHost host;
  return host;
}

}  // namespace kdv::app
