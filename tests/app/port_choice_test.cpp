// Port scan, the port choice window and the online/offline window.
#include "app/port_choice.h"

#include "app/menu_fixture.h"

using namespace kdv::model;

namespace {

using PortScan = MenuTest;

std::vector<std::string> names(const Session& session) {
  std::vector<std::string> n;
  for (int i = 1; i <= session.port_count; ++i) n.emplace_back(session.port_names[i]);
  return n;
}

TEST_F(PortScan, CommaSeparatedNamesWithTheFirstPreselected) {
  offer_ports("COM1,COM3");
  kdv::app::scan_ports(session);
  EXPECT_EQ(names(session), (std::vector<std::string>{"COM1", "COM3"}));
  EXPECT_EQ(session.selected_port, "COM1");
  EXPECT_EQ(session.port_names[3], "");
}

// Stable names of two USB adapters: alike in their first 40 characters.
const std::string kByIdA = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K1ABC-if00-port0";
const std::string kByIdB = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K1XYZ-if00-port0";

TEST_F(PortScan, ALongListIsSplitWhole) {
  offer_ports("AAAAAAAA,BBBBBBBB,CCCCCCCC,DDDDDDDD,EEEEEEEE,FFFFFFFF,GGGGGGGG");
  kdv::app::scan_ports(session);
  EXPECT_EQ(names(session), (std::vector<std::string>{"AAAAAAAA", "BBBBBBBB", "CCCCCCCC", "DDDDDDDD",
                                               "EEEEEEEE", "FFFFFFFF", "GGGGGGGG"}));
}

TEST_F(PortScan, EmptyNamesBetweenCommasAndAtMostForty) {
  offer_ports("COM1,,COM3");
  kdv::app::scan_ports(session);
  EXPECT_EQ(names(session), (std::vector<std::string>{"COM1", "", "COM3"}));

  offer_ports(std::string(50, ',').c_str());  // 51 empty names
  kdv::app::scan_ports(session);
  EXPECT_EQ(session.port_count, 40);
  EXPECT_EQ(session.selected_port, "");
}

TEST_F(PortScan, ARescanForgetsTheOldList) {
  offer_ports("COM1,COM2,COM3");
  kdv::app::scan_ports(session);
  offer_ports("");
  kdv::app::scan_ports(session);
  EXPECT_EQ(session.port_count, 0);
  EXPECT_EQ(session.port_names[1], "");
  EXPECT_EQ(session.selected_port, "");
}

class PortWindow : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    session.screen_number = 2;  // the main menu, on its port cell
    session.cursor_column = 2;
    session.cursor_row = 3;
  }
  static std::string at(int col, int row, int len) { return kdv::ui::screen_model().text(col, row, len); }
};

TEST_F(PortWindow, ListsThePortsUnderTheCellTitleAndOpensTheChoice) {
  offer_ports("ttyS0,COM1");
  term.down();
  term.enter();
  kdv::app::choose_port(session);
  EXPECT_EQ(at(30, 15, 18), "   Serial port    ");
  EXPECT_EQ(at(30, 17, 19), "       ttyS0       ");
  EXPECT_EQ(at(30, 18, 19), "       COM1        ");
  EXPECT_EQ(session.selected_port, "COM1");
  EXPECT_EQ(session.value_column[2][3], "    COM1");
  EXPECT_EQ(plug.connects, 1);
}

TEST_F(PortWindow, NoPortGivesTheNoticeAndOpensNothing) {
  offer_ports("");
  term.enter();
  kdv::app::choose_port(session);
  EXPECT_EQ(at(30, 13, 18), "COM PORT NOT EXIST");
  EXPECT_EQ(at(30, 15, 18), "        OK        ");
  EXPECT_EQ(session.selected_port, "COM1");  // the port in use stays
  EXPECT_EQ(plug.connects, 0);
}

TEST_F(PortWindow, ALongListMovesUpAndLongNamesStayWhole) {
  offer_ports("a,b,c,d,e,f,g,h,i,/dev/pts/123456");
  term.up();  // from the first line to the last
  term.enter();
  kdv::app::choose_port(session);
  EXPECT_EQ(at(30, 11, 18), "   Serial port    ");
  EXPECT_EQ(at(30, 22, 19), "    /dev/pts/123456");
  EXPECT_EQ(kdv::ui::screen_model().ch(29, 23), 0xC8);  // the frame's bottom row fits
  EXPECT_EQ(session.selected_port, "/dev/pts/123456");
}

TEST_F(PortWindow, EveryLineOpensItsOwnPortByItsWholeName) {
  const std::string list = "ttyS0," + kByIdA + "," + kByIdB;
  const struct {
    std::string ports;
    int downs;  // line chosen: 1 + downs
    std::string opened;
  } cases[] = {
      {"ttyS0,ttyS1,ttyS2,ttyS3,ttyUSB0,ttyUSB1,ttyACM0,ttyACM1,ttyAMA0", 8, "ttyAMA0"},
      {"COM1,,COM3", 1, ""},
      {list, 0, "ttyS0"},
      {list, 1, kByIdA},
      {list, 2, kByIdB},
  };
  for (const auto& c : cases) {
    offer_ports(c.ports.c_str());
    for (int i = 0; i < c.downs; ++i) term.down();
    term.enter();
    kdv::app::choose_port(session);
    EXPECT_EQ(session.selected_port, c.opened) << c.ports << " line " << 1 + c.downs;
  }
  // The two adapters' lines look alike.
  EXPECT_EQ(at(30, 18, 19), "/dev/serial/by-id/u");
  EXPECT_EQ(at(30, 19, 19), "/dev/serial/by-id/u");
}

TEST_F(PortWindow, EscapeKeepsThePortInUseListedOrNot) {
  for (const char* ports : {"COM1,COM3", "ttyS0,ttyUSB0"}) {
    session.selected_port = "COM3";
    offer_ports(ports);
    term.escape();
    kdv::app::choose_port(session);
    EXPECT_EQ(session.selected_port, "COM3") << ports;
    EXPECT_EQ(session.value_column[2][3], "    COM3") << ports;
  }
}

TEST_F(PortWindow, AListLongerThanTheWindowScrollsToEveryPort) {
  // The last name fills its line: a shorter one drawn over it must blank it.
  const auto name = [](int port) { return port == 40 ? std::string("ttyACM000040") : "p" + std::to_string(port); };
  // A window row: the port's line, then the frame's side or an arrow in it.
  const auto row = [&name](int port, const char* arrow) { return ("       " + name(port) + std::string(12, ' ')).substr(0, 19) + arrow; };
  std::string list = name(1);
  for (int port = 2; port <= 40; ++port) list += "," + name(port);
  // The window's last line; one beyond it; up from the first line; up within
  // the view; down from the last line.
  const struct {
    int downs, ups, chosen, top;  // top: the first port in view
  } cases[] = {{18, 0, 19, 1}, {19, 0, 20, 2}, {0, 1, 40, 22}, {39, 1, 39, 22}, {40, 0, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.downs << " down, " << c.ups << " up");
    offer_ports(list.c_str());
    for (int i = 0; i < c.downs; ++i) term.down();
    for (int i = 0; i < c.ups; ++i) term.up();
    term.enter();
    kdv::app::choose_port(session);
    EXPECT_EQ(session.selected_port, name(c.chosen));
    EXPECT_EQ(at(30, 4, 20), row(c.top, c.top > 1 ? "\x18" : "\xBA"));
    EXPECT_EQ(at(30, 22, 20), row(c.top + 18, c.top < 22 ? "\x19" : "\xBA"));
  }
}

TEST_F(PortWindow, OnlineOrOfflineChangesOnlyTheFlag) {
  session.cursor_row = 2;
  term.escape();
  kdv::app::choose_online(session);
  EXPECT_EQ(at(30, 15, 18), "   Link mode      ");
  EXPECT_EQ(at(30, 17, 19), "     Offline       ");
  EXPECT_EQ(at(30, 18, 19), "     Online        ");
  EXPECT_TRUE(session.online);  // Escape keeps it

  term.up();
  term.enter();
  kdv::app::choose_online(session);
  EXPECT_FALSE(session.online);

  term.escape();
  kdv::app::choose_online(session);
  EXPECT_FALSE(session.online);
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_EQ(plug.connects, 0);
}

}  // namespace
