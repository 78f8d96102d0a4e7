// The fixed background of every menu: a single-line frame split into the
// banner, the menu area, the information box (help lines) and the status
// box (link state and the receiver's software versions).
#include "ui/background.h"

#include <string>
#include <string_view>

#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "ui/console.h"

namespace kdv::ui {

namespace {

// Code page 437 single-line box characters.
constexpr char kHorizontal = '\xC4', kVertical = '\xB3';
constexpr char kTopLeft = '\xDA', kTopRight = '\xBF', kBottomLeft = '\xC0', kBottomRight = '\xD9';
constexpr char kTeeDown = '\xC2', kTeeUp = '\xC1', kTeeRight = '\xC3', kTeeLeft = '\xB4';
constexpr char kCross = '\xC5';

// The banner: a square wave in a box (columns 2 to 12 of rows 2 to 5).
constexpr std::string_view kLogo[4] = {
    "\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xBF",
    "\xB3 \xDA\xBF\xDA\xC4\xBF\xDA\xBF \xB3",
    "\xB3\xC4\xD9\xC0\xD9 \xC0\xD9\xC0\xC4\xB3",
    "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xD9",
};
constexpr std::string_view kBannerTitle = "KDV 578 MODBUS Configuration Software (Windows) ";
constexpr std::string_view kBannerVersion = "Version 4.10 Multiplexer setup, monitoring and reports";

void write_at(int x, int y, std::string_view text) {
  kdv::ui::go_to_xy(x, y);
  kdv::ui::write_text(text);
}

// A horizontal line across the screen: left end, 196 in columns 2 to 79
// with mid at column 40, right end (none keeps column 80).
void rule(int row, char left, char mid, char right) {
  std::string line(kdv::ui::kColumns - 1, kHorizontal);
  line[0] = left;
  line[39] = mid;
  write_at(1, row, line);
  if (right != 0) write_at(kdv::ui::kColumns, row, std::string_view(&right, 1));
}

// Row 25 in black, 79 characters so the bottom right cell never scrolls.
void black_bottom_line(const kdv::model::Session& session) {
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kdv::model::kBlack);
  kdv::ui::write_text(std::string(kdv::ui::kColumns - 1, ' '));
  kdv::ui::text_background(session.background);
}

}  // namespace

void draw_background(const kdv::model::Session& session, std::uint8_t variant) {
  kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows);
  kdv::ui::clear_window();
  kdv::ui::text_colour(session.main_text);
  kdv::ui::text_background(session.background);
  kdv::ui::cursor_off();
  for (int row = 2; row <= 24; ++row) write_at(1, row, std::string(kdv::ui::kColumns, ' '));

  rule(1, kTopLeft, kHorizontal, kTopRight);
  for (int row = 2; row <= 23; ++row) {
    write_at(1, row, std::string_view(&kVertical, 1));
    write_at(kdv::ui::kColumns, row, std::string_view(&kVertical, 1));
    if (row >= 7) write_at(40, row, std::string_view(&kVertical, 1));
  }
  rule(24, kBottomLeft, kTeeUp, kBottomRight);
  rule(6, kTeeRight, kTeeDown, kTeeLeft);
  rule(19, kTeeRight, kCross, 0);

  for (int i = 0; i < 4; ++i) write_at(2, 2 + i, kLogo[i]);
  write_at(22, 3, kBannerTitle);
  write_at(18, 4, kBannerVersion);

  write_at(2, 20, "INFORMATION  Esc prev Menu, Alt-X Quit");
  if (variant == 0) {
    write_at(41, 20, "                  STATUS              ");
    write_at(41, 21, "           Programming:               ");
    write_at(41, 22, "Software versions  HCA:               ");
    write_at(41, 23, "                    IP:               ");
    kdv::ui::text_background(session.background);
    write_at(66, 21, session.messages[session.online ? kdv::model::kMessageOnline : kdv::model::kMessageOffline].view());
    if (const kdv::model::ReceiverRecord* r = session.receivers[session.receiver_number].get()) {
      write_at(64, 22, r->HCAVER.view());
      write_at(64, 23, r->IPVER.view());
    }
  } else {
    write_at(41, 20, "SETTINGS                              ");
    for (int row = 21; row <= 23; ++row) write_at(41, row, std::string(38, ' '));
  }
  black_bottom_line(session);
  kdv::ui::cursor_off();
}

}  // namespace kdv::ui
