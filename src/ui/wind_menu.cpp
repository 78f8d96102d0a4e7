// The menu routine: draws a screen of the menu model, walks the highlight
// over its selectable cells, shows the help lines of the highlighted cell and
// returns the selection code. Also the frame and colour presets the pop-ups
// share.
#include "model/globals.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace wind {

namespace {

constexpr int HELP_LEFT = 4, HELP_TOP = 21, HELP_RIGHT = 37, HELP_BOTTOM = 23;

const SCRN& current(const globals::Session& session) { return session.SCREEN[session.SCNO]; }

bool inert_at(const globals::Session& session, byte x, byte y) { return INERT(current(session).CELL[x][y]); }

// One row step in the current column, cyclic; a row outside the column
// (left over from another screen) counts as the last one.
void step_row(globals::Session& session, int direction) {
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
void move_row(globals::Session& session, int direction) {
  if (session.XCUR < 1 || session.XCUR > current(session).MAXX) session.XCUR = 1;
  for (int n = 0; n < 14; ++n) {
    step_row(session, direction);
    if (!inert_at(session, session.XCUR, session.YCUR)) return;
  }
}

void move_column(globals::Session& session, int direction) {
  const SCRN& s = current(session);
  if (direction < 0)
    session.XCUR = (session.XCUR <= 1 || session.XCUR > s.MAXX) ? s.MAXX : static_cast<byte>(session.XCUR - 1);
  else
    session.XCUR = (session.XCUR >= s.MAXX) ? 1 : static_cast<byte>(session.XCUR + 1);
  if (session.YCUR > s.MAXY[session.XCUR]) session.YCUR = s.MAXY[session.XCUR];
  if (session.YCUR < 1) session.YCUR = 1;
  if (inert_at(session, session.XCUR, session.YCUR)) CURSORDOWN(session);
}

void value_after_label(const globals::Session& session, int column, int row) {
  crt::Write("   ");
  if (row <= 12) crt::Write(session.DISP[column][row].view());
}

// Alt-X: the quit question on row 25. "Y" or "y" ends the program; any
// other answer removes the question and is returned.
byte ask_quit(const globals::Session& session) {
  crt::GotoXY(1, 25);
  crt::TextColor(15);
  crt::TextBackground(0);
  crt::Write(session.MESSAGE[96].view());
  const byte answer = crt::ReadKey();
  if (answer == 'Y' || answer == 'y') {
    crt::CURSORON();
    crt::ClrScr();
    crt::Quit(0);
  }
  crt::GotoXY(1, 25);
  crt::Write(std::string(22, ' '));
  crt::TextColor(15);
  crt::TextBackground(session.BACK);
  return answer;
}

}  // namespace

void INVERSE(const globals::Session& session) {
  crt::TextBackground(15);
  crt::TextColor(session.BARTEXT);
}

void NORMAL(const globals::Session& session) {
  crt::TextBackground(session.MENU);
  crt::TextColor(session.MENUTEXT);
}

void SETWINDOW(int X1, int Y1, int X2, int Y2) {
  // The frame is drawn in a window one column and row larger on each side,
  // so its last character never wraps or scrolls. A frame that would not fit
  // on the screen is not drawn at all.
  if (X1 < 2 || Y1 < 2 || X2 < 1 || Y2 < 1 || X1 + X2 + 1 > crt::COLS || Y1 + Y2 + 1 > crt::ROWS)
    return;
  const std::string bar(static_cast<std::size_t>(X2 - 1), '\xCD');
  crt::Window(X1 - 1, Y1 - 1, X1 + X2 + 1, Y1 + Y2 + 1);
  crt::GotoXY(1, 1);
  crt::Write('\xC9' + bar + '\xBB');
  for (int r = 2; r <= Y2; ++r) {
    crt::GotoXY(1, r);
    crt::Write('\xBA');
    crt::GotoXY(X2 + 1, r);
    crt::Write('\xBA');
  }
  crt::GotoXY(1, Y2 + 1);
  crt::Write('\xC8' + bar + '\xBC');
  crt::GotoXY(1, 3);
  crt::Write('\xCC' + bar + '\xB9');
  crt::Window(X1, Y1, X1 + X2 - 1, Y1 + Y2 - 1);
}

void FILLSCN(const globals::Session& session, byte CURX, byte CURY) {
  const SCRN& s = current(session);
  crt::TextColor(session.MAINTEXT);
  crt::TextBackground(session.BACK);
  for (int i = 1; i <= s.MAXX; ++i) {
    for (int j = 1; j <= s.MAXY[i]; ++j) {
      const MENUELEMENT& c = s.CELL[i][j];
      if (i == CURX && j == CURY) {
        crt::Window(HELP_LEFT, HELP_TOP, HELP_RIGHT, HELP_BOTTOM);
        crt::ClrScr();
        crt::WriteLn(c.HSTR1.view());
        crt::Write(c.HSTR2.view());
        crt::Window(1, 1, crt::COLS, crt::ROWS);
        crt::TextBackground(15);
        crt::TextColor(session.BARTEXT);
        crt::GotoXY(c.XPOS, c.YPOS);
        crt::Write(c.TITLE.view());
        crt::TextBackground(session.BACK);
        crt::TextColor(session.MAINTEXT);
      } else {
        crt::GotoXY(c.XPOS, c.YPOS);
        crt::Write(c.TITLE.view());
      }
      value_after_label(session, i, j);
    }
  }
  crt::GotoXY(crt::COLS, crt::ROWS);
  crt::CURSOROFF();
}

void CURSORUP(globals::Session& session) { move_row(session, -1); }

void CURSORDOWN(globals::Session& session) { move_row(session, +1); }

byte SEL(globals::Session& session, byte NO) {
  session.SCNO = NO;
  FILLSCN(session, session.XCUR, session.YCUR);
  int previous = -1;  // none yet
  for (;;) {
    const byte key = crt::ReadKey();
    const bool extended = previous == 0;
    previous = key;
    if (!extended) {
      if (key == crt::KEY_ENTER) return static_cast<byte>(16 * session.XCUR + session.YCUR);
      if (key == crt::KEY_ESC) return 255;
      continue;
    }
    switch (key) {
      case crt::SCAN_UP: CURSORUP(session); break;
      case crt::SCAN_DOWN: CURSORDOWN(session); break;
      case crt::SCAN_LEFT: move_column(session, -1); break;
      case crt::SCAN_RIGHT: move_column(session, +1); break;
      case crt::SCAN_ALT_X: previous = ask_quit(session); continue;
      default: continue;
    }
    FILLSCN(session, session.XCUR, session.YCUR);
  }
}

}  // namespace wind
