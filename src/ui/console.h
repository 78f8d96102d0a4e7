// The console and keyboard layer every screen draws through: window, cursor,
// colours, writing with wrap and scroll, keys as one or two codes, delays.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/screen_model.h"
#include "ui/terminal.h"

namespace kdv::ui {

// Key codes (the second code after 0 for extended keys).
inline constexpr std::uint8_t kKeyEnter = 13;
inline constexpr std::uint8_t kKeyEscape = 27;
inline constexpr std::uint8_t kKeyBackspace = 8;
inline constexpr std::uint8_t kScanUp = 72;
inline constexpr std::uint8_t kScanDown = 80;
inline constexpr std::uint8_t kScanLeft = 75;
inline constexpr std::uint8_t kScanRight = 77;
inline constexpr std::uint8_t kScanDelete = 0x53;
inline constexpr std::uint8_t kScanAltX = 45;

// Installs the terminal behind the layer (not owned). Until one is
// installed, the layer runs headless: drawing goes to the model only and no
// key is ever waiting.
void install_terminal(Terminal* terminal);
Terminal* installed_terminal();
// The screen model as at process start (blank, the full-screen window) and
// no key waiting; the installed terminal stays.
void reset_console();

ScreenModel& screen_model();
// Presents the model on the terminal; called before every wait.
void present();

void set_text_window(int left, int top, int right, int bottom);
void go_to_xy(int x, int y);
int where_x();
int where_y();
void text_colour(int colour);
void text_background(int colour);
void clear_window();
void write_text(std::string_view text);
void write_text(char c);
void write_line(std::string_view text = {});

std::uint8_t read_key();
bool key_pressed();
// The descriptor the next key arrives on while none waits, for a wait that
// watches the keyboard along with something else; -1 when a key may be
// waiting already or keys do not come from a descriptor (key_pressed must
// then be asked).
int key_input_descriptor();
void pause_ms(unsigned ms);

void cursor_off();
void cursor_on();

// Ends the program through the terminal (restored first).
[[noreturn]] void quit(int code, std::string_view message = {});

}  // namespace kdv::ui
