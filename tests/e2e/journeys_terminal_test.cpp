// Journeys about the terminal itself: the monochrome scheme, a locale
// without UTF-8, and a terminal made too small and then large again.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

#include "e2e/journey.h"

namespace {

using namespace std::chrono_literals;
using e2e::Journey;
using e2e::kShort;

// The background colours (SGR 40..47, 100..107) the screen is drawn with,
// as tmux reports its cells.
std::set<int> backgrounds(const std::string& attributed) {
  std::set<int> found;
  static const std::regex kSgr("\x1b\\[([0-9;]*)m");
  for (auto it = std::sregex_iterator(attributed.begin(), attributed.end(), kSgr);
       it != std::sregex_iterator(); ++it) {
    std::stringstream params((*it)[1].str());
    for (std::string p; std::getline(params, p, ';');) {
      const int code = p.empty() ? 0 : std::stoi(p);
      if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107)) found.insert(code);
    }
  }
  return found;
}

TEST(Journeys, MonochromeSchemeDrawsOnBlackOnly) {
  Journey colour;
  Journey mono({{"BW"}, {}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(colour.open(false));
  ASSERT_NO_FATAL_FAILURE(mono.open(false));
  ASSERT_NO_FATAL_FAILURE(colour.tag_field("Data not loaded"));  // a pop-up over a menu
  ASSERT_NO_FATAL_FAILURE(mono.tag_field("Data not loaded"));
  // The colour scheme: blue background, magenta pop-up.
  const std::set<int> in_colour = backgrounds(colour.s.attributed_screen());
  EXPECT_TRUE(in_colour.count(44)) << ::testing::PrintToString(in_colour);
  EXPECT_TRUE(in_colour.count(45)) << ::testing::PrintToString(in_colour);
  // Monochrome: black throughout, white only for the highlight bar, red only
  // for the key hint of the choice list on the bottom row.
  const std::string attributed = mono.s.attributed_screen();
  const std::set<int> in_mono = backgrounds(attributed);
  for (int code : in_mono) EXPECT_TRUE(code == 40 || code == 47 || code == 41) << code;
  EXPECT_TRUE(in_mono.count(40));

  for (Journey* j : {&colour, &mono}) {
    j->press({"Escape", "Escape"});
    ASSERT_NO_FATAL_FAILURE(j->quit());
  }
}

TEST(Journeys, LocaleWithoutUtf8DrawsFramesWithLineCharacters) {
  Journey j({{}, {}, {"LANG=C", "LC_ALL=C"}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.tag_field("Data not loaded"));

  // Frames come from the terminal's line-drawing set (SO ... SI), single
  // lines for double ones; no UTF-8 byte reaches the terminal.
  const std::string attributed = j.s.attributed_screen();
  const std::string screen = j.dump();
  EXPECT_NE(attributed.find("\x0elqqqqqqqqqqqqqqqqqqqk"), std::string::npos) << attributed;
  EXPECT_NE(screen.find("mqqqqqqqqqqqqqqqqqqqj"), std::string::npos) << screen;
  for (const char* utf8 : {"═", "║", "─", "│", "°"})
    EXPECT_EQ(screen.find(utf8), std::string::npos) << utf8 << "\n" << screen;
  // The degree sign comes from the same set.
  EXPECT_NE(attributed.find("\x0e" "f\x0f" "C"), std::string::npos) << attributed;
  EXPECT_TRUE(j.shows("Temp units")) << screen;

  j.press({"Escape", "Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, TerminalShrunkAndEnlargedLosesNothing) {
  Journey j({{}, {}, {"LC_ALL=C.UTF-8"}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.tag_field("Data not loaded"));
  j.s.text("HALF");
  ASSERT_TRUE(j.s.wait_for("HALF", kShort)) << j.dump();
  const std::vector<std::string> before = j.s.screen();
  EXPECT_TRUE(j.shows("╔═══")) << j.dump();

  // One row short (many terminals open at 80 x 24), then much smaller.
  for (const auto& [columns, rows] : {std::pair{80, 24}, std::pair{60, 15}}) {
    j.s.resize(columns, rows);
    // (the terminal wraps the notice where it is narrower than the text)
    const std::string notice = "Please enlarge this terminal to at least 80 x 25 (now " +
                               std::to_string(columns) + " x " + std::to_string(rows) + ")";
    ASSERT_TRUE(j.s.wait_for(notice.substr(0, std::min<std::size_t>(notice.size(), columns)), kShort)) << j.dump();
    EXPECT_FALSE(j.shows("HALF"));
  }
  j.s.resize(80, 25);
  ASSERT_TRUE(j.s.wait_gone("Please enlarge", kShort)) << j.dump();
  EXPECT_TRUE(Journey::until([&] { return j.s.screen() == before; })) << j.dump();

  // The entry goes on where it stood.
  j.s.text("WAY");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for("Tag               HALFWAY", kShort)) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

}  // namespace
