// Menus and pop-ups: the screen definition files (menu screens and the
// message table), the menu model and its value column, the menu routine with
// its cursor movement, and the pop-up kit every editor uses (choice windows,
// choice lists, text and number fields, formatters and message boxes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/indexed.h"
#include "model/screen_files.h"
#include "model/session.h"
#include "model/text.h"
#include "model/value_text.h"

namespace kdv::ui {

using kdv::model::Byte;

// ---- Menu model -----------------------------------------------------------

using kdv::model::MenuCell;
using kdv::model::kScreenCount;
using kdv::model::MenuScreens;
using kdv::model::MenuScreen;

// The menu screens, the value column and the menu cursor are the session's
// (screens, value_column, cursor_column, cursor_row, screen_number).

// A submenu's cursor: starts the highlight on cell (x, y) and gives the
// caller's menu its highlight back when the submenu ends.
class MenuCursor {
 public:
  MenuCursor(kdv::model::Session& session, Byte x, Byte y)
      : session_(session), saved_x_(session.cursor_column), saved_y_(session.cursor_row) {
    session.cursor_column = x;
    session.cursor_row = y;
  }
  ~MenuCursor() {
    session_.cursor_column = saved_x_;
    session_.cursor_row = saved_y_;
  }
  MenuCursor(const MenuCursor&) = delete;
  MenuCursor& operator=(const MenuCursor&) = delete;

 private:
  kdv::model::Session& session_;
  Byte saved_x_, saved_y_;
};

using kdv::model::is_inert;

// ---- Screen definition files ---------------------------------------------

// Start-up: sets the menu cursor to (1, 1) and the session online, then
// loads "mess578.scn" and "conf578.scn" from dir (the current directory by
// default). A missing or malformed file ends the program (exit code 0) with
// a message naming the file (and the line).
void load_screen_files(kdv::model::Session& session, const std::filesystem::path& dir = {});

using kdv::model::read_messages;

using kdv::model::LoadFault;
using kdv::model::read_screens;

// ---- Menu navigation -------------------------------------------------------

// What run_menu returns on Escape.
inline constexpr kdv::model::Byte kMenuEscape = 0xFF;

// Runs the menu of screen `screen`: returns 16 x column + row on Enter, kMenuEscape
// on Escape. Alt-X asks whether to quit and ends the program on "Y".
Byte run_menu(kdv::model::Session& session, Byte screen);
// Draws the current screen with cell (column, row) highlighted.
void draw_menu(const kdv::model::Session& session, Byte column, Byte row);
void menu_cursor_up(kdv::model::Session& session);
void menu_cursor_down(kdv::model::Session& session);
// Double-line frame whose inside starts at (left, top), width wide and height high;
// the inside becomes the current window.
void frame_window(int left, int top, int width, int height);
void inverse_colours(const kdv::model::Session& session);
void normal_colours(const kdv::model::Session& session);

// ---- Pop-ups and fields -------------------------------------------------------

// The lines of a choice window; it shows 19 characters of each.
using ChoiceLines = std::vector<std::string>;
// The most lines a choice window shows: with its frame and title it then
// reaches from row 2 to row 23. A longer list scrolls inside the window.
inline constexpr int kChoiceWindowLines = 19;
// Choice window at (x, y) with title on its first row and the first
// kChoiceWindowLines items below.
void draw_choice_window(const kdv::model::Session& session, Byte x, Byte y, std::string_view title, const ChoiceLines& items);
// Choice list over the items of the window draw_choice_window drew, starting on line
// first: the chosen line (1-based), or nothing after Escape. A list longer
// than the window scrolls to keep the highlight in view, with an arrow in the
// frame's right side where lines lie above or below.
std::optional<Byte> choice_list(const kdv::model::Session& session, const ChoiceLines& items, Byte first);
// The same dialogue; gives the chosen line without its padding.
std::optional<std::string> choice_list_text(const kdv::model::Session& session, const ChoiceLines& items, Byte first);
// One-line text field on row 3 of the current window: the text, or nothing
// after Escape.
std::optional<std::string> text_field(std::string_view initial);
// Number field in a window titled title (range 0: -99999..99999, 3 decimals;
// 1: 0..255, whole): the entry, or nothing after Escape. Enter alone takes
// the value as shown, rounded. An entry that `acceptable`, when given,
// refuses is answered like one out of range.
std::optional<double> number_field(const kdv::model::Session& session, std::string_view title, double current, int range,
                             const std::function<bool(double)>& acceptable = {});
using kdv::model::fixed_decimal;
using kdv::model::right_aligned;
// value with 4 decimals in 10 characters and the unit suffix of family `family` for
// the session's current channel.
std::string value_with_unit(const kdv::model::Session& session, double value, Byte family);

// Message boxes: wait for any key, leave the full-screen window current.
void say_read_only(const kdv::model::Session& session);
void say_calculated(const kdv::model::Session& session);
void say_no_negatives(const kdv::model::Session& session);
void say_done(const kdv::model::Session& session, std::string_view text);
void say_error(const kdv::model::Session& session, std::string_view text);

// The error line of a link outcome: its text at column 5, row 23 on the
// error colour, a bell and two seconds.
void show_link_error(const kdv::model::Session& session, std::string_view text);
// show_link_error, then the error line blanked again: width blanks at column 5,
// row 23 on the background colour (the transfers blank 23 or 24).
void show_link_error_blanked(const kdv::model::Session& session, std::string_view text, int width);
// The working text (message 53) at the start of row 25 while the link works.
void show_working(const kdv::model::Session& session);

// A framed box with its inside at (x, y), width x height: title at column title_x of
// its first row, lines from row 3 at column 3, the any-key footer, a key.
void message_box(const kdv::model::Session& session, int x, int y, int width, int height, int title_x, std::string_view title,
            std::initializer_list<std::string_view> items);
// The any-key footer on row 25, then one key; leaves the normal colours and the
// full-screen window.
void wait_any_key(const kdv::model::Session& session);

}  // namespace kdv::ui
