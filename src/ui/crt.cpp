#include "ui/crt.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <thread>

namespace kdv::ui {

namespace {

// The console the layer draws on and reads from: the screen model, the keys
// read from the terminal but not yet taken, and the installed terminal (not
// owned; none: headless).
struct Console {
  ScreenModel model;
  std::deque<std::uint8_t> keys;
  Terminal* terminal = nullptr;
};

// The installed seam: the process has one console, as it has one terminal.
Console& console() {
  static Console the_console;
  return the_console;
}

ScreenModel& model() { return console().model; }

}  // namespace

void Install(Terminal* t) {
  Console& c = console();
  c.terminal = t;
  c.keys.clear();
  c.model.mark_all_dirty();
}

Terminal* Installed() { return console().terminal; }

void ResetState() {
  Console& c = console();
  c.model = ScreenModel{};
  c.keys.clear();
}

ScreenModel& Screen() { return model(); }

void Present() {
  Console& c = console();
  if (c.terminal) c.terminal->present(c.model);
}

void Window(int left, int top, int right, int bottom) { model().Window(left, top, right, bottom); }
void GotoXY(int x, int y) { model().GotoXY(x, y); }
int WhereX() { return model().WhereX(); }
int WhereY() { return model().WhereY(); }
void TextColor(int colour) { model().TextColor(colour); }
void TextBackground(int colour) { model().TextBackground(colour); }
void ClrScr() { model().ClrScr(); }

void Write(std::string_view text) {
  for (char c : text) Write(c);
}

void Write(char c) {
  Console& con = console();
  if (c == 7 && con.terminal) con.terminal->bell();
  con.model.WriteChar(static_cast<std::uint8_t>(c));
}

void WriteLn(std::string_view text) {
  Write(text);
  model().WriteLn();
}

std::uint8_t ReadKey() {
  Console& c = console();
  while (c.keys.empty()) {
    if (!c.terminal) std::abort();  // headless: nothing can ever be typed
    Present();
    c.terminal->fetch_keys(c.keys, -1);
  }
  const std::uint8_t k = c.keys.front();
  c.keys.pop_front();
  return k;
}

bool KeyPressed() {
  Console& c = console();
  if (!c.keys.empty()) return true;
  if (!c.terminal) return false;
  Present();
  c.terminal->fetch_keys(c.keys, 0);
  return !c.keys.empty();
}

int KeyInput() {
  const Console& c = console();
  return c.keys.empty() && c.terminal ? c.terminal->input_fd() : -1;
}

void Delay(unsigned ms) {
  Present();
  if (Terminal* t = Installed())
    t->sleep(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CURSOROFF() {
  if (Terminal* t = Installed()) t->cursor_visible(false);
}

void CURSORON() {
  if (Terminal* t = Installed()) t->cursor_visible(true);
}

void Quit(int code, std::string_view message) {
  if (Terminal* t = Installed()) t->quit(code, message);
  if (!message.empty()) std::fwrite(message.data(), 1, message.size(), stdout);
  std::fflush(stdout);
  std::exit(code);
}

}  // namespace kdv::ui
