#include "edit/diag.h"

#include <string>
#include <string_view>
#include <vector>

#include "edit/confval.h"
#include "edit/rxconf.h"
#include "link/comms.h"
#include "model/colours.h"
#include "model/switches.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

bool BIT(byte value, int bit) { return (value >> bit) & 1; }

// Levers 1..8 of a switch bank, lever 1 first.
std::string LEVERS(byte bank) { return "   " + kdv::edit::FLIPSTR(kdv::edit::TOBIN(bank, 8), 8); }

void AT(int x, int y, std::string_view text) {
  kdv::ui::GotoXY(x, y);
  kdv::ui::Write(text);
}

// The frame of an explanation box `width` columns wide, its title and the
// lever lines, then the "CURRENT SETTINGS" heading on `heading_row`.
void SWITCHBOX(const kdv::model::Session& session, int width, int title_x, std::string_view title,
               std::initializer_list<std::string_view> levers, int heading_row) {
  kdv::ui::NORMAL(session);
  kdv::ui::Window(14, 4, 14 + width, 23);
  kdv::ui::ClrScr();
  kdv::ui::SETWINDOW(15, 5, width, 19);
  AT(title_x, 1, title);
  int row = 4;
  for (std::string_view line : levers) AT(3, row++, line);
  kdv::ui::TextBackground(kBlue);
  AT(15, heading_row, " CURRENT SETTINGS ");
  kdv::ui::NORMAL(session);
}

// Cells of the diagnostics menu: 0x10 x column + row.
constexpr byte kCellSw301 = 0x13, kCellSw101 = 0x14, kCellConfigChecksum = 0x15, kCellRamChecksum = 0x16;
constexpr byte kCellFlagSet = 0x24;

}  // namespace

void DIAGNOSTIC(kdv::model::Session& session, int r) {
  if (session.ONLINE) {
    kdv::ui::WRTWORKING(session);
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    link.READ_CHECKSUM(r);
    link.READ_SWITCHES(r);
    if (link.failed()) kdv::ui::WRTERROR(session, link.outcome().text);
  }
  kdv::edit::MENULOOP(session, 9, 1, 3, [&session] { DIAGVAL(session); }, [&](byte option) {
    switch (option) {
      case kCellSw301: SW301(session); break;
      case kCellSw101: SW101(session); break;
      case kCellConfigChecksum:
      case kCellRamChecksum: kdv::edit::CHECKSUM_BASE(session, r); break;
      case kCellFlagSet: CONFIRMRAM(session); break;
      default: break;
    }
  });
}

void DIAGVAL(kdv::model::Session& session) {
  const RECIEVER_DATA& R = session.RX();
  auto& D = session.DISP;
  D[1][2] = "1......8";
  D[1][3] = LEVERS(R.HCASWITCH);
  D[1][4] = LEVERS(R.IPSWITCH);
  D[1][5] = kdv::edit::CHECKSUMSTR(R.CHECKSUM, R.CKSUM_BASE);
  D[1][6] = kdv::edit::CHECKSUMSTR(R.RAMCHKSUM, R.CKSUM_BASE);
  D[2][1] = "";
  D[2][2] = "   " + kdv::edit::TOBIN(R.STATUS1, 8);
  D[2][3] = "   " + kdv::edit::TOBIN(R.STATUS2, 8);
  D[2][4] = BIT(R.STATUS2, 0) ? " YES " : " NO ";
}

void SW301(kdv::model::Session& session) {
  const byte bank = session.RX().HCASWITCH;
  SWITCHBOX(session, 46, 15, "HCA SWITCH SW301",
            {"Levers 1 to 4 : Set Comms parameters.", "Lever 5 : Set mode for Link B address.",
             "Lever 6 : Unused", "Lever 7 : Selects Modbus RTU/ASCII mode.", "Lever 8 : Unused"},
            10);
  int row = 12;
  for (const std::string& line : HCA_SWITCH_MEANING(bank)) {
    AT(5, row, line);
    row += 2;
  }
  kdv::ui::WAITANYKEY(session);
}

void SW101(kdv::model::Session& session) {
  const byte bank = session.RX().IPSWITCH;
  SWITCHBOX(session, 51, 17, "IP SWITCH SW101",
            {"Levers 1 to 5 : Sets Modbus Address.", "Lever 6 : Enables / Disables QDU57 changes.",
             "Lever 7 : Enables / Disables Serial changes.", "Lever 8 : Factory use only, should be 0."},
            9);
  const std::vector<std::string> lines = IP_SWITCH_MEANING(bank);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The factory setting's warning stands on the error colour.
    if (i + 1 == lines.size() && FACTORY_SETTING(bank)) kdv::ui::TextBackground(session.ERRBAR);
    AT(5, static_cast<int>(11 + 2 * i), lines[i]);
  }
  kdv::ui::WAITANYKEY(session);
}

void CONFIRMRAM(kdv::model::Session& session) {
  if (kdv::edit::CHOOSE(session, "    Clear Flag?   ", {"        NO        ", "        YES       "}, 15, 1) != 2)
    return;
  if (!session.ONLINE) {
    session.RX().STATUS2 &= static_cast<byte>(~1u);
    return;
  }
  kdv::ui::WRTWORKING(session);
  // Every completed exchange refreshes the status bytes; no checksum read
  // after a failed confirm.
  kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
  link.SEND_CONFIRM(session.RECNO);
  link.READ_CHECKSUM(session.RECNO);
  kdv::edit::CLEARWORKING();
  if (link.failed()) kdv::ui::WRTERROR(session, link.outcome().text);
}

}  // namespace kdv::edit
