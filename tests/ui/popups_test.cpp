#include "ui/menu.h"
#include "ui/popups.h"
#include "ui_fixture.h"

using namespace kdv::ui;
using kdv::model::MenuScreen;

namespace {

class Popups : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    session.messages[52] = " Up/Down Enter Esc ";
  }
  // Choice window at (30, 5) with the given lines.
  void choices(std::initializer_list<const char*> l) {
    lines.assign(l.begin(), l.end());
    draw_choice_window(session, 30, 5, " Title", lines);
  }
  ChoiceLines lines;
  kdv::model::ChannelRecord& channel() { return session.current_receiver().TRANSMITTER[session.transmitter_number].CHANNEL[session.channel_number]; }
};

TEST_F(Popups, ChoiceWindowFramesTitleAndLinesWithTheKeyHint) {
  kdv::ui::go_to_xy(1, 1);
  choices({"one", "two"});
  EXPECT_EQ(at(1, 25, 19), " Up/Down Enter Esc ");
  EXPECT_EQ(screen().bg(1, 25), 4);
  EXPECT_EQ(screen().ch(29, 4), 201);
  EXPECT_EQ(screen().ch(49, 4), 187);
  EXPECT_EQ(screen().ch(29, 6), 204);
  EXPECT_EQ(screen().ch(29, 9), 200);  // rows 4 to Y + NO + 2
  EXPECT_EQ(at(30, 5, 6), " Title");
  EXPECT_EQ(at(30, 7, 3), "one");
  EXPECT_EQ(at(30, 8, 3), "two");
  EXPECT_EQ(screen().bg(31, 8), session.menu_background);
  EXPECT_EQ(screen().win_left(), 30);
  EXPECT_EQ(screen().win_right(), 49);
  EXPECT_EQ(screen().win_bottom(), 9);
}

TEST_F(Popups, SelectionWrapsAroundAndHighlightsTheLine) {
  choices({"one", "two", "three"});
  term.down();
  term.enter();
  EXPECT_EQ(choice_list(session, lines, 3), 1);
  EXPECT_EQ(screen().bg(30, 7), 7);  // line 1 highlighted
  EXPECT_EQ(screen().bg(30, 9), session.menu_background);
  term.up();
  term.enter();
  EXPECT_EQ(choice_list(session, lines, 1), 3);
  term.type("P");  // the letters of the scan codes move too
  term.enter();
  EXPECT_EQ(choice_list(session, lines, 1), 2);
  choices({"one"});
  term.down();
  term.enter();
  EXPECT_EQ(choice_list(session, lines, 1), 1);
}

TEST_F(Popups, EscapeInAChoiceListGivesNothing) {
  choices({"one", "two", "three"});
  term.down();
  term.escape();
  EXPECT_EQ(choice_list(session, lines, 2), std::nullopt);
  term.enter();
  EXPECT_EQ(choice_list(session, lines, 2), 2);
}

TEST_F(Popups, SelectionStringGivesThePortNameWithoutPadding) {
  choices({"       COM3       ", "       ttyUSB0       "});
  term.enter();
  EXPECT_EQ(choice_list_text(session, lines, 1), "COM3");
  term.down();
  term.enter();
  EXPECT_EQ(choice_list_text(session, lines, 1), "ttyUSB0");
  term.escape();
  EXPECT_EQ(choice_list_text(session, lines, 2), std::nullopt);
}

TEST_F(Popups, NumberFieldWholeNumbersRefuseOutOfRangeUntilCorrected) {
  term.on_wait = [&, first = true]() mutable {
    if (!first) return;
    first = false;
    EXPECT_EQ(at(30, 17, 6), "    17");  // three blanks and 17 in 3
    term.type("300");
    term.enter();
    term.type({8, 8, 8});
    term.type("30");
    term.enter();
  };
  EXPECT_EQ(number_field(session, " Address", 17, 1), 30);
  EXPECT_EQ(term.bells, 1);
  EXPECT_EQ(at(30, 15, 8), " Address");
  EXPECT_EQ(at(30, 18, 17), " Error- Try again");
}

TEST_F(Popups, NumberFieldRealRangeAndTypableCharacters) {
  term.type("-99999");
  term.enter();
  EXPECT_EQ(number_field(session, " Value", 5, 0), -99999);
  EXPECT_EQ(term.bells, 0);

  term.type("-100000");
  term.enter();
  term.escape();
  EXPECT_EQ(number_field(session, " Value", 5, 0), std::nullopt);
  EXPECT_EQ(term.bells, 1);

  term.type("1e2");  // e cannot be typed
  term.enter();
  EXPECT_EQ(number_field(session, " Value", 5, 0), 12);

  term.type("1234567890123");  // nine characters at most
  term.enter();
  term.escape();
  EXPECT_EQ(number_field(session, " Value", 5, 0), std::nullopt);
  EXPECT_EQ(at(30, 17, 13), "   123456789 ");
}

TEST_F(Popups, NumberFieldEnterAloneAcceptsTheShownValue) {
  term.enter();
  EXPECT_DOUBLE_EQ(number_field(session, " Value", 12.34567, 0).value(), 12.346);
  EXPECT_EQ(at(30, 17, 13), "       12.346");
  term.enter();
  EXPECT_EQ(number_field(session, " Value", 17.6, 1), 18);
  term.type("+1.5");
  term.enter();
  EXPECT_EQ(number_field(session, " Value", 0, 0), 1.5);
  term.type("--");
  term.enter();
  term.type("S");  // the letter S deletes like Backspace
  term.type({8});
  term.type("7");
  term.enter();
  EXPECT_EQ(number_field(session, " Value", 0, 0), 7);
}

TEST_F(Popups, TextFieldReplacesTheOldValueFromTheFirstKey) {
  choices({"", ""});
  term.type("x");
  term.enter();
  EXPECT_EQ(text_field("ABCD"), "x");

  term.type({8});
  term.enter();
  EXPECT_EQ(text_field("ABCD"), "    ");

  term.type("ab");
  term.type({8});
  term.type("c");
  term.enter();
  EXPECT_EQ(text_field("ABCD"), "ac");

  term.type("q");
  term.escape();
  EXPECT_EQ(text_field("ABCD"), std::nullopt);
}

TEST_F(Popups, TextFieldTakesTwentyFourCharactersAndScrollsItsView) {
  choices({"", ""});
  term.type("abcdefghijklmnopqrstuvwxyz0123");
  term.enter();
  EXPECT_EQ(text_field(""), "abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(at(31, 7, 15), "klmnopqrstuvwx ");  // characters k - 14 to k, k = 25
  EXPECT_EQ(at(30, 8, 19), std::string(19, ' '));

  term.type("-!/");  // not accepted
  term.type({0, 'S'});  // Delete with nothing typed: blanks only
  term.enter();
  EXPECT_EQ(text_field("AB"), "  ");
}

TEST_F(Popups, RightAlignedAndValueWithUnit) {
  EXPECT_EQ(right_aligned(7, 3), "  7");
  EXPECT_EQ(right_aligned(1234, 2), "1234");
  EXPECT_EQ(right_aligned(-5, 3), " -5");

  EXPECT_EQ(value_with_unit(100, 0, {3, 1}), "  100.0000\xF8" "C");
  EXPECT_EQ(value_with_unit(12.5, 3, {3, 1}), "   12.5000");
  struct Case {
    Byte a, type, units;
    std::string want;
  };
  const Case cases[] = {
      {0, 0, 1, "    1.0000 mV"},    {0, 13, 1, "    1.0000 \xEA"},  {0, 15, 1, "    1.0000   "},
      {0, 5, 2, "    1.0000\xF8" "F"}, {0, 5, 3, "    1.0000 K"},    {0, 5, 4, "?"},
      {1, 0, 1, "    1.0000mA"},     {1, 4, 1, "    1.0000"},       {1, 14, 1, "    1.0000 \xEA"},
      {1, 15, 1, "    1.0000  "},     {1, 9, 1, ""},                {1, 16, 1, ""},
      {2, 0, 1, "    1.0000"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(value_with_unit(1, c.a, {c.type, c.units}), c.want) << int(c.a) << " " << int(c.type);
  EXPECT_EQ(value_with_unit(-1234567.25, 3, {}), "-1234567.2500");
}

// Rounded on the decimal value the double holds: 2.5, 0.125, 0.03125 and
// 1e15 + 0.5 are exact halves; 1.005, 2.675 and 0.00015 are held just below.
TEST(FixedDecimalText, RoundsExactHalvesAwayFromZeroAndNeverShowsMinusZero) {
  const struct {
    double value;
    int width, decimals;
    const char* want;
  } cases[] = {
      {2.5, 1, 0, "3"},          {-2.5, 1, 0, "-3"},         {0.5, 3, 0, "  1"},
      {-99.5, 1, 0, "-100"},     {0.125, 1, 2, "0.13"},      {-0.125, 1, 2, "-0.13"},
      {0.03125, 10, 4, "    0.0313"}, {1e15 + 0.5, 1, 0, "1000000000000001"},
      {1.005, 1, 2, "1.00"},     {2.675, 1, 2, "2.67"},      {0.00015, 1, 4, "0.0001"},
      {-0.0, 10, 4, "    0.0000"}, {-0.00004, 1, 4, "0.0000"}, {-0.4, 1, 0, "0"},
      {5e-324, 1, 0, "0"},       {1e22, 1, 1, "10000000000000000000000.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(fixed_decimal(c.value, c.width, c.decimals), c.want) << c.value;
}

TEST_F(Popups, MessageBoxesDrawTheirTextAndFooter) {
  session.error_bar = 4;
  term.type("k");
  say_done(session, "Download");
  EXPECT_EQ(at(24, 14, 1), "\xC9");
  EXPECT_EQ(at(53, 14, 1), "\xBB");
  EXPECT_EQ(at(24, 19, 1), "\xC8");
  EXPECT_EQ(at(35, 15, 8), "  DONE  ");
  EXPECT_EQ(at(27, 17, 18), "Download completed");
  EXPECT_EQ(at(1, 25, 49), std::string(28, ' ') + " Any key to Continue ");
  EXPECT_EQ(screen().bg(1, 25), 0);
  EXPECT_EQ(screen().bg(30, 25), 4);
  EXPECT_EQ(screen().win_right(), 80);

  term.type("k");
  say_read_only(session);
  EXPECT_EQ(at(24, 14, 1), "\xC9");
  EXPECT_EQ(at(54, 20, 1), "\xBC");
  EXPECT_EQ(at(35, 15, 9), "READ ONLY");
  EXPECT_EQ(at(27, 18, 25), "by a switch in the KDV578");

  term.type("k");
  say_calculated(session);
  EXPECT_EQ(at(21, 14, 1), "\xC9");
  EXPECT_EQ(at(57, 21, 1), "\xBC");
  EXPECT_EQ(at(24, 19, 29), "left hand side of the screen.");

  term.type("k");
  say_no_negatives(session);
  EXPECT_EQ(at(29, 15, 20), "UNIPOLAR DATA FORMAT");
  EXPECT_EQ(at(57, 20, 1), "\xBC");

  term.type("k");
  say_error(session, " Could not produce output ");
  EXPECT_EQ(at(35, 15, 9), "  ERROR  ");
  EXPECT_EQ(at(27, 17, 26), " Could not produce output ");
}

TEST_F(Popups, AMessageBoxDismissedWithAnArrowLeavesItsSecondCodeToTheMenu) {
  MenuScreen s{};
  s.column_count = 1;
  s.row_count[1] = 3;
  for (int j = 1; j <= 3; ++j) {
    s.cells[1][j].label = "cell";
    s.cells[1][j].x = 3;
    s.cells[1][j].y = static_cast<Byte>(6 + j);
  }
  session.screens[5] = s;
  term.up();
  term.enter();
  say_done(session, "Copy");
  EXPECT_TRUE(kdv::ui::key_pressed());  // the 72 waits in the key queue
  session.cursor_column = 1;
  session.cursor_row = 2;
  EXPECT_EQ(run_menu(session, 5), 16 + 2);  // 72 without a 0 before it is ignored
}

TEST_F(Popups, LinkErrorShowsTheTextOnTheErrorLine) {
  kdv::ui::set_text_window(10, 10, 20, 12);
  show_link_error(session, " CRC Error");
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 10), " CRC Error");
  EXPECT_EQ(kdv::ui::screen_model().bg(5, 23), session.error_bar);
  EXPECT_EQ(term.bells, 1);
  EXPECT_EQ(term.delays, std::vector<unsigned>{2000});
}

TEST_F(Popups, WorkingLineShowsTheWorkingText) {
  session.messages[53] = "Working...";
  show_working(session);
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 10), "Working...");
  EXPECT_EQ(kdv::ui::screen_model().bg(1, 25), 0);
}

}  // namespace
