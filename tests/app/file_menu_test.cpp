// The file commands reached from the main menu.
#include "app/menu_fixture.h"
#include "app/startup.h"
#include "files/scratch_dir.h"

using namespace kdv::model;

namespace {

class FileMenu : public ScratchDirOn<MenuTest> {
 protected:
  // From the main menu's first cell to the cell (column, row), then Enter.
  void choose(int column, int row) {
    term.enter();  // the opening question: NO
    if (column == 2) term.right();
    for (int r = 1; r < row; ++r) term.down();
    term.enter();
  }
  void run() { EXPECT_THROW(kdv::app::run_opening(session), kdv::ui::ScriptExhausted); }
};

TEST_F(FileMenu, SaveLoadAndDirectoryFromTheMainMenu) {
  session.port_count = 0;
  session.current_receiver().TAG_FIELD = "menu save";
  choose(1, 7);  // 23: save
  term.type("menu");
  term.enter();
  run();
  EXPECT_EQ(bytes_of("menu.rxd").size(), 4816u);

  session.current_receiver().TAG_FIELD = "changed";
  session.online = false;
  choose(1, 6);  // 22: load
  term.enter();  // the default: menu
  run();
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "menu save");

  std::filesystem::create_directory("sub");
  choose(2, 1);  // 33: directory
  term.type("sub");
  term.enter();
  run();
  EXPECT_EQ(std::filesystem::current_path(), dir / "sub");
  EXPECT_EQ(kdv::ui::screen_model().text(61, 8, 3), "sub");  // the menu shows the new directory
}

TEST_F(FileMenu, ReportFromTheMainMenu) {
  session.port_count = 0;
  session.report_destination = 4;  // the file out.txt
  choose(2, 6);    // 38: the report menu
  term.down();
  term.enter();    // produce the report
  term.type("x");  // the done box
  term.escape();   // back to the main menu
  run();
  EXPECT_GT(bytes_of("out.txt").size(), 1000u);
  EXPECT_EQ(session.cursor_column, 2);
  EXPECT_EQ(session.cursor_row, 6);
}

}  // namespace
