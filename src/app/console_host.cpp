#include "app/console_host.h"

#include "ui/crt.h"

namespace project1 {

bool ConsoleHost::escape() { return crt::KeyPressed() && crt::ReadKey() == crt::KEY_ESC; }

void ConsoleHost::before_receive() { crt::Present(); }

void ConsoleHost::status_text(std::string_view text) {
  crt::GotoXY(1, 25);
  crt::Write(text);
}

void ConsoleHost::pause(unsigned ms) { crt::Delay(ms); }

int ConsoleHost::key_input() { return crt::KeyInput(); }

ConsoleHost& console_host() {
  static ConsoleHost host;
  return host;
}

}  // namespace project1
