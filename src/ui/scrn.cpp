// The fixed background of every menu: a single-line frame split into the
// banner, the menu area, the information box (help lines) and the status
// box (link state and the receiver's software versions).
#include "ui/scrn.h"

#include <string>
#include <string_view>

#include "model/colours.h"
#include "model/globals.h"
#include "model/messages.h"
#include "ui/crt.h"

namespace kdv::ui {

namespace {

// Code page 437 single-line box characters.
constexpr char H = '\xC4', V = '\xB3';
constexpr char TL = '\xDA', TR = '\xBF', BL = '\xC0', BR = '\xD9';
constexpr char TEE_DOWN = '\xC2', TEE_UP = '\xC1', TEE_RIGHT = '\xC3', TEE_LEFT = '\xB4';
constexpr char CROSS = '\xC5';

// The banner: a square wave in a box (columns 2 to 12 of rows 2 to 5).
constexpr std::string_view LOGO[4] = {
    "\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF",
    "\xB3 \xDA\xBF\xDA\xC4\xBF\xDA\xBF \xB3",
    "\xB3\xC4\xD9\xC0\xD9 \xC0\xD9\xC0\xC4\xB3",
    "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9",
};
constexpr std::string_view TITLE = "KDV 578 MODBUS Configuration Software (Windows) ";
constexpr std::string_view VERSION = "Version 4.10 Multiplexer setup, monitoring and reports";

void write_at(int x, int y, std::string_view text) {
  kdv::ui::GotoXY(x, y);
  kdv::ui::Write(text);
}

// A horizontal line across the screen: left end, 196 in columns 2 to 79
// with mid at column 40, right end (none keeps column 80).
void rule(int row, char left, char mid, char right) {
  std::string line(kdv::ui::COLS - 1, H);
  line[0] = left;
  line[39] = mid;
  write_at(1, row, line);
  if (right != 0) write_at(kdv::ui::COLS, row, std::string_view(&right, 1));
}

// Row 25 in black, 79 characters so the bottom right cell never scrolls.
void black_bottom_line(const kdv::model::Session& session) {
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kdv::model::kBlack);
  kdv::ui::Write(std::string(kdv::ui::COLS - 1, ' '));
  kdv::ui::TextBackground(session.BACK);
}

}  // namespace

void BACKGND(const kdv::model::Session& session, std::uint8_t NUM) {
  kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS);
  kdv::ui::ClrScr();
  kdv::ui::TextColor(session.MAINTEXT);
  kdv::ui::TextBackground(session.BACK);
  kdv::ui::CURSOROFF();
  for (int row = 2; row <= 24; ++row) write_at(1, row, std::string(kdv::ui::COLS, ' '));

  rule(1, TL, H, TR);
  for (int row = 2; row <= 23; ++row) {
    write_at(1, row, std::string_view(&V, 1));
    write_at(kdv::ui::COLS, row, std::string_view(&V, 1));
    if (row >= 7) write_at(40, row, std::string_view(&V, 1));
  }
  rule(24, BL, TEE_UP, BR);
  rule(6, TEE_RIGHT, TEE_DOWN, TEE_LEFT);
  rule(19, TEE_RIGHT, CROSS, 0);

  for (int i = 0; i < 4; ++i) write_at(2, 2 + i, LOGO[i]);
  write_at(22, 3, TITLE);
  write_at(18, 4, VERSION);

  write_at(2, 20, "INFORMATION  Esc prev Menu, Alt-X Quit");
  if (NUM == 0) {
    write_at(41, 20, "                  STATUS              ");
    write_at(41, 21, "           Programming:               ");
    write_at(41, 22, "Software versions  HCA:               ");
    write_at(41, 23, "                    IP:               ");
    kdv::ui::TextBackground(session.BACK);
    write_at(66, 21, session.MESSAGE[session.ONLINE ? kdv::model::kMessageOnline : kdv::model::kMessageOffline].view());
    if (const kdv::model::RECIEVER_DATA* r = session.RECEIVER[session.RECNO].get()) {
      write_at(64, 22, r->HCAVER.view());
      write_at(64, 23, r->IPVER.view());
    }
  } else {
    write_at(41, 20, "SETTINGS                              ");
    for (int row = 21; row <= 23; ++row) write_at(41, row, std::string(38, ' '));
  }
  black_bottom_line(session);
  kdv::ui::CURSOROFF();
}

}  // namespace kdv::ui
