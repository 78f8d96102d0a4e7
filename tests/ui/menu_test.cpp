#include <vector>

#include "ui/menu.h"
#include "ui_fixture.h"

using namespace kdv::ui;
using kdv::model::MenuCell;
using kdv::model::MenuScreen;

namespace {

constexpr int kTestScreen = 5;

// Builds screen 5 with the given columns; a row listed in inert_rows of its
// column is a heading. Column i stands at 3 + 40 x (i - 1), row j at 6 + j.
void build(kdv::model::Session& session, const std::vector<int>& rows,
           const std::vector<std::vector<int>>& inert_rows = {}) {
  MenuScreen s{};
  s.column_count = static_cast<Byte>(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int col = static_cast<int>(i) + 1;
    s.row_count[col] = static_cast<Byte>(rows[i]);
    for (int j = 1; j <= rows[i]; ++j) {
      MenuCell& c = s.cells[col][j];
      c.label = "C" + std::to_string(col) + "R" + std::to_string(j);
      c.x = static_cast<Byte>(3 + 40 * i);
      c.y = static_cast<Byte>(6 + j);
      c.help_line1 = "help " + std::to_string(col) + "." + std::to_string(j);
      c.help_line2 = "second line";
    }
    if (i < inert_rows.size())
      for (int j : inert_rows[i]) s.cells[col][j].help_line1 = "##";
  }
  session.screens[kTestScreen] = s;
  for (auto& column : session.value_column)
    for (auto& value : column) value = "";
}

class Menu : public UiTest {
 protected:
  // Runs the menu from (x, y) and returns its code.
  Byte run_from(Byte x, Byte y) {
    session.cursor_column = x;
    session.cursor_row = y;
    return run_menu(session, kTestScreen);
  }
};

TEST_F(Menu, EnterGivesColumnAndRowEscapeGives255) {
  build(session, {14, 14});
  term.enter();
  EXPECT_EQ(run_from(2, 3), 35);
  term.enter();
  EXPECT_EQ(run_from(1, 14), 30);
  term.escape();
  EXPECT_EQ(run_from(1, 2), 255);
  EXPECT_EQ(session.cursor_row, 2);
}

TEST_F(Menu, CursorUpAndDownSkipInertCellsCyclically) {
  build(session, {8, 3}, {{3, 4, 8}});
  term.up();
  term.enter();
  EXPECT_EQ(run_from(1, 1), 16 + 7);  // row 8 is inert
  term.down();
  term.down();
  term.enter();
  EXPECT_EQ(run_from(1, 7), 16 + 2);  // 7 -> (8) -> 1 -> 2
  term.down();
  term.enter();
  EXPECT_EQ(run_from(1, 2), 16 + 5);  // over rows 3 and 4
}

TEST_F(Menu, ColumnSwitchClampsTheRow) {
  build(session, {8, 6});
  term.right();
  term.enter();
  EXPECT_EQ(run_from(1, 8), 32 + 6);
  term.right();
  term.enter();
  EXPECT_EQ(run_from(2, 6), 16 + 6);  // from the last column back to column 1
  term.left();
  term.enter();
  EXPECT_EQ(run_from(1, 3), 32 + 3);

  build(session, {8, 6}, {{}, {6}});
  term.right();
  term.enter();
  EXPECT_EQ(run_from(1, 8), 32 + 1);  // row 6 inert: on cyclically to row 1

  build(session, {5});
  term.right();
  term.left();
  term.enter();
  EXPECT_EQ(run_from(1, 4), 16 + 4);  // one column: the column stays
}

TEST_F(Menu, ACursorOutsideTheScreenIsBroughtBackByTheFirstMove) {
  build(session, {3});
  term.up();
  term.enter();
  EXPECT_EQ(run_from(2, 9), 16 + 3);
  term.down();
  term.enter();
  EXPECT_EQ(run_from(1, 9), 16 + 1);
}

TEST_F(Menu, LettersOfTheScanCodesAloneDoNotMove) {
  build(session, {4});
  term.type("HPKM-");
  term.enter();
  EXPECT_EQ(run_from(1, 2), 16 + 2);
}

TEST_F(Menu, DrawMenuShowsLabelsValuesHighlightAndHelp) {
  build(session, {2, 1});
  session.value_column[1][1] = "value";
  session.value_column[2][1] = "other";
  session.cursor_column = 2;
  session.cursor_row = 1;
  session.screen_number = kTestScreen;
  draw_menu(session, session.cursor_column, session.cursor_row);
  EXPECT_EQ(at(3, 7, 12), "C1R1   value");
  EXPECT_EQ(at(43, 7, 12), "C2R1   other");
  EXPECT_EQ(screen().bg(43, 7), 7);  // background 15 shows light grey
  EXPECT_EQ(screen().fg(43, 7), session.bar_text);
  EXPECT_EQ(screen().bg(48, 7), session.background);  // the value is not highlighted
  EXPECT_EQ(screen().bg(3, 7), session.background);
  EXPECT_EQ(at(4, 21, 8), "help 2.1");
  EXPECT_EQ(at(4, 22, 11), "second line");
}

TEST_F(Menu, RowsThirteenAndFourteenShowTheLabelAlone) {
  build(session, {14});
  session.value_column[1][12] = "twelve";
  session.screen_number = kTestScreen;
  draw_menu(session, 1, 1);
  EXPECT_EQ(at(3, 18, 15), "C1R12   twelve ");
  EXPECT_EQ(at(3, 19, 10), "C1R13     ");
}

TEST_F(Menu, AnyAnswerButYesToTheQuitQuestionKeepsTheMenu) {
  build(session, {3});
  session.messages[96] = " Quit now (Y/N)";
  for (int answer : {int{'n'}, 13, 27}) {
    term.type({0, 45, answer});
    term.enter();
    EXPECT_EQ(run_from(1, 2), 16 + 2) << answer;
    EXPECT_EQ(at(1, 25, 22), std::string(22, ' '));
    EXPECT_EQ(screen().bg(1, 25), 0);
  }
  // An extended key as the answer: its second code acts as a menu key.
  term.type({0, 45, 0, 80});
  term.enter();
  EXPECT_EQ(run_from(1, 2), 16 + 3);
}

TEST_F(Menu, YesToTheQuitQuestionEndsTheProgramWithCodeZero) {
  build(session, {3});
  session.messages[96] = " Quit now (Y/N)";
  for (const char* yes : {"y", "Y"}) {
    term.type({0, 45});
    term.type(yes);
    try {
      run_from(1, 1);
      ADD_FAILURE() << "the program did not end";
    } catch (const kdv::ui::ProgramExit& e) {
      EXPECT_EQ(e.code, 0);
    }
  }
}

TEST_F(Menu, QuitQuestionIsWhiteOnBlackOnRow25) {
  build(session, {3});
  session.messages[96] = " Quit now (Y/N)";
  term.type({0, 45});
  term.on_wait = [&] {
    if (term.keys_left() == 0 && at(1, 25, 15) == " Quit now (Y/N)") {
      EXPECT_EQ(screen().fg(2, 25), 15);
      EXPECT_EQ(screen().bg(2, 25), 0);
      term.escape();
      term.escape();
    }
  };
  EXPECT_EQ(run_from(1, 1), 255);
}

TEST_F(Menu, FrameWindowFramesAroundTheInside) {
  normal_colours(session);
  frame_window(25, 15, 30, 6);
  EXPECT_EQ(screen().win_left(), 25);
  EXPECT_EQ(screen().win_top(), 15);
  EXPECT_EQ(screen().win_right(), 54);
  EXPECT_EQ(screen().win_bottom(), 20);
  EXPECT_EQ(screen().ch(24, 14), 201);
  EXPECT_EQ(screen().ch(25, 14), 205);
  EXPECT_EQ(screen().ch(54, 14), 187);
  EXPECT_EQ(screen().ch(24, 16), 204);
  EXPECT_EQ(screen().ch(54, 16), 185);
  EXPECT_EQ(screen().ch(24, 17), 186);
  EXPECT_EQ(screen().ch(24, 20), 200);
  EXPECT_EQ(screen().ch(54, 20), 188);
  EXPECT_EQ(screen().ch(55, 14), ' ');
  EXPECT_EQ(screen().ch(24, 21), ' ');
  EXPECT_EQ(screen().bg(30, 14), session.menu_background);
}

TEST_F(Menu, AFrameOffTheScreenIsNotDrawn) {
  kdv::ui::set_text_window(1, 1, 80, 25);
  frame_window(60, 15, 20, 6);  // would need column 81
  EXPECT_EQ(screen().win_right(), 80);
  EXPECT_EQ(screen().row_text(14), std::string(80, ' '));
}

}  // namespace

// A submenu starts on its own cell and gives the caller's highlight back,
// wherever the submenu's user left it, also when submenus nest.
TEST_F(Menu, SubmenuCursorStartsOnItsCellAndGivesTheCallersBack) {
  build(session, {3, 3});
  session.cursor_column = 2;
  session.cursor_row = 3;
  {
    const MenuCursor outer(session, 1, 2);
    EXPECT_EQ(session.cursor_column, 1);
    EXPECT_EQ(session.cursor_row, 2);
    term.down();
    term.enter();
    EXPECT_EQ(run_menu(session, kTestScreen), 16 + 3);
    {
      const MenuCursor inner(session, 2, 1);
      term.escape();
      EXPECT_EQ(run_menu(session, kTestScreen), 255);
    }
    EXPECT_EQ(session.cursor_column, 1);
    EXPECT_EQ(session.cursor_row, 3);  // where this menu's user left it
  }
  EXPECT_EQ(session.cursor_column, 2);
  EXPECT_EQ(session.cursor_row, 3);
}
