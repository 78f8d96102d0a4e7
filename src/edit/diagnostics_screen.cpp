#include "edit/diagnostics_screen.h"

#include <string>
#include <string_view>
#include <vector>

#include "edit/value_column.h"
#include "edit/receiver_settings.h"
#include "link/link.h"
#include "model/colours.h"
#include "model/switches.h"
#include "ui/console.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

bool bit_set(Byte value, int bit) { return (value >> bit) & 1; }

// Levers 1..8 of a switch bank, lever 1 first.
std::string lever_text(Byte bank) { return "   " + kdv::edit::reversed(kdv::edit::to_binary(bank, 8), 8); }

void write_at(int x, int y, std::string_view text) {
  kdv::ui::go_to_xy(x, y);
  kdv::ui::write_text(text);
}

// The frame of an explanation box `width` columns wide, its title and the
// lever lines, then the "CURRENT SETTINGS" heading on `heading_row`.
void switch_box(const kdv::model::Session& session, int width, int title_x, std::string_view title,
               std::initializer_list<std::string_view> levers, int heading_row) {
  kdv::ui::normal_colours(session);
  kdv::ui::set_text_window(14, 4, 14 + width, 23);
  kdv::ui::clear_window();
  kdv::ui::frame_window(15, 5, width, 19);
  write_at(title_x, 1, title);
  int row = 4;
  for (std::string_view line : levers) write_at(3, row++, line);
  kdv::ui::text_background(kBlue);
  write_at(15, heading_row, " CURRENT SETTINGS ");
  kdv::ui::normal_colours(session);
}

// Cells of the diagnostics menu: 0x10 x column + row.
constexpr Byte kCellSw301 = 0x13, kCellSw101 = 0x14, kCellConfigChecksum = 0x15, kCellRamChecksum = 0x16;
constexpr Byte kCellFlagSet = 0x24;

}  // namespace

void diagnostics_menu(kdv::model::Session& session, int r) {
  if (session.online) {
    kdv::ui::show_working(session);
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    link.READ_CHECKSUM(r);
    link.READ_SWITCHES(r);
    if (link.failed()) kdv::ui::show_link_error(session, link.outcome().text);
  }
  kdv::edit::menu_loop(session, 9, 1, 3, [&session] { fill_diagnostic_values(session); }, [&](Byte option) {
    switch (option) {
      case kCellSw301: explain_hca_switches(session); break;
      case kCellSw101: explain_ip_switches(session); break;
      case kCellConfigChecksum:
      case kCellRamChecksum: kdv::edit::edit_checksum_base(session, r); break;
      case kCellFlagSet: clear_status_flag(session); break;
      default: break;
    }
  });
}

void fill_diagnostic_values(kdv::model::Session& session) {
  const ReceiverRecord& receiver = session.current_receiver();
  auto& column = session.value_column;
  column[1][2] = "1......8";
  column[1][3] = lever_text(receiver.HCASWITCH);
  column[1][4] = lever_text(receiver.IPSWITCH);
  column[1][5] = kdv::edit::checksum_text(receiver.CHECKSUM, receiver.CKSUM_BASE);
  column[1][6] = kdv::edit::checksum_text(receiver.RAMCHKSUM, receiver.CKSUM_BASE);
  column[2][1] = "";
  column[2][2] = "   " + kdv::edit::to_binary(receiver.STATUS1, 8);
  column[2][3] = "   " + kdv::edit::to_binary(receiver.STATUS2, 8);
  column[2][4] = bit_set(receiver.STATUS2, 0) ? " YES " : " NO ";
}

void explain_hca_switches(kdv::model::Session& session) {
  const Byte bank = session.current_receiver().HCASWITCH;
  switch_box(session, 46, 15, "HCA SWITCH SW301",
            {"Levers 1 to 4 : Set Comms parameters.", "Lever 5 : Set mode for Link B address.",
             "Lever 6 : Unused", "Lever 7 : Selects Modbus RTU/ASCII mode.", "Lever 8 : Unused"},
            10);
  int row = 12;
  for (const std::string& line : hca_switch_meaning(bank)) {
    write_at(5, row, line);
    row += 2;
  }
  kdv::ui::wait_any_key(session);
}

void explain_ip_switches(kdv::model::Session& session) {
  const Byte bank = session.current_receiver().IPSWITCH;
  switch_box(session, 51, 17, "IP SWITCH SW101",
            {"Levers 1 to 5 : Sets Modbus Address.", "Lever 6 : Enables / Disables QDU57 changes.",
             "Lever 7 : Enables / Disables Serial changes.", "Lever 8 : Factory use only, should be 0."},
            9);
  const std::vector<std::string> lines = ip_switch_meaning(bank);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The factory setting's warning stands on the error colour.
    if (i + 1 == lines.size() && factory_lever_set(bank)) kdv::ui::text_background(session.error_bar);
    write_at(5, static_cast<int>(11 + 2 * i), lines[i]);
  }
  kdv::ui::wait_any_key(session);
}

void clear_status_flag(kdv::model::Session& session) {
  if (kdv::edit::choose_from_list(session, "    Clear Flag?   ", {"        NO        ", "        YES       "}, 15, 1) != 2)
    return;
  if (!session.online) {
    session.current_receiver().STATUS2 &= static_cast<Byte>(~1u);
    return;
  }
  kdv::ui::show_working(session);
  // Every completed exchange refreshes the status bytes; no checksum read
  // after a failed confirm.
  kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
  link.SEND_CONFIRM(session.receiver_number);
  link.READ_CHECKSUM(session.receiver_number);
  kdv::edit::clear_working();
  if (link.failed()) kdv::ui::show_link_error(session, link.outcome().text);
}

}  // namespace kdv::edit
