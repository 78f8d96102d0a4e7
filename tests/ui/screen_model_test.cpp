#include "ui/console.h"
#include "ui/script_terminal.h"

#include <gtest/gtest.h>

using namespace kdv::ui;

namespace {

TEST(ScreenModel, EightyCharactersOnRow24WrapWithoutScrolling) {
  ScreenModel m;
  m.go_to_xy(1, 24);
  m.write_text(std::string(80, 'a'));
  EXPECT_EQ(m.where_x(), 1);
  EXPECT_EQ(m.where_y(), 25);
  EXPECT_EQ(m.ch(80, 24), 'a');
  EXPECT_EQ(m.ch(1, 25), ' ');
}

TEST(ScreenModel, BottomRightCellScrollsTheWindow) {
  ScreenModel m;
  m.go_to_xy(1, 1);
  m.write_text("top");
  m.go_to_xy(80, 25);
  m.write_text("z");
  EXPECT_EQ(m.text(1, 1, 3), "   ");  // row 1 scrolled away
  EXPECT_EQ(m.ch(80, 24), 'z');
  EXPECT_EQ(m.row_text(25), std::string(80, ' '));
  EXPECT_EQ(m.where_x(), 1);
  EXPECT_EQ(m.where_y(), 25);
}

TEST(ScreenModel, LineEndOnLastWindowRowScrollsOnlyTheWindow) {
  ScreenModel m;
  m.write_text("outside");
  m.set_text_window(10, 5, 20, 7);
  m.write_text("one");
  m.write_line();
  m.write_text("two");
  m.write_line();
  m.write_text("three");
  m.write_line();
  EXPECT_EQ(m.text(10, 5, 3), "two");
  EXPECT_EQ(m.text(10, 6, 5), "three");
  EXPECT_EQ(m.text(10, 7, 5), "     ");
  EXPECT_EQ(m.text(1, 1, 7), "outside");
}

TEST(ScreenModel, RejectedWindowsChangeNothing) {
  ScreenModel m;
  m.set_text_window(5, 5, 30, 10);
  m.go_to_xy(3, 2);
  m.set_text_window(10, 12, 20, 11);  // top below bottom
  m.set_text_window(10, 1, 81, 5);    // right beyond 80
  m.set_text_window(10, 1, 20, 26);   // bottom beyond 25
  m.set_text_window(21, 1, 20, 5);    // left beyond right
  EXPECT_EQ(m.win_left(), 5);
  EXPECT_EQ(m.win_bottom(), 10);
  EXPECT_EQ(m.where_x(), 3);
  EXPECT_EQ(m.where_y(), 2);
  m.go_to_xy(27, 1);  // outside the 26-column window: ignored
  EXPECT_EQ(m.where_x(), 3);
}

TEST(ScreenModel, AttributeBits) {
  ScreenModel m;
  m.text_background(15);
  m.text_colour(15);
  m.write_text("x");
  EXPECT_EQ(m.bg(1, 1), 7);
  EXPECT_EQ(m.fg(1, 1), 15);
  m.text_background(9);
  m.text_colour(4 + 128);
  m.write_text("y");
  EXPECT_EQ(m.bg(2, 1), 1);
  EXPECT_EQ(m.cell(2, 1).attr, 0x80 | 0x10 | 4);
}

TEST(ScreenModel, ControlCharacters) {
  ScreenModel m;
  m.go_to_xy(5, 3);
  m.write_text("ab\x08" "c");
  EXPECT_EQ(m.text(5, 3, 2), "ac");
  m.write_text("\x07");
  EXPECT_EQ(m.where_x(), 7);
  EXPECT_EQ(m.ch(7, 3), ' ');
  m.write_text("\r");
  EXPECT_EQ(m.where_x(), 1);
  m.write_text("\x08");
  EXPECT_EQ(m.where_x(), 1);
  m.go_to_xy(4, 3);
  m.write_text("\n");
  EXPECT_EQ(m.where_x(), 4);
  EXPECT_EQ(m.where_y(), 4);
}

TEST(ScreenModel, ClearWindowFillsTheWindowInTheCurrentAttribute) {
  ScreenModel m;
  m.write_text("keep");
  m.set_text_window(3, 2, 6, 3);
  m.text_background(4);
  m.clear_window();
  EXPECT_EQ(m.bg(3, 2), 4);
  EXPECT_EQ(m.bg(6, 3), 4);
  EXPECT_EQ(m.bg(7, 3), 0);
  EXPECT_EQ(m.text(1, 1, 4), "keep");
}

// The terminal is sent only the rows marked changed, so a change that is not
// marked stays stale on the real screen.
TEST(ScreenModel, EveryChangedRowIsMarkedForThePresenter) {
  ScreenModel m;
  auto dirty_rows = [&m] {
    std::string rows;
    for (int r = 1; r <= kRows; ++r)
      if (m.row_dirty(r)) rows += std::to_string(r) + " ";
    return rows;
  };
  m.clear_dirty();
  EXPECT_FALSE(m.changed());
  m.go_to_xy(5, 3);  // the cursor alone moved: still to be presented
  EXPECT_TRUE(m.changed());
  m.write_text("x\r\n\x08\x07");
  EXPECT_EQ(dirty_rows(), "3 ");
  m.clear_dirty();
  m.set_text_window(1, 20, 80, 22);
  m.clear_window();
  EXPECT_EQ(dirty_rows(), "20 21 22 ");
  m.clear_dirty();
  m.go_to_xy(80, 3);
  m.write_text("s");  // bottom-right cell of the window: scrolls rows 20 to 22
  EXPECT_EQ(dirty_rows(), "20 21 22 ");
}

TEST(ConsoleKeys, ArrowIsZeroThenScanCodeWithKeyPressedBetween) {
  ScriptTerminal term;
  install_terminal(&term);
  term.up();
  term.type({'a'});
  EXPECT_TRUE(key_pressed());
  EXPECT_EQ(read_key(), 0);
  EXPECT_TRUE(key_pressed());
  EXPECT_EQ(read_key(), 72);
  EXPECT_EQ(read_key(), 'a');
  EXPECT_FALSE(key_pressed());
  EXPECT_THROW(read_key(), ScriptExhausted);
  install_terminal(nullptr);
}

TEST(ConsoleKeys, TheScreenIsPresentedBeforeEveryKeyWait) {
  ScriptTerminal term;
  install_terminal(&term);
  term.type("a");
  EXPECT_EQ(read_key(), 'a');
  EXPECT_EQ(term.presents, 1);
  EXPECT_FALSE(key_pressed());
  EXPECT_EQ(term.presents, 2);
  install_terminal(nullptr);
}

TEST(ConsoleKeys, DelayIsVirtualAndPresentsFirst) {
  ScriptTerminal term;
  install_terminal(&term);
  pause_ms(5000);
  EXPECT_EQ(term.now_ms, 5000u);
  EXPECT_EQ(term.presents, 1);
  write_text("\x07");
  EXPECT_EQ(term.bells, 1);
  EXPECT_THROW(quit(0), ProgramExit);
  install_terminal(nullptr);
}

}  // namespace
