#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "ui/menu.h"
#include "ui/screen_file_loading.h"
#include "ui_fixture.h"

using namespace kdv::ui;
using kdv::model::MenuCell;
using kdv::model::MenuScreens;
namespace fs = std::filesystem;

namespace {

// Screen file text: for each screen its column row counts; every cell is
// selectable, at column 3 + 40 x (column - 1), row 6 + row.
std::string screen_file(const std::vector<std::vector<int>>& screens) {
  std::ostringstream out;
  for (const auto& rows : screens) {
    out << rows.size() << "\n";
    for (int r : rows) out << r << "\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
      for (int j = 1; j <= rows[i]; ++j)
        out << "Item " << i + 1 << "." << j << "\n" << 3 + 40 * i << "\n" << 6 + j << "\nhelp one\nhelp two\n";
  }
  return out.str();
}

std::string ten_screens() { return screen_file(std::vector<std::vector<int>>(10, {2, 1})); }

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

std::optional<LoadFault> read(const std::string& text, MenuScreens& out) {
  std::istringstream in(text);
  return read_screens(in, out);
}

class ScreenFileLoading : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    char name[] = "/tmp/kdv578-scn-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
  }
  void TearDown() override {
    fs::remove_all(dir);
    UiTest::TearDown();
  }
  void put(const char* file, const std::string& text) { std::ofstream(dir / file) << text; }
  // Runs load_screen_files and gives the message of the program's end ("" when it
  // did not end).
  std::string loading_exit_message() {
    try {
      load_screen_files(session, dir);
    } catch (const kdv::ui::ProgramExit& e) {
      EXPECT_EQ(e.code, 0);
      return e.message;
    }
    return "";
  }

  fs::path dir;
};

TEST(MessageFileReading, OnlyTheFirstHundredLinesAndNineteenCharactersAreKept) {
  kdv::model::MESSAGES messages{};
  std::string text;
  for (int i = 1; i <= 120; ++i) text += "m" + std::to_string(i) + "\n";
  text.replace(0, 3, "1234567890123456789012345\n");  // line 1: 25 characters
  std::istringstream in(text);
  read_messages(in, messages);
  EXPECT_EQ(messages[1], "1234567890123456789");
  EXPECT_EQ(messages[100], "m100");

  std::istringstream shorter("one\r\ntwo\n");
  read_messages(shorter, messages);
  EXPECT_EQ(messages[1], "one");  // a DOS line end loses its CR
  EXPECT_EQ(messages[2], "two");
  EXPECT_TRUE(messages[3].empty());
  EXPECT_TRUE(messages[100].empty());
}

// A first line of 64 MB, then "second"; notes the most memory the process
// holds while the lines are read.
struct LongFirstLine : std::streambuf {
  static std::size_t resident() {
    std::size_t size = 0, pages = 0;
    std::ifstream("/proc/self/statm") >> size >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  }
  int_type underflow() override {
    peak = std::max(peak, resident());
    std::string& s = chunks-- > 0 ? x : tail;
    if (chunks < -1) return traits_type::eof();
    setg(s.data(), s.data(), s.data() + s.size());
    return traits_type::to_int_type(s[0]);
  }
  std::string x = std::string(1 << 20, 'x'), tail = "\nsecond\n";
  int chunks = 64;
  std::size_t start = resident(), peak = start;
};

TEST(MessageFileReading, AnOverlongLineIsNotHeldInMemory) {
  kdv::model::MESSAGES messages{};
  LongFirstLine line;
  std::istream in(&line);
  read_messages(in, messages);
  EXPECT_EQ(messages[1], std::string(19, 'x'));
  EXPECT_EQ(messages[2], "second");
  EXPECT_LT(line.peak - line.start, 16u << 20);
}

TEST(MenuScreenFileReading, OneColumnOfThreeRowsTakesSeventeenLines) {
  std::vector<std::vector<int>> layout(10, {1, 2});
  layout[0] = {3};
  layout[1] = {14, 14};
  const std::string text = screen_file(layout);
  EXPECT_EQ(lines_of(text)[17], "2");  // line 18: MAXX of screen 2
  MenuScreens s;
  ASSERT_FALSE(read(text, s));
  EXPECT_EQ(s[1].column_count, 1);
  EXPECT_EQ(s[1].row_count[1], 3);
  EXPECT_EQ(s[1].cells[1][3].label, "Item 1.3");
  EXPECT_EQ(s[2].row_count[2], 14);
  EXPECT_EQ(s[2].cells[2][14].x, 43);
  EXPECT_EQ(s[2].cells[2][14].y, 20);
  EXPECT_EQ(s[10].cells[2][2].help_line2, "help two");
}

TEST(MenuScreenFileReading, TextAndNumberLinesAreCutAndReadAsTheMenusNeedThem) {
  auto lines = lines_of(ten_screens());
  lines[0] = "  2 columns";                        // blanks before, text after the number
  lines[3] = "A label longer than fifteen";        // TITLE of cell (1, 1)
  lines[4] = "\t7\r";                              // XPOS with a tab and a CR
  lines[6] = "##";                                 // cell (1, 1) inert
  lines[7] = std::string(40, 'h');                 // HSTR2
  MenuScreens s;
  ASSERT_FALSE(read(joined(lines), s));
  const MenuCell& c = s[1].cells[1][1];
  EXPECT_EQ(c.label, "A label longer ");
  EXPECT_EQ(c.x, 7);
  EXPECT_TRUE(is_inert(c));
  EXPECT_EQ(c.help_line2.size(), 30u);
  EXPECT_FALSE(is_inert(s[1].cells[1][2]));
}

struct Malformed {
  const char* what;
  int line;                   // 1-based line to replace, 0 to cut the file
  const char* replacement;
  int fault_line;
  const char* reason;
};

TEST(MenuScreenFileReading, FilesOutsideTheLimitsAreRefusedWithTheirLine) {
  // Screen 1 of ten_screens(): line 1 MAXX 2, lines 2-3 MAXY, then five
  // lines per cell from line 4 (cell (1, 1): 4 TITLE, 5 XPOS, 6 YPOS, 7 HSTR1).
  const Malformed cases[] = {
      {"three columns", 1, "3", 1, "the number of columns must be 1 or 2"},
      {"no columns", 1, "0", 1, "the number of columns must be 1 or 2"},
      {"fifteen rows", 2, "15", 2, "the number of rows must be 1 to 14"},
      {"no rows", 3, "0", 3, "the number of rows must be 1 to 14"},
      {"column 81", 5, "81", 5, "the column must be 1 to 80"},
      {"column 0", 5, "0", 5, "the column must be 1 to 80"},
      {"row 26", 6, "26", 6, "the row must be 1 to 25"},
      {"a huge number", 6, "99999999999999999999", 6, "the row must be 1 to 25"},
      {"a word for a number", 5, "ten", 5, "a number is expected"},
      {"an empty number line", 1, "", 1, "a number is expected"},
      {"a minus sign", 5, "-3", 5, "a number is expected"},
  };
  for (const Malformed& m : cases) {
    auto lines = lines_of(ten_screens());
    lines[m.line - 1] = m.replacement;
    MenuScreens s;
    s[1].column_count = 7;  // untouched on refusal
    const auto fault = read(joined(lines), s);
    ASSERT_TRUE(fault) << m.what;
    EXPECT_EQ(fault->line, m.fault_line) << m.what;
    EXPECT_EQ(fault->reason, m.reason) << m.what;
    EXPECT_EQ(s[1].column_count, 7) << m.what;
  }
}

TEST(MenuScreenFileReading, AFileEndingBeforeScreenTenOrAColumnWithoutSelectableCellIsRefused) {
  auto lines = lines_of(ten_screens());  // 18 lines per screen
  lines.resize(9 * 18 + 5);
  MenuScreens s;
  auto fault = read(joined(lines), s);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->line, 9 * 18 + 6);
  EXPECT_EQ(fault->reason, "the file ends before screen 10 is complete");
  EXPECT_TRUE(read("", s));

  lines = lines_of(ten_screens());
  lines[18 + 3 + 10 + 3] = "##";  // screen 2, cell (2, 1): the only cell of column 2
  fault = read(joined(lines), s);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->line, 18 + 3);  // the MAXY line of that column
  EXPECT_EQ(fault->reason, "every cell of column 2 of screen 2 is inert");
}

TEST_F(ScreenFileLoading, MissingFilesEndTheProgramWithTheirMessages) {
  put("conf578.scn", ten_screens());
  session.screens[1].column_count = 9;
  EXPECT_EQ(loading_exit_message(), "\n  ERROR LOADING FILE :- \"MESS578.SCN\" NOT FOUND\n");
  EXPECT_EQ(session.screens[1].column_count, 9);  // the screen file was not read

  fs::remove(dir / "conf578.scn");
  put("mess578.scn", "first\n");
  EXPECT_EQ(loading_exit_message(), "\n ERROR LOADING FILE :- \"CONF578.SCN\" NOT FOUND\n");
  EXPECT_EQ(session.messages[1], "first");
}

TEST_F(ScreenFileLoading, ADirectoryFifoOrDeviceIsNotFound) {
  const struct {
    const char* file;
    std::string text;
    const char* message;
  } files[] = {{"mess578.scn", std::string(200, '\n'), "\n  ERROR LOADING FILE :- \"MESS578.SCN\" NOT FOUND\n"},
               {"conf578.scn", ten_screens(), "\n ERROR LOADING FILE :- \"CONF578.SCN\" NOT FOUND\n"}};
  for (const auto& f : files) {
    for (const std::string kind : {"directory", "fifo", "device"}) {
      for (const auto& g : files) put(g.file, g.text);
      const fs::path path = dir / f.file;
      fs::remove(path);
      int writer = -1;
      if (kind == "directory") fs::create_directory(path);
      if (kind == "device") fs::create_symlink("/dev/null", path);
      if (kind == "fifo") {
        // Held open with the whole text in it: a loader that read it anyway
        // would neither block nor fail.
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        writer = open(path.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_EQ(write(writer, f.text.data(), f.text.size()), static_cast<ssize_t>(f.text.size()));
      }
      EXPECT_EQ(loading_exit_message(), f.message) << f.file << " as a " << kind;
      if (writer >= 0) close(writer);
      fs::remove_all(path);
    }
  }
}

TEST_F(ScreenFileLoading, AMalformedScreenFileEndsTheProgramNamingFileAndLine) {
  put("mess578.scn", "first\n");
  auto lines = lines_of(ten_screens());
  lines[18 + 1] = "20";  // screen 2, MAXY of column 1
  put("conf578.scn", joined(lines));
  EXPECT_EQ(loading_exit_message(),
            "\n ERROR IN FILE :- \"CONF578.SCN\" LINE 20: the number of rows must be 1 to 14\n");
}

TEST_F(ScreenFileLoading, LoadingSetsTheCursorAndLeavesTheOnlineStateAlone) {
  put("mess578.scn", "first\n");
  put("conf578.scn", ten_screens());
  session.cursor_column = 2;
  session.cursor_row = 5;
  session.online = false;
  EXPECT_EQ(loading_exit_message(), "");
  EXPECT_EQ(session.cursor_column, 1);
  EXPECT_EQ(session.cursor_row, 1);
  EXPECT_FALSE(session.online);  // the caller decides
  EXPECT_EQ(session.screens[10].cells[1][2].label, "Item 1.2");
}

}  // namespace
