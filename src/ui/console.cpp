#include "ui/console.h"

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

void install_terminal(Terminal* t) {
  Console& c = console();
  c.terminal = t;
  c.keys.clear();
  c.model.mark_all_dirty();
}

Terminal* installed_terminal() { return console().terminal; }

void reset_console() {
  Console& c = console();
  c.model = ScreenModel{};
  c.keys.clear();
}

ScreenModel& screen_model() { return model(); }

void present() {
  Console& c = console();
  if (c.terminal) c.terminal->present(c.model);
}

void set_text_window(int left, int top, int right, int bottom) { model().set_text_window(left, top, right, bottom); }
void go_to_xy(int x, int y) { model().go_to_xy(x, y); }
int where_x() { return model().where_x(); }
int where_y() { return model().where_y(); }
void text_colour(int colour) { model().text_colour(colour); }
void text_background(int colour) { model().text_background(colour); }
void clear_window() { model().clear_window(); }

void write_text(std::string_view text) {
  for (char c : text) write_text(c);
}

void write_text(char c) {
  Console& con = console();
  if (c == 7 && con.terminal) con.terminal->bell();
  con.model.write_char(static_cast<std::uint8_t>(c));
}

void write_line(std::string_view text) {
  write_text(text);
  model().write_line();
}

std::uint8_t read_key() {
  Console& c = console();
  while (c.keys.empty()) {
    if (!c.terminal) std::abort();  // headless: nothing can ever be typed
    present();
    c.terminal->fetch_keys(c.keys, -1);
  }
  const std::uint8_t k = c.keys.front();
  c.keys.pop_front();
  return k;
}

bool key_pressed() {
  Console& c = console();
  if (!c.keys.empty()) return true;
  if (!c.terminal) return false;
  present();
  c.terminal->fetch_keys(c.keys, 0);
  return !c.keys.empty();
}

int key_input_descriptor() {
  const Console& c = console();
  return c.keys.empty() && c.terminal ? c.terminal->input_fd() : -1;
}

void pause_ms(unsigned ms) {
  present();
  if (Terminal* t = installed_terminal())
    t->sleep(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void cursor_off() {
  if (Terminal* t = installed_terminal()) t->cursor_visible(false);
}

void cursor_on() {
  if (Terminal* t = installed_terminal()) t->cursor_visible(true);
}

void quit(int code, std::string_view message) {
  if (Terminal* t = installed_terminal()) t->quit(code, message);
  if (!message.empty()) std::fwrite(message.data(), 1, message.size(), stdout);
  std::fflush(stdout);
  std::exit(code);
}

}  // namespace kdv::ui
