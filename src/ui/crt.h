// The console and keyboard layer every screen draws through: window, cursor,
// colours, writing with wrap and scroll, keys as one or two codes, delays.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/screen_model.h"
#include "ui/terminal.h"

namespace kdv::ui {

// Key codes (the second code after 0 for extended keys).
inline constexpr std::uint8_t KEY_ENTER = 13;
inline constexpr std::uint8_t KEY_ESC = 27;
inline constexpr std::uint8_t KEY_BACKSPACE = 8;
inline constexpr std::uint8_t SCAN_UP = 72;
inline constexpr std::uint8_t SCAN_DOWN = 80;
inline constexpr std::uint8_t SCAN_LEFT = 75;
inline constexpr std::uint8_t SCAN_RIGHT = 77;
inline constexpr std::uint8_t SCAN_DELETE = 0x53;
inline constexpr std::uint8_t SCAN_ALT_X = 45;

// Installs the terminal behind the layer (not owned). Until one is
// installed, the layer runs headless: drawing goes to the model only and no
// key is ever waiting.
void Install(Terminal* terminal);
Terminal* Installed();
// The screen model as at process start (blank, the full-screen window) and
// no key waiting; the installed terminal stays.
void ResetState();

ScreenModel& Screen();
// Presents the model on the terminal; called before every wait.
void Present();

void Window(int left, int top, int right, int bottom);
void GotoXY(int x, int y);
int WhereX();
int WhereY();
void TextColor(int colour);
void TextBackground(int colour);
void ClrScr();
void Write(std::string_view text);
void Write(char c);
void WriteLn(std::string_view text = {});

std::uint8_t ReadKey();
bool KeyPressed();
// The descriptor the next key arrives on while none waits, for a wait that
// watches the keyboard along with something else; -1 when a key may be
// waiting already or keys do not come from a descriptor (KeyPressed must
// then be asked).
int KeyInput();
void Delay(unsigned ms);

void CURSOROFF();
void CURSORON();

// Ends the program through the terminal (restored first).
[[noreturn]] void Quit(int code, std::string_view message = {});

}  // namespace kdv::ui
