#include <gtest/gtest.h>

#include "app/file_commands.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

namespace {

// The field inside a box whose inside starts at column 30, row 18.
class FileNameField : public FreshProcess {
 protected:
  void SetUp() override {
    kdv::ui::install_terminal(&term);
    kdv::ui::set_text_window(30, 18, 49, 22);
  }
  void TearDown() override { kdv::ui::install_terminal(nullptr); }
  std::string field() const { return kdv::ui::screen_model().text(31, 20, 15); }
  std::string run(std::string_view start) { return kdv::app::file_name_field(start).str(); }

  kdv::ui::ScriptTerminal term;
};

TEST_F(FileNameField, EnterKeepsTheDefaultAndTypingReplacesIt) {
  term.enter();
  EXPECT_EQ(run("plant1"), "plant1");
  EXPECT_EQ(field(), "plant1         ");
  term.type("x");
  term.enter();
  EXPECT_EQ(run("abcd"), "x");
  EXPECT_EQ(field(), "x              ");
}

TEST_F(FileNameField, AnyOtherFirstKeyBlanksTheDefault) {
  term.type({8});
  term.enter();
  EXPECT_EQ(run("abcd"), "    ");
  term.left();
  term.enter();
  EXPECT_EQ(run("abcd"), "    ");
}

TEST_F(FileNameField, EscapeGivesEmptyAndClearsTheMessageRow) {
  kdv::ui::go_to_xy(2, 4);
  kdv::ui::write_text("Disk Access Error");
  term.type("abc");
  term.escape();
  EXPECT_EQ(run("plant1"), "");
  EXPECT_EQ(kdv::ui::screen_model().text(30, 21, 20), std::string(20, ' '));
}

TEST_F(FileNameField, TwentyFourCharactersAtMostAndTheFieldScrolls) {
  term.type("abcdefghijklmnopqrstuvwxy");  // 25
  term.enter();
  EXPECT_EQ(run(""), "abcdefghijklmnopqrstuvwx");
  // Cursor on position 25: positions 11..25 shown, the last one blank.
  EXPECT_EQ(field(), "klmnopqrstuvwx ");
  term.type("abcdefghijklmnopqrst");  // 20: positions 7..21
  term.enter();
  EXPECT_EQ(run(""), "abcdefghijklmnopqrst");
  EXPECT_EQ(field(), "ghijklmnopqrst ");
}

TEST_F(FileNameField, DeletingAndTheCharacterSet) {
  term.type("ab-*c\\d");
  term.type({8});
  term.type({0, 0x53});  // Delete
  term.type("S/x");
  term.enter();
  EXPECT_EQ(run(""), "abcS/x");
  term.type({0, 0x53, 8, 8});  // nothing to delete at the first position
  term.type("..");
  term.enter();
  EXPECT_EQ(run("xyz"), "..");
  term.type("C:");
  term.enter();
  EXPECT_EQ(run(""), "C:");
}

}  // namespace
