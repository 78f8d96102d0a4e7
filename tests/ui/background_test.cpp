#include "ui/background.h"
#include "ui_fixture.h"

using kdv::ui::draw_background;

namespace {

class Background : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    session.messages[36] = "Online";
    session.messages[37] = "Offline";
    // Something on the screen and an odd window before the redraw.
    kdv::ui::text_background(3);
    kdv::ui::go_to_xy(1, 25);
    kdv::ui::write_text(std::string(30, 'x'));
    kdv::ui::set_text_window(10, 10, 20, 20);
  }
  int ch(int col, int row) { return screen().ch(col, row); }
};

TEST_F(Background, FrameAndDividers) {
  draw_background(session, 0);
  EXPECT_EQ(ch(1, 1), 218);
  EXPECT_EQ(ch(2, 1), 196);
  EXPECT_EQ(ch(40, 1), 196);
  EXPECT_EQ(ch(79, 1), 196);
  EXPECT_EQ(ch(80, 1), 191);
  for (int row : {2, 5, 7, 18, 20, 23}) {
    EXPECT_EQ(ch(1, row), 179) << row;
    EXPECT_EQ(ch(80, row), 179) << row;
  }
  EXPECT_EQ(ch(1, 24), 192);
  EXPECT_EQ(ch(40, 24), 193);
  EXPECT_EQ(ch(80, 24), 217);
  EXPECT_EQ(ch(1, 6), 195);
  EXPECT_EQ(ch(40, 6), 194);
  EXPECT_EQ(ch(80, 6), 180);
  EXPECT_EQ(ch(40, 5), ' ');
  for (int row : {7, 12, 18, 20, 23}) EXPECT_EQ(ch(40, row), 179) << row;
  EXPECT_EQ(ch(1, 19), 195);
  EXPECT_EQ(ch(40, 19), 197);
  EXPECT_EQ(ch(79, 19), 196);
  EXPECT_EQ(ch(80, 19), 179);
  EXPECT_EQ(screen().bg(10, 10), session.background);
  EXPECT_EQ(screen().fg(10, 10), session.main_text);
  EXPECT_EQ(screen().win_left(), 1);
  EXPECT_EQ(screen().win_bottom(), 25);
  EXPECT_FALSE(term.cursor_shown);
}

TEST_F(Background, BannerLogoAndNotice) {
  draw_background(session, 0);
  EXPECT_EQ(at(22, 3, 48), "KDV 578 MODBUS Configuration Software (Windows) ");
  const std::string version = at(18, 4, 13 + 41);
  EXPECT_EQ(version.substr(0, 13), "Version 4.10 ");
  EXPECT_NE(version.back(), ' ');  // the notice fills 41 columns
  EXPECT_EQ(at(18 + 13 + 41, 4, 8), std::string(8, ' '));
  for (int row = 2; row <= 5; ++row) {
    EXPECT_NE(at(2, row, 11), std::string(11, ' ')) << row;
    EXPECT_EQ(ch(13, row), ' ') << row;  // the logo keeps to columns 2 to 12
  }
}

TEST_F(Background, StatusVariantShowsLinkStateAndVersions) {
  session.online = false;
  session.current_receiver().HCAVER = "HCA 1.2";
  session.current_receiver().IPVER = "";
  draw_background(session, 0);
  EXPECT_EQ(at(2, 20, 38), "INFORMATION  Esc prev Menu, Alt-X Quit");
  EXPECT_EQ(at(41, 20, 38), "                  STATUS              ");
  EXPECT_EQ(at(41, 21, 25), "           Programming:  ");
  EXPECT_EQ(at(66, 21, 8), "Offline ");
  EXPECT_EQ(at(41, 22, 23), "Software versions  HCA:");
  EXPECT_EQ(at(64, 22, 8), "HCA 1.2 ");
  EXPECT_EQ(at(41, 23, 23), "                    IP:");
  EXPECT_EQ(at(64, 23, 15), std::string(15, ' '));

  session.online = true;
  draw_background(session, 0);
  EXPECT_EQ(at(66, 21, 8), "Online  ");
}

TEST_F(Background, SettingsVariantHasAnEmptyBox) {
  draw_background(session, 1);
  EXPECT_EQ(at(2, 20, 38), "INFORMATION  Esc prev Menu, Alt-X Quit");
  EXPECT_EQ(at(41, 20, 38), "SETTINGS                              ");
  for (int row = 21; row <= 23; ++row) EXPECT_EQ(at(41, row, 38), std::string(38, ' ')) << row;
}

TEST_F(Background, RowTwentyFiveIsBlackUpToColumn79) {
  for (int variant : {0, 1}) {
    draw_background(session, static_cast<std::uint8_t>(variant));
    EXPECT_EQ(screen().row_text(25), std::string(80, ' '));
    for (int col = 1; col <= 79; ++col) ASSERT_EQ(screen().bg(col, 25), 0) << col;
    EXPECT_EQ(screen().bg(80, 25), variant == 0 ? 3 : session.background);  // as the clear left it
  }
}

}  // namespace
