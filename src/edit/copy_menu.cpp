#include "edit/copy_menu.h"

#include <algorithm>
#include <string>
#include <vector>

#include "edit/chconf.h"
#include "edit/rxconf.h"
#include "model/colours.h"
#include "model/globals.h"
#include "model/messages.h"
#include "transfer/copy.h"
#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace kdv::edit {

using kdv::transfer::ALL;
using kdv::transfer::GOCOPY;
using kdv::transfer::OPT;
using kdv::transfer::SENDCHANNEL;

using namespace kdv::model;

namespace {

// The ALL line of the channel boxes and the one of the transmitter boxes
// (the two are placed differently).
constexpr const char* CHANNEL_ALL = "       ALL        ";
constexpr const char* TX_ALL = "        ALL       ";

// Cells of the copy menu (screen 7): 0x10 x column + row.
constexpr int kCellSourceTransmitter = 0x12, kCellSourceChannel = 0x13, kCellDestTransmitter = 0x22,
              kCellDestChannel = 0x23, kCellStartCopy = 0x24;

// The value column text of one transmitter or channel number.
std::string OPTVALUE(byte n) { return n == ALL ? "  ALL" : "  " + kdv::ui::STG(n, 2); }

// A choice box of this screen at column 30, row y: titled with the label of
// the cell under the cursor, `pre` highlighted first and given back on
// Escape.
int CHOOSE(const kdv::model::Session& session, const std::vector<std::string>& items, int y, int pre) {
  return kdv::edit::CHOOSE(session, kdv::edit::CELLTITLE(session), items, y, pre).value_or(pre);
}

// Shows the single ALL line that a forced "all" destination offers.
void SHOWALLONLY(const kdv::model::Session& session) { CHOOSE(session, {TX_ALL}, 15, 1); }

// The channel list: 1..16 and ALL (line 17). Gives the chosen channel or ALL.
byte CHOOSECHANNEL(kdv::model::Session& session, byte current) {
  std::vector<std::string> items = kdv::edit::NUMBERS(16);
  items.emplace_back(CHANNEL_ALL);
  const int chosen = CHOOSE(session, items, 3, current == ALL ? 17 : current);
  return chosen == 17 ? ALL : static_cast<byte>(chosen);
}

// Transmitters a receiver record offers; a count outside 1..4 (only a
// damaged file gives one) must not lead past the four transmitter records.
int TXCOUNT(kdv::model::Session& session, byte receiver) {
  return std::clamp<int>(session.RECEIVER[receiver]->NO_OF_TX, 1, 4);
}

// The transmitter list: 1..NO_OF_TX, followed by ALL when with_all. The
// preselected line is ALL for ALL, the current number while it names a
// transmitter of the list, otherwise line 1. Gives the number or ALL.
byte CHOOSETRANSMITTER(kdv::model::Session& session, byte receiver, byte current, bool with_all) {
  const int count = TXCOUNT(session, receiver);
  std::vector<std::string> items = kdv::edit::NUMBERS(count);
  if (with_all) items.emplace_back(TX_ALL);
  const int lines = static_cast<int>(items.size());
  int pre = 1;
  if (current == ALL)
    pre = lines;
  else if (current >= 1 && current <= count)
    pre = current;
  const int chosen = CHOOSE(session, items, 15, pre);
  return with_all && chosen == lines ? ALL : static_cast<byte>(chosen);
}

void SELSTX(kdv::model::Session& session, OPT& source, OPT& dest) {
  const bool with_all = TXCOUNT(session, source.RECEIVER) > 1;
  source.TRANSMITTER = CHOOSETRANSMITTER(session, source.RECEIVER, source.TRANSMITTER, with_all);
  if (source.TRANSMITTER == ALL) dest.TRANSMITTER = ALL;
}

void SELDTX(kdv::model::Session& session, const OPT& source, OPT& dest) {
  if (source.TRANSMITTER == ALL) {
    dest.TRANSMITTER = ALL;
    SHOWALLONLY(session);
    return;
  }
  dest.TRANSMITTER = CHOOSETRANSMITTER(session, dest.RECEIVER, dest.TRANSMITTER, true);
}

void SELSCH(kdv::model::Session& session, OPT& source, OPT& dest) {
  source.CHANNEL = CHOOSECHANNEL(session, source.CHANNEL);
  if (source.CHANNEL == ALL) dest.CHANNEL = ALL;
}

void SELDCH(kdv::model::Session& session, const OPT& source, OPT& dest) {
  if (source.CHANNEL == ALL) {
    dest.CHANNEL = ALL;
    SHOWALLONLY(session);
    return;
  }
  dest.CHANNEL = CHOOSECHANNEL(session, dest.CHANNEL);
}

void DISPLAYOPT(kdv::model::Session& session, const OPT& source, const OPT& dest) {
  kdv::ui::BACKGND(session, 0);
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kBlack);
  kdv::ui::TextColor(kWhite);
  kdv::ui::Write(session.MESSAGE[kMessageMenuKeys].view());
  session.DISP[1][1] = "";
  session.DISP[1][2] = OPTVALUE(source.TRANSMITTER);
  session.DISP[1][3] = OPTVALUE(source.CHANNEL);
  session.DISP[2][1] = "";
  session.DISP[2][2] = OPTVALUE(dest.TRANSMITTER);
  session.DISP[2][3] = OPTVALUE(dest.CHANNEL);
  session.DISP[2][5] = "";
}

void STARTCOPY(kdv::model::Session& session, const OPT& source, const OPT& dest) {
  byte dload = 0;
  GOCOPY(session, source, dest, dload);
  // A single channel goes to the receiver at once while online.
  if (dload == 0 && session.ONLINE) SENDCHANNEL(session, dest.RECEIVER, dest.TRANSMITTER, dest.CHANNEL);
  if (dload == 1 && session.ONLINE) {
    kdv::ui::BACKGND(session, 0);
    kdv::ui::FILLSCN(session, session.XCUR, session.YCUR);
    // No is highlighted first; Escape counts as No.
    const std::optional<int> answer =
        kdv::edit::CHOOSE(session, "    Download ?    ", {"       Yes        ", "       No         "}, 10, 2);
    if (answer == 1) kdv::transfer::COPYDOWN(session, dest.RECEIVER, dest.TRANSMITTER);
  } else {
    kdv::ui::DRAWWINDOW(session, 30, 10, "  Copy Function   ", {"    COMPLETED     ", "                  "});
    kdv::ui::Delay(2000);
  }
  session.XCUR = 2;
  session.YCUR = 3;
}

}  // namespace

void COPYRX(kdv::model::Session& session) {
  OPT source{session.RECNO, session.TXNO, session.CHNO};
  OPT dest = source;
  const kdv::ui::MENU_CURSOR cursor(session, 1, 2);
  for (;;) {
    DISPLAYOPT(session, source, dest);
    const int code = kdv::ui::SEL(session, 7);
    if (code == kdv::ui::kMenuEscape) break;
    switch (code) {
      case kCellSourceTransmitter: SELSTX(session, source, dest); break;
      case kCellSourceChannel: SELSCH(session, source, dest); break;
      case kCellDestTransmitter: SELDTX(session, source, dest); break;
      case kCellDestChannel: SELDCH(session, source, dest); break;
      case kCellStartCopy: STARTCOPY(session, source, dest); break;
      default: break;
    }
  }
}

}  // namespace kdv::edit
