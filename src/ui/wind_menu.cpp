// The menu routine: draws a screen of the menu model, walks the highlight
// over its selectable cells, shows the help lines of the highlighted cell and
// returns the selection code. Also the frame and colour presets the pop-ups
// share.
#include "model/globals.h"
#include "model/colours.h"
#include "model/messages.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace kdv::ui {

namespace {

constexpr int HELP_LEFT = 4, HELP_TOP = 21, HELP_RIGHT = 37, HELP_BOTTOM = 23;

const SCRN& current(const kdv::model::Session& session) { return session.SCREEN[session.SCNO]; }

bool inert_at(const kdv::model::Session& session, byte x, byte y) { return INERT(current(session).CELL[x][y]); }

// One row step in the current column, cyclic; a row outside the column
// (left over from another screen) counts as the last one.
void step_row(kdv::model::Session& session, int direction) {
  const byte rows = current(session).MAXY[session.XCUR];
  if (direction < 0)
    session.YCUR = (session.YCUR <= 1 || session.YCUR > rows) ? rows : static_cast<byte>(session.YCUR - 1);
  else
    session.YCUR = (session.YCUR >= rows) ? 1 : static_cast<byte>(session.YCUR + 1);
}

// Steps at least once and on past inert cells. The loader refuses columns
// without a selectable cell; the bound only guards a model built by hand.
// A column the screen does not have (a cursor set for another layout)
// counts as column 1.
void move_row(kdv::model::Session& session, int direction) {
  if (session.XCUR < 1 || session.XCUR > current(session).MAXX) session.XCUR = 1;
  for (int n = 0; n < 14; ++n) {
    step_row(session, direction);
    if (!inert_at(session, session.XCUR, session.YCUR)) return;
  }
}

void move_column(kdv::model::Session& session, int direction) {
  const SCRN& s = current(session);
  if (direction < 0)
    session.XCUR = (session.XCUR <= 1 || session.XCUR > s.MAXX) ? s.MAXX : static_cast<byte>(session.XCUR - 1);
  else
    session.XCUR = (session.XCUR >= s.MAXX) ? 1 : static_cast<byte>(session.XCUR + 1);
  if (session.YCUR > s.MAXY[session.XCUR]) session.YCUR = s.MAXY[session.XCUR];
  if (session.YCUR < 1) session.YCUR = 1;
  if (inert_at(session, session.XCUR, session.YCUR)) CURSORDOWN(session);
}

void value_after_label(const kdv::model::Session& session, int column, int row) {
  kdv::ui::Write("   ");
  if (row <= 12) kdv::ui::Write(session.DISP[column][row].view());
}

// Alt-X: the quit question on row 25. "Y" or "y" ends the program; any
// other answer removes the question and is returned.
byte ask_quit(const kdv::model::Session& session) {
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextColor(kdv::model::kWhite);
  kdv::ui::TextBackground(kdv::model::kBlack);
  kdv::ui::Write(session.MESSAGE[kdv::model::kMessageExitProgram].view());
  const byte answer = kdv::ui::ReadKey();
  if (answer == 'Y' || answer == 'y') {
    kdv::ui::CURSORON();
    kdv::ui::ClrScr();
    kdv::ui::Quit(0);
  }
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(std::string(22, ' '));
  kdv::ui::TextColor(kdv::model::kWhite);
  kdv::ui::TextBackground(session.BACK);
  return answer;
}

}  // namespace

void INVERSE(const kdv::model::Session& session) {
  kdv::ui::TextBackground(kdv::model::kWhite);
  kdv::ui::TextColor(session.BARTEXT);
}

void NORMAL(const kdv::model::Session& session) {
  kdv::ui::TextBackground(session.MENU);
  kdv::ui::TextColor(session.MENUTEXT);
}

void SETWINDOW(int X1, int Y1, int X2, int Y2) {
  // The frame is drawn in a window one column and row larger on each side,
  // so its last character never wraps or scrolls. A frame that would not fit
  // on the screen is not drawn at all.
  if (X1 < 2 || Y1 < 2 || X2 < 1 || Y2 < 1 || X1 + X2 + 1 > kdv::ui::COLS || Y1 + Y2 + 1 > kdv::ui::ROWS)
    return;
  const std::string bar(static_cast<std::size_t>(X2 - 1), '\xCD');
  kdv::ui::Window(X1 - 1, Y1 - 1, X1 + X2 + 1, Y1 + Y2 + 1);
  kdv::ui::GotoXY(1, 1);
  kdv::ui::Write('\xC9' + bar + '\xBB');
  for (int r = 2; r <= Y2; ++r) {
    kdv::ui::GotoXY(1, r);
    kdv::ui::Write('\xBA');
    kdv::ui::GotoXY(X2 + 1, r);
    kdv::ui::Write('\xBA');
  }
  kdv::ui::GotoXY(1, Y2 + 1);
  kdv::ui::Write('\xC8' + bar + '\xBC');
  kdv::ui::GotoXY(1, 3);
  kdv::ui::Write('\xCC' + bar + '\xB9');
  kdv::ui::Window(X1, Y1, X1 + X2 - 1, Y1 + Y2 - 1);
}

void FILLSCN(const kdv::model::Session& session, byte CURX, byte CURY) {
  const SCRN& s = current(session);
  kdv::ui::TextColor(session.MAINTEXT);
  kdv::ui::TextBackground(session.BACK);
  for (int i = 1; i <= s.MAXX; ++i) {
    for (int j = 1; j <= s.MAXY[i]; ++j) {
      const MENUELEMENT& c = s.CELL[i][j];
      if (i == CURX && j == CURY) {
        kdv::ui::Window(HELP_LEFT, HELP_TOP, HELP_RIGHT, HELP_BOTTOM);
        kdv::ui::ClrScr();
        kdv::ui::WriteLn(c.HSTR1.view());
        kdv::ui::Write(c.HSTR2.view());
        kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS);
        kdv::ui::TextBackground(kdv::model::kWhite);
        kdv::ui::TextColor(session.BARTEXT);
        kdv::ui::GotoXY(c.XPOS, c.YPOS);
        kdv::ui::Write(c.TITLE.view());
        kdv::ui::TextBackground(session.BACK);
        kdv::ui::TextColor(session.MAINTEXT);
      } else {
        kdv::ui::GotoXY(c.XPOS, c.YPOS);
        kdv::ui::Write(c.TITLE.view());
      }
      value_after_label(session, i, j);
    }
  }
  kdv::ui::GotoXY(kdv::ui::COLS, kdv::ui::ROWS);
  kdv::ui::CURSOROFF();
}

void CURSORUP(kdv::model::Session& session) { move_row(session, -1); }

void CURSORDOWN(kdv::model::Session& session) { move_row(session, +1); }

byte SEL(kdv::model::Session& session, byte NO) {
  session.SCNO = NO;
  FILLSCN(session, session.XCUR, session.YCUR);
  int previous = -1;  // none yet
  for (;;) {
    const byte key = kdv::ui::ReadKey();
    const bool extended = previous == 0;
    previous = key;
    if (!extended) {
      if (key == kdv::ui::KEY_ENTER) return static_cast<byte>(16 * session.XCUR + session.YCUR);
      if (key == kdv::ui::KEY_ESC) return kMenuEscape;
      continue;
    }
    switch (key) {
      case kdv::ui::SCAN_UP: CURSORUP(session); break;
      case kdv::ui::SCAN_DOWN: CURSORDOWN(session); break;
      case kdv::ui::SCAN_LEFT: move_column(session, -1); break;
      case kdv::ui::SCAN_RIGHT: move_column(session, +1); break;
      case kdv::ui::SCAN_ALT_X: previous = ask_quit(session); continue;
      default: continue;
    }
    FILLSCN(session, session.XCUR, session.YCUR);
  }
}

}  // namespace kdv::ui
