// The screen definition files shipped in data/: every code a menu's owner
// acts on lands on a selectable cell, the owners' first highlighted cells are
// selectable, cells stay in the menu area without overlapping, and the
// messages the program shows fit the places they are written to.
#include <fstream>
#include <map>
#include <vector>

#include "ui/menu.h"
#include "ui/screen_file_loading.h"
#include "ui_fixture.h"

using namespace kdv::ui;
using kdv::model::kScreenCount;
using kdv::model::MenuCell;
using kdv::model::MenuScreen;

namespace {

struct Owner {
  int screen;
  int first_x, first_y;
  std::vector<int> codes;
};

std::vector<int> range(int from, int to) {
  std::vector<int> v;
  for (int c = from; c <= to; ++c) v.push_back(c);
  return v;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Owner>& owners() {
  static const std::vector<Owner> kTable = {
      {1, 1, 1, range(17, 25) + range(33, 42)},
      {2, 1, 1, range(17, 24) + range(33, 38)},
      {3, 1, 4, {18, 20}},
      {4, 1, 1, range(17, 27)},
      {6, 1, 1, {17, 18}},
      {7, 1, 2, {18, 19, 34, 35, 36}},
      {8, 1, 1, range(17, 23) + range(33, 36)},
      {9, 1, 3, {19, 20, 21, 22, 36}},
      {10, 1, 2, std::vector<int>{18, 19, 20, 21, 23} + range(34, 39)},
  };
  return kTable;
}

// Widest value text an owner writes after a cell's label: 16 on rows 1 to
// 12 unless the owner's values are known to be narrower (the all-channel
// monitor keeps its cells on one row above the live display).
int value_width(int screen, int row) {
  if (row > 12) return 0;
  static const std::map<int, std::vector<int>> kNarrow = {{3, {5, 5, 8, 0}}};
  const auto it = kNarrow.find(screen);
  return it == kNarrow.end() ? 16 : it->second.at(static_cast<std::size_t>(row - 1));
}

std::vector<std::string> file_lines(const char* name) {
  std::ifstream in(std::string(KDV578_SOURCE_DIR "/data/") + name);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

class ShippedScreens : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    load_screen_files(session, KDV578_SOURCE_DIR "/data");
  }
};

TEST_F(ShippedScreens, EveryCodeAnOwnerActsOnIsASelectableCell) {
  for (const Owner& o : owners()) {
    const MenuScreen& s = session.screens[o.screen];
    for (int code : o.codes) {
      const int x = code / 16, y = code % 16;
      ASSERT_LE(x, s.column_count) << "screen " << o.screen << " code " << code;
      ASSERT_LE(y, s.row_count[x]) << "screen " << o.screen << " code " << code;
      EXPECT_FALSE(is_inert(s.cells[x][y])) << "screen " << o.screen << " code " << code;
    }
    ASSERT_LE(o.first_y, s.row_count[o.first_x]) << "screen " << o.screen;
    EXPECT_FALSE(is_inert(s.cells[o.first_x][o.first_y])) << "screen " << o.screen;
  }
}

TEST_F(ShippedScreens, CellsStayInTheMenuAreaWithoutOverlapping) {
  for (int n = 1; n <= kScreenCount; ++n) {
    const MenuScreen& s = session.screens[n];
    struct Span {
      int row, from, to;
    };
    std::vector<Span> spans;
    for (int i = 1; i <= s.column_count; ++i) {
      for (int j = 1; j <= s.row_count[i]; ++j) {
        const MenuCell& c = s.cells[i][j];
        const int last = c.x + static_cast<int>(c.label.size()) + (j <= 12 ? 3 : 0) + value_width(n, j) - 1;
        const bool left_half = c.x >= 2 && last <= 39;
        const bool right_half = c.x >= 41 && last <= 79;
        EXPECT_TRUE(left_half || right_half) << "screen " << n << " cell " << i << "," << j;
        EXPECT_GE(c.y, 7) << "screen " << n << " cell " << i << "," << j;
        EXPECT_LE(c.y, 18) << "screen " << n << " cell " << i << "," << j;
        for (const Span& o : spans)
          EXPECT_FALSE(o.row == c.y && o.from <= last && c.x <= o.to)
              << "screen " << n << " cell " << i << "," << j;
        spans.push_back({c.y, c.x, last});
      }
    }
  }
}

TEST_F(ShippedScreens, LabelsAndHelpLinesFitTheirFields) {
  const auto lines = file_lines("conf578.scn");
  std::size_t line = 0;
  for (int n = 1; n <= kScreenCount; ++n) {
    const MenuScreen& s = session.screens[n];
    line += 1 + s.column_count;
    for (int i = 1; i <= s.column_count; ++i) {
      for (int j = 1; j <= s.row_count[i]; ++j, line += 5) {
        EXPECT_LE(lines.at(line).size(), 15u) << "line " << line + 1;
        EXPECT_LE(lines.at(line + 3).size(), 30u) << "line " << line + 4;
        EXPECT_LE(lines.at(line + 4).size(), 30u) << "line " << line + 5;
      }
    }
  }
}

TEST_F(ShippedScreens, MessagesFitWhereTheyAreWritten) {
  const auto lines = file_lines("mess578.scn");
  ASSERT_EQ(lines.size(), 100u);
  for (const auto& l : lines) EXPECT_LE(l.size(), 19u) << l;
  const auto& m = session.messages;
  EXPECT_LE(m[53].size(), 12u);  // cleared with 12 blanks after each send
  EXPECT_LE(m[96].size(), 22u);  // the quit question is wiped with 22 blanks
  EXPECT_LE(m[36].size(), 13u);  // status field, columns 66 to 78
  EXPECT_LE(m[37].size(), 13u);
  for (int d = 27; d <= 29; ++d) {
    EXPECT_EQ(m[d].view().substr(0, 2), "  ") << d;  // the report prints from character 3
    EXPECT_LE(m[d].size(), 14u) << d;
  }
  for (int p = 31; p <= 33; ++p) EXPECT_LE(m[p].size(), 9u) << p;
  // Monitor states overwrite each other in place.
  EXPECT_EQ(m[43].size(), 6u);
  EXPECT_EQ(m[44].size(), 5u);
  EXPECT_EQ(m[46].size(), m[45].size() + 3);
  EXPECT_EQ(m[47].size(), m[48].size());
  EXPECT_EQ(m[56].size(), m[57].size());
  EXPECT_LE(m[39].size(), 12u);
  EXPECT_LE(m[40].size(), 12u);
  EXPECT_LE(m[41].size(), 12u);
  for (int v : {16, 97, 98}) EXPECT_LE(m[v].size(), 16u) << v;
  EXPECT_LE(m[95].size(), 11u);
  EXPECT_FALSE(m[52].empty());
}

}  // namespace
