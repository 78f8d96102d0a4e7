#include "ui/crt.h"
#include "ui/script_terminal.h"

#include <gtest/gtest.h>

using namespace kdv::ui;

namespace {

TEST(ScreenModel, EightyCharactersOnRow24WrapWithoutScrolling) {
  ScreenModel m;
  m.GotoXY(1, 24);
  m.Write(std::string(80, 'a'));
  EXPECT_EQ(m.WhereX(), 1);
  EXPECT_EQ(m.WhereY(), 25);
  EXPECT_EQ(m.ch(80, 24), 'a');
  EXPECT_EQ(m.ch(1, 25), ' ');
}

TEST(ScreenModel, BottomRightCellScrollsTheWindow) {
  ScreenModel m;
  m.GotoXY(1, 1);
  m.Write("top");
  m.GotoXY(80, 25);
  m.Write("z");
  EXPECT_EQ(m.text(1, 1, 3), "   ");  // row 1 scrolled away
  EXPECT_EQ(m.ch(80, 24), 'z');
  EXPECT_EQ(m.row_text(25), std::string(80, ' '));
  EXPECT_EQ(m.WhereX(), 1);
  EXPECT_EQ(m.WhereY(), 25);
}

TEST(ScreenModel, LineEndOnLastWindowRowScrollsOnlyTheWindow) {
  ScreenModel m;
  m.Write("outside");
  m.Window(10, 5, 20, 7);
  m.Write("one");
  m.WriteLn();
  m.Write("two");
  m.WriteLn();
  m.Write("three");
  m.WriteLn();
  EXPECT_EQ(m.text(10, 5, 3), "two");
  EXPECT_EQ(m.text(10, 6, 5), "three");
  EXPECT_EQ(m.text(10, 7, 5), "     ");
  EXPECT_EQ(m.text(1, 1, 7), "outside");
}

TEST(ScreenModel, RejectedWindowsChangeNothing) {
  ScreenModel m;
  m.Window(5, 5, 30, 10);
  m.GotoXY(3, 2);
  m.Window(10, 12, 20, 11);  // top below bottom
  m.Window(10, 1, 81, 5);    // right beyond 80
  m.Window(10, 1, 20, 26);   // bottom beyond 25
  m.Window(21, 1, 20, 5);    // left beyond right
  EXPECT_EQ(m.win_left(), 5);
  EXPECT_EQ(m.win_bottom(), 10);
  EXPECT_EQ(m.WhereX(), 3);
  EXPECT_EQ(m.WhereY(), 2);
  m.GotoXY(27, 1);  // outside the 26-column window: ignored
  EXPECT_EQ(m.WhereX(), 3);
}

TEST(ScreenModel, AttributeBits) {
  ScreenModel m;
  m.TextBackground(15);
  m.TextColor(15);
  m.Write("x");
  EXPECT_EQ(m.bg(1, 1), 7);
  EXPECT_EQ(m.fg(1, 1), 15);
  m.TextBackground(9);
  m.TextColor(4 + 128);
  m.Write("y");
  EXPECT_EQ(m.bg(2, 1), 1);
  EXPECT_EQ(m.cell(2, 1).attr, 0x80 | 0x10 | 4);
}

TEST(ScreenModel, ControlCharacters) {
  ScreenModel m;
  m.GotoXY(5, 3);
  m.Write("ab\x08" "c");
  EXPECT_EQ(m.text(5, 3, 2), "ac");
  m.Write("\x07");
  EXPECT_EQ(m.WhereX(), 7);
  EXPECT_EQ(m.ch(7, 3), ' ');
  m.Write("\r");
  EXPECT_EQ(m.WhereX(), 1);
  m.Write("\x08");
  EXPECT_EQ(m.WhereX(), 1);
  m.GotoXY(4, 3);
  m.Write("\n");
  EXPECT_EQ(m.WhereX(), 4);
  EXPECT_EQ(m.WhereY(), 4);
}

TEST(ScreenModel, ClrScrFillsTheWindowInTheCurrentAttribute) {
  ScreenModel m;
  m.Write("keep");
  m.Window(3, 2, 6, 3);
  m.TextBackground(4);
  m.ClrScr();
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
    for (int r = 1; r <= ROWS; ++r)
      if (m.row_dirty(r)) rows += std::to_string(r) + " ";
    return rows;
  };
  m.clear_dirty();
  EXPECT_FALSE(m.changed());
  m.GotoXY(5, 3);  // the cursor alone moved: still to be presented
  EXPECT_TRUE(m.changed());
  m.Write("x\r\n\x08\x07");
  EXPECT_EQ(dirty_rows(), "3 ");
  m.clear_dirty();
  m.Window(1, 20, 80, 22);
  m.ClrScr();
  EXPECT_EQ(dirty_rows(), "20 21 22 ");
  m.clear_dirty();
  m.GotoXY(80, 3);
  m.Write("s");  // bottom-right cell of the window: scrolls rows 20 to 22
  EXPECT_EQ(dirty_rows(), "20 21 22 ");
}

TEST(Keys, ArrowIsZeroThenScanCodeWithKeyPressedBetween) {
  ScriptTerminal term;
  Install(&term);
  term.up();
  term.type({'a'});
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), 0);
  EXPECT_TRUE(KeyPressed());
  EXPECT_EQ(ReadKey(), 72);
  EXPECT_EQ(ReadKey(), 'a');
  EXPECT_FALSE(KeyPressed());
  EXPECT_THROW(ReadKey(), ScriptExhausted);
  Install(nullptr);
}

TEST(Keys, TheScreenIsPresentedBeforeEveryKeyWait) {
  ScriptTerminal term;
  Install(&term);
  term.type("a");
  EXPECT_EQ(ReadKey(), 'a');
  EXPECT_EQ(term.presents, 1);
  EXPECT_FALSE(KeyPressed());
  EXPECT_EQ(term.presents, 2);
  Install(nullptr);
}

TEST(Keys, DelayIsVirtualAndPresentsFirst) {
  ScriptTerminal term;
  Install(&term);
  Delay(5000);
  EXPECT_EQ(term.now_ms, 5000u);
  EXPECT_EQ(term.presents, 1);
  Write("\x07");
  EXPECT_EQ(term.bells, 1);
  EXPECT_THROW(Quit(0), ProgramExit);
  Install(nullptr);
}

}  // namespace
