// The menu routine: draws a screen of the menu model, walks the highlight
// over its selectable cells, shows the help lines of the highlighted cell and
// returns the selection code. Also the frame and colour presets the pop-ups
// share.
#include "model/records.h"
#include "model/colours.h"
#include "model/messages.h"
#include "ui/console.h"
#include "ui/menu.h"

namespace kdv::ui {

using kdv::model::MenuCell;
using kdv::model::MenuScreen;

namespace {

constexpr int kHelpLeft = 4, kHelpTop = 21, kHelpRight = 37, kHelpBottom = 23;

const MenuScreen& current(const kdv::model::Session& session) { return session.screens[session.screen_number]; }

bool inert_at(const kdv::model::Session& session, Byte x, Byte y) { return is_inert(current(session).cells[x][y]); }

// One row step in the current column, cyclic; a row outside the column
// (left over from another screen) counts as the last one.
void step_row(kdv::model::Session& session, int direction) {
  const Byte rows = current(session).row_count[session.cursor_column];
  if (direction < 0)
    session.cursor_row = (session.cursor_row <= 1 || session.cursor_row > rows) ? rows : static_cast<Byte>(session.cursor_row - 1);
  else
    session.cursor_row = (session.cursor_row >= rows) ? 1 : static_cast<Byte>(session.cursor_row + 1);
}

// Steps at least once and on past inert cells. The loader refuses columns
// without a selectable cell; the bound only guards a model built by hand.
// A column the screen does not have (a cursor set for another layout)
// counts as column 1.
void move_row(kdv::model::Session& session, int direction) {
  if (session.cursor_column < 1 || session.cursor_column > current(session).column_count) session.cursor_column = 1;
  for (int n = 0; n < 14; ++n) {
    step_row(session, direction);
    if (!inert_at(session, session.cursor_column, session.cursor_row)) return;
  }
}

void move_column(kdv::model::Session& session, int direction) {
  const MenuScreen& s = current(session);
  if (direction < 0)
    session.cursor_column = (session.cursor_column <= 1 || session.cursor_column > s.column_count) ? s.column_count : static_cast<Byte>(session.cursor_column - 1);
  else
    session.cursor_column = (session.cursor_column >= s.column_count) ? 1 : static_cast<Byte>(session.cursor_column + 1);
  if (session.cursor_row > s.row_count[session.cursor_column]) session.cursor_row = s.row_count[session.cursor_column];
  if (session.cursor_row < 1) session.cursor_row = 1;
  if (inert_at(session, session.cursor_column, session.cursor_row)) menu_cursor_down(session);
}

void value_after_label(const kdv::model::Session& session, int column, int row) {
  kdv::ui::write_text("   ");
  if (row <= 12) kdv::ui::write_text(session.value_column[column][row].view());
}

// Alt-X: the quit question on row 25. "Y" or "y" ends the program; any
// other answer removes the question and is returned.
Byte ask_quit(const kdv::model::Session& session) {
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_colour(kdv::model::kWhite);
  kdv::ui::text_background(kdv::model::kBlack);
  kdv::ui::write_text(session.messages[kdv::model::kMessageExitProgram].view());
  const Byte answer = kdv::ui::read_key();
  if (answer == 'Y' || answer == 'y') {
    kdv::ui::cursor_on();
    kdv::ui::clear_window();
    kdv::ui::quit(0);
  }
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(std::string(22, ' '));
  kdv::ui::text_colour(kdv::model::kWhite);
  kdv::ui::text_background(session.background);
  return answer;
}

}  // namespace

void inverse_colours(const kdv::model::Session& session) {
  kdv::ui::text_background(kdv::model::kWhite);
  kdv::ui::text_colour(session.bar_text);
}

void normal_colours(const kdv::model::Session& session) {
  kdv::ui::text_background(session.menu_background);
  kdv::ui::text_colour(session.menu_text);
}

void frame_window(int left, int top, int width, int height) {
  // The frame is drawn in a window one column and row larger on each side,
  // so its last character never wraps or scrolls. A frame that would not fit
  // on the screen is not drawn at all.
  if (left < 2 || top < 2 || width < 1 || height < 1 || left + width + 1 > kdv::ui::kColumns || top + height + 1 > kdv::ui::kRows)
    return;
  const std::string bar(static_cast<std::size_t>(width - 1), '\xCD');
  kdv::ui::set_text_window(left - 1, top - 1, left + width + 1, top + height + 1);
  kdv::ui::go_to_xy(1, 1);
  kdv::ui::write_text('\xC9' + bar + '\xBB');
  for (int r = 2; r <= height; ++r) {
    kdv::ui::go_to_xy(1, r);
    kdv::ui::write_text('\xBA');
    kdv::ui::go_to_xy(width + 1, r);
    kdv::ui::write_text('\xBA');
  }
  kdv::ui::go_to_xy(1, height + 1);
  kdv::ui::write_text('\xC8' + bar + '\xBC');
  kdv::ui::go_to_xy(1, 3);
  kdv::ui::write_text('\xCC' + bar + '\xB9');
  kdv::ui::set_text_window(left, top, left + width - 1, top + height - 1);
}

void draw_menu(const kdv::model::Session& session, Byte column, Byte row) {
  const MenuScreen& s = current(session);
  kdv::ui::text_colour(session.main_text);
  kdv::ui::text_background(session.background);
  for (int i = 1; i <= s.column_count; ++i) {
    for (int j = 1; j <= s.row_count[i]; ++j) {
      const MenuCell& c = s.cells[i][j];
      if (i == column && j == row) {
        kdv::ui::set_text_window(kHelpLeft, kHelpTop, kHelpRight, kHelpBottom);
        kdv::ui::clear_window();
        kdv::ui::write_line(c.help_line1.view());
        kdv::ui::write_text(c.help_line2.view());
        kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows);
        kdv::ui::text_background(kdv::model::kWhite);
        kdv::ui::text_colour(session.bar_text);
        kdv::ui::go_to_xy(c.x, c.y);
        kdv::ui::write_text(c.label.view());
        kdv::ui::text_background(session.background);
        kdv::ui::text_colour(session.main_text);
      } else {
        kdv::ui::go_to_xy(c.x, c.y);
        kdv::ui::write_text(c.label.view());
      }
      value_after_label(session, i, j);
    }
  }
  kdv::ui::go_to_xy(kdv::ui::kColumns, kdv::ui::kRows);
  kdv::ui::cursor_off();
}

void menu_cursor_up(kdv::model::Session& session) { move_row(session, -1); }

void menu_cursor_down(kdv::model::Session& session) { move_row(session, +1); }

Byte run_menu(kdv::model::Session& session, Byte screen) {
  session.screen_number = screen;
  draw_menu(session, session.cursor_column, session.cursor_row);
  int previous = -1;  // none yet
  for (;;) {
    const Byte key = kdv::ui::read_key();
    const bool extended = previous == 0;
    previous = key;
    if (!extended) {
      if (key == kdv::ui::kKeyEnter) return static_cast<Byte>(16 * session.cursor_column + session.cursor_row);
      if (key == kdv::ui::kKeyEscape) return kMenuEscape;
      continue;
    }
    switch (key) {
      case kdv::ui::kScanUp: menu_cursor_up(session); break;
      case kdv::ui::kScanDown: menu_cursor_down(session); break;
      case kdv::ui::kScanLeft: move_column(session, -1); break;
      case kdv::ui::kScanRight: move_column(session, +1); break;
      case kdv::ui::kScanAltX: previous = ask_quit(session); continue;
      default: continue;
    }
    draw_menu(session, session.cursor_column, session.cursor_row);
  }
}

}  // namespace kdv::ui
