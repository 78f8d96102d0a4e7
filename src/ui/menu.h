// The menu: the menu model (screens and cells from the screen definition
// files), the submenu cursor, the menu routine with its cursor movement, and
// the frame and colours menus and pop-ups are drawn in.
#pragma once

#include "model/screen_files.h"
#include "model/session.h"
#include "model/text.h"

namespace kdv::ui {

using kdv::model::Byte;

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

// What run_menu returns on Escape.
inline constexpr Byte kMenuEscape = 0xFF;

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

}  // namespace kdv::ui
