#include "edit/diagnostics_screen.h"

#include "edit/value_column.h"
#include "edit_fixture.h"

using namespace kdv::model;

namespace edit_test {
namespace {

class DiagnosticsScreen : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    session.screen_number = 9;
  }
  void switch_box(void (*box)(kdv::model::Session&)) {
    user.key();
    run(box);
  }
  static std::string line(int interior_row) { return kdv::ui::screen_model().text(19, 4 + interior_row, 40); }
};

TEST_F(DiagnosticsScreen, HcaSwitchLeversAndTheirMeaning) {
  rx().HCASWITCH = 65;  // levers 1 and 7
  kdv::edit::fill_diagnostic_values(session);
  EXPECT_EQ(session.value_column[1][2], "1......8");
  EXPECT_EQ(session.value_column[1][3], "   10000010");
  switch_box(kdv::edit::explain_hca_switches);
  EXPECT_EQ(kdv::ui::screen_model().text(29, 5, 16), "HCA SWITCH SW301");
  EXPECT_EQ(kdv::ui::screen_model().text(17, 8, 37), "Levers 1 to 4 : Set Comms parameters.");
  EXPECT_EQ(kdv::ui::screen_model().text(29, 14, 18), " CURRENT SETTINGS ");
  EXPECT_EQ(kdv::ui::screen_model().bg(29, 14), 1);
  EXPECT_EQ(line(12).substr(0, 24), "1200 Baud 8bit no parity");
  EXPECT_EQ(line(14).substr(0, 32), "Link B address = Link A address ");
  EXPECT_EQ(line(16).substr(0, 11), "ASCII Mode ");
  EXPECT_EQ(kdv::ui::screen_model().text(29, 25, 21), " Any key to Continue ");
}

TEST_F(DiagnosticsScreen, CommsSettingCodesWithoutASetting) {
  rx().HCASWITCH = 13 | 16;
  switch_box(kdv::edit::explain_hca_switches);
  EXPECT_EQ(line(12).substr(0, 29), "ERROR - INVALID COMMS SETTING");
  EXPECT_EQ(line(14).substr(0, 36), "Link B address = Link A address + 32");
  EXPECT_EQ(line(16).substr(0, 9), "RTU Mode ");
  rx().HCASWITCH = 15;
  switch_box(kdv::edit::explain_hca_switches);
  EXPECT_EQ(line(12).substr(0, 33), "Comms Parameters software defined");
}

TEST_F(DiagnosticsScreen, IpSwitchMeanings) {
  rx().IPSWITCH = 0;
  switch_box(kdv::edit::explain_ip_switches);
  EXPECT_EQ(kdv::ui::screen_model().text(31, 5, 15), "IP SWITCH SW101");
  EXPECT_EQ(kdv::ui::screen_model().text(29, 13, 18), " CURRENT SETTINGS ");
  EXPECT_EQ(line(11).substr(0, 32), "Modbus Address Software Defined ");
  EXPECT_EQ(line(13).substr(0, 28), "QDU57 configuration ENABLED ");
  EXPECT_EQ(line(15).substr(0, 29), "Serial configuration ENABLED ");
  EXPECT_EQ(line(17).substr(0, 17), "Normal operation ");

  rx().IPSWITCH = 161;  // bits 0, 5 and 7
  switch_box(kdv::edit::explain_ip_switches);
  EXPECT_EQ(line(11).substr(0, 18), "Modbus Address: 1 ");
  EXPECT_EQ(line(13).substr(0, 28), "QDU57 configuration DISABLED");
  EXPECT_EQ(line(15).substr(0, 29), "Serial configuration ENABLED ");
  EXPECT_EQ(line(17).substr(0, 30), "FACTORY TEST SETTING - CHANGE!");
  EXPECT_EQ(kdv::ui::screen_model().bg(19, 21), session.error_bar);
  kdv::edit::fill_diagnostic_values(session);
  EXPECT_EQ(session.value_column[1][4], "   10000101");
}

TEST_F(DiagnosticsScreen, StatusFlagClearedOfflineKeepsTheOtherBits) {
  rx().STATUS1 = 0x81;
  rx().STATUS2 = 1;
  kdv::edit::fill_diagnostic_values(session);
  EXPECT_EQ(session.value_column[2][2], "   10000001");
  EXPECT_EQ(session.value_column[2][3], "   00000001");
  EXPECT_EQ(session.value_column[2][4], " YES ");
  user.escape();  // Escape answers NO
  run(kdv::edit::clear_status_flag);
  EXPECT_EQ(rx().STATUS2, 1);
  rx().STATUS2 = 0x0B;
  user.down();
  user.enter();
  run(kdv::edit::clear_status_flag);
  EXPECT_EQ(rx().STATUS2, 0x0A);
  kdv::edit::fill_diagnostic_values(session);
  EXPECT_EQ(session.value_column[2][4], " NO ");
}

TEST_F(DiagnosticsScreen, ChecksumBaseSwitchesBothCellsAndTheReceiverScreen) {
  rx().CKSUM_BASE = 0;
  rx().CHECKSUM = 4660;
  rx().RAMCHKSUM = 255;
  user.move(1, 3, 1, 6);
  user.enter();
  user.down();  // Hex
  user.enter();
  user.escape();
  std::vector<std::string> first_pass;
  user.on_wait = [&] {
    if (first_pass.empty()) first_pass = {session.value_column[1][5].str(), session.value_column[1][6].str()};
  };
  run([this] { kdv::edit::diagnostics_menu(session, 0); });
  EXPECT_EQ(first_pass, (std::vector<std::string>{"     4660", "      255"}));
  EXPECT_EQ(session.value_column[1][5], "     1234  hex");
  EXPECT_EQ(session.value_column[1][6], "     00FF  hex");
  kdv::edit::fill_receiver_values(session);
  EXPECT_EQ(session.value_column[1][9], "     1234  hex");
}

}  // namespace
}  // namespace edit_test
