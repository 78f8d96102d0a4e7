#include "ui/crt.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <thread>

namespace crt {

namespace {

ScreenModel model;
Terminal* terminal = nullptr;
std::deque<std::uint8_t> keys;

}  // namespace

void Install(Terminal* t) {
  terminal = t;
  keys.clear();
  model.mark_all_dirty();
}

Terminal* Installed() { return terminal; }

void ResetState() {
  model = ScreenModel{};
  keys.clear();
}

ScreenModel& Screen() { return model; }

void Present() {
  if (terminal) terminal->present(model);
}

void Window(int left, int top, int right, int bottom) { model.Window(left, top, right, bottom); }
void GotoXY(int x, int y) { model.GotoXY(x, y); }
int WhereX() { return model.WhereX(); }
int WhereY() { return model.WhereY(); }
void TextColor(int colour) { model.TextColor(colour); }
void TextBackground(int colour) { model.TextBackground(colour); }
void ClrScr() { model.ClrScr(); }

void Write(std::string_view text) {
  for (char c : text) Write(c);
}

void Write(char c) {
  if (c == 7 && terminal) terminal->bell();
  model.WriteChar(static_cast<std::uint8_t>(c));
}

void WriteLn(std::string_view text) {
  Write(text);
  model.WriteLn();
}

std::uint8_t ReadKey() {
  while (keys.empty()) {
    if (!terminal) std::abort();  // headless: nothing can ever be typed
    Present();
    terminal->fetch_keys(keys, -1);
  }
  const std::uint8_t k = keys.front();
  keys.pop_front();
  return k;
}

bool KeyPressed() {
  if (!keys.empty()) return true;
  if (!terminal) return false;
  Present();
  terminal->fetch_keys(keys, 0);
  return !keys.empty();
}

void Delay(unsigned ms) {
  Present();
  if (terminal)
    terminal->sleep(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CURSOROFF() {
  if (terminal) terminal->cursor_visible(false);
}

void CURSORON() {
  if (terminal) terminal->cursor_visible(true);
}

void Quit(int code, std::string_view message) {
  if (terminal) terminal->quit(code, message);
  if (!message.empty()) std::fwrite(message.data(), 1, message.size(), stdout);
  std::fflush(stdout);
  std::exit(code);
}

}  // namespace crt
