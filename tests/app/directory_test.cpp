#include "app/file_commands.h"

#include <gtest/gtest.h>

#include "app/screen_scratch.h"
#include "ui/console.h"

using namespace kdv::model;

namespace {

// The directory box's left frame stands in column 29.
const std::string kFrame = "\xBA";

class DirectoryCommands : public ScreenScratch {
 protected:
  static void touch(const std::string& name) { write_bytes(name, {}); }
};

// ---- Directory listing ---------------------------------------------------------

TEST_F(DirectoryCommands, SevenFilesGiveLinesOfThreeThreeAndOne) {
  for (const char* n : {"a1", "a2", "a3", "a4", "a5", "a6", "a7"}) touch(std::string(n) + ".gdt");
  touch("other.rxd");
  std::filesystem::create_directory("folder.gdt");
  session.working_directory = "/plant/configs";
  kdv::app::list_directory(session);
  EXPECT_EQ(row(7, 27, 25), " Directory /plant/configs");
  EXPECT_EQ(row(9, 10, 51), std::string(11, ' ') + "a1.gdt" + std::string(11, ' ') + "a2.gdt" +
                                std::string(11, ' ') + "a3.gdt");
  EXPECT_EQ(row(10, 10, 51).substr(11), "a4.gdt           a5.gdt           a6.gdt");
  EXPECT_EQ(row(11, 10, 17), "           a7.gdt");
  EXPECT_EQ(row(11, 27, 20), std::string(20, ' '));
  EXPECT_EQ(row(12, 10, 13), "No More Files");
  EXPECT_EQ(term.keys_left(), 0u);
}

TEST_F(DirectoryCommands, NineteenFilesPauseAfterSixLines) {
  for (int i = 10; i < 29; ++i) touch("f" + std::to_string(i) + ".gdt");
  std::vector<std::string> at_pause;
  term.on_wait = [&] {
    if (at_pause.empty())
      for (int r = 9; r <= 15; ++r) at_pause.push_back(kdv::ui::screen_model().text(10, r, 59));
  };
  term.type("x");
  kdv::app::list_directory(session);
  ASSERT_EQ(at_pause.size(), 7u);
  EXPECT_EQ(at_pause[0].substr(0, 51), "          f10.gdt          f11.gdt          f12.gdt");
  EXPECT_EQ(at_pause[5].substr(0, 51), "          f25.gdt          f26.gdt          f27.gdt");
  EXPECT_EQ(at_pause[6].substr(0, 23), "More, press any key... ");
  // After the key the listing scrolls on: the last name, then the end.
  EXPECT_EQ(row(14, 10, 17), "          f28.gdt");
  EXPECT_EQ(row(15, 10, 13), "No More Files");
}

TEST_F(DirectoryCommands, OddNamesStayInTheirColumns) {
  const std::string names[][2] = {{"a\ab.gdt", "a?b.gdt"},       {"b\nc.gdt", "b?c.gdt"},
                                  {"d\r\x1b\x7f.gdt", "d???.gdt"}, {"f\bg.gdt", "f?g.gdt"},
                                  {std::string(40, 'l') + ".gdt", std::string(17, 'l')}};
  std::string expected;
  for (const auto& [name, shown] : names) {
    touch(name);
    expected += std::string(17 - shown.size(), ' ') + shown;
  }
  kdv::app::list_directory(session);
  EXPECT_EQ(row(9, 10, 51) + row(10, 10, 34), expected);
  EXPECT_EQ(row(11, 10, 13), "No More Files");
  EXPECT_EQ(term.bells, 0);
}

TEST_F(DirectoryCommands, LongTitleStaysOnItsRow) {
  session.working_directory = std::string(100, 'n');
  kdv::app::list_directory(session);
  EXPECT_EQ(row(7, 69, 1), "\xBA");  // the frame stays whole
  EXPECT_EQ(row(8, 10, 59), std::string(59, '\xCD'));
  EXPECT_EQ(row(10, 10, 13), "No More Files");
}

// ---- Change directory ------------------------------------------------------------

TEST_F(DirectoryCommands, DirectoryThatCannotBeEnteredSaysErrorAndAsksAgain) {
  std::filesystem::create_directories("sub/inner");
  touch("plain");
  term.type("nosuchdir");
  term.enter();
  term.type("plain");
  term.enter();
  term.type("sub\\inner");
  term.enter();
  kdv::app::change_directory(session);
  EXPECT_EQ(std::filesystem::current_path(), dir / "sub/inner");
  EXPECT_EQ(session.working_directory, "sub/inner");
  EXPECT_EQ(term.bells, 2);
  EXPECT_NE(seen.find("    Directory    "), std::string::npos);
  EXPECT_NE(seen.find(kFrame + "     ERROR  "), std::string::npos);
}

TEST_F(DirectoryCommands, EmptyEntryGoesBackToTheStartDirectory) {
  std::filesystem::create_directory("sub");
  term.type("sub");
  term.enter();
  kdv::app::change_directory(session);
  EXPECT_EQ(std::filesystem::current_path(), dir / "sub");
  EXPECT_EQ(session.working_directory, "sub");
  term.escape();
  kdv::app::change_directory(session);
  EXPECT_EQ(std::filesystem::current_path(), dir);
  EXPECT_EQ(session.working_directory, session.start_directory);
  term.enter();  // Enter on the shown start directory changes to it
  kdv::app::change_directory(session);
  EXPECT_EQ(std::filesystem::current_path(), dir);
}

}  // namespace
