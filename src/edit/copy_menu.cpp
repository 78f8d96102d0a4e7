#include "edit/copy_menu.h"

#include <algorithm>
#include <string>
#include <vector>

#include "edit/chconf.h"
#include "edit/rxconf.h"
#include "model/globals.h"
#include "transfer/copy.h"
#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace copy {

using namespace globals;

namespace {

// The ALL line of the channel boxes and the one of the transmitter boxes
// (the two are placed differently).
constexpr const char* CHANNEL_ALL = "       ALL        ";
constexpr const char* TX_ALL = "        ALL       ";

// Menu cells of screen 7.
constexpr int SOURCE_TX = 18, SOURCE_CH = 19, DEST_TX = 34, DEST_CH = 35, START = 36;

// The value column text of one transmitter or channel number.
std::string OPTVALUE(byte n) { return n == ALL ? "  ALL" : "  " + wind::STG(n, 2); }

// A choice box of this screen at column 30, row y: titled with the label of
// the cell under the cursor, `pre` highlighted first and given back on
// Escape.
int CHOOSE(const std::vector<std::string>& items, int y, int pre) {
  return rxconf::CHOOSE(rxconf::CELLTITLE(), items, y, pre).value_or(pre);
}

// Shows the single ALL line that a forced "all" destination offers.
void SHOWALLONLY() { CHOOSE({TX_ALL}, 15, 1); }

// The channel list: 1..16 and ALL (line 17). Gives the chosen channel or ALL.
byte CHOOSECHANNEL(byte current) {
  std::vector<std::string> items = chconf::NUMBERS(16);
  items.emplace_back(CHANNEL_ALL);
  const int chosen = CHOOSE(items, 3, current == ALL ? 17 : current);
  return chosen == 17 ? ALL : static_cast<byte>(chosen);
}

// Transmitters a receiver record offers; a count outside 1..4 (only a
// damaged file gives one) must not lead past the four transmitter records.
int TXCOUNT(globals::Session& session, byte receiver) {
  return std::clamp<int>(session.RECEIVER[receiver]->NO_OF_TX, 1, 4);
}

// The transmitter list: 1..NO_OF_TX, followed by ALL when with_all. The
// preselected line is ALL for ALL, the current number while it names a
// transmitter of the list, otherwise line 1. Gives the number or ALL.
byte CHOOSETRANSMITTER(globals::Session& session, byte receiver, byte current, bool with_all) {
  const int count = TXCOUNT(session, receiver);
  std::vector<std::string> items = chconf::NUMBERS(count);
  if (with_all) items.emplace_back(TX_ALL);
  const int lines = static_cast<int>(items.size());
  int pre = 1;
  if (current == ALL)
    pre = lines;
  else if (current >= 1 && current <= count)
    pre = current;
  const int chosen = CHOOSE(items, 15, pre);
  return with_all && chosen == lines ? ALL : static_cast<byte>(chosen);
}

void SELSTX(globals::Session& session, OPT& source, OPT& dest) {
  const bool with_all = TXCOUNT(session, source.RECEIVER) > 1;
  source.TRANSMITTER = CHOOSETRANSMITTER(session, source.RECEIVER, source.TRANSMITTER, with_all);
  if (source.TRANSMITTER == ALL) dest.TRANSMITTER = ALL;
}

void SELDTX(globals::Session& session, const OPT& source, OPT& dest) {
  if (source.TRANSMITTER == ALL) {
    dest.TRANSMITTER = ALL;
    SHOWALLONLY();
    return;
  }
  dest.TRANSMITTER = CHOOSETRANSMITTER(session, dest.RECEIVER, dest.TRANSMITTER, true);
}

void SELSCH(OPT& source, OPT& dest) {
  source.CHANNEL = CHOOSECHANNEL(source.CHANNEL);
  if (source.CHANNEL == ALL) dest.CHANNEL = ALL;
}

void SELDCH(const OPT& source, OPT& dest) {
  if (source.CHANNEL == ALL) {
    dest.CHANNEL = ALL;
    SHOWALLONLY();
    return;
  }
  dest.CHANNEL = CHOOSECHANNEL(dest.CHANNEL);
}

void DISPLAYOPT(globals::Session& session, const OPT& source, const OPT& dest) {
  scrn::BACKGND(session, 0);
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::TextColor(15);
  crt::Write(MESSAGE[52].view());
  wind::DISP[1][1] = "";
  wind::DISP[1][2] = OPTVALUE(source.TRANSMITTER);
  wind::DISP[1][3] = OPTVALUE(source.CHANNEL);
  wind::DISP[2][1] = "";
  wind::DISP[2][2] = OPTVALUE(dest.TRANSMITTER);
  wind::DISP[2][3] = OPTVALUE(dest.CHANNEL);
  wind::DISP[2][5] = "";
}

void STARTCOPY(globals::Session& session, const OPT& source, const OPT& dest) {
  byte dload = 0;
  GOCOPY(session, source, dest, dload);
  // A single channel goes to the receiver at once while online.
  if (dload == 0 && session.ONLINE) SENDCHANNEL(session, dest.RECEIVER, dest.TRANSMITTER, dest.CHANNEL);
  if (dload == 1 && session.ONLINE) {
    scrn::BACKGND(session, 0);
    wind::FILLSCN(wind::XCUR, wind::YCUR);
    // No is highlighted first; Escape counts as No.
    const std::optional<int> answer =
        rxconf::CHOOSE("    Download ?    ", {"       Yes        ", "       No         "}, 10, 2);
    if (answer == 1) download::COPYDOWN(session, dest.RECEIVER, dest.TRANSMITTER);
  } else {
    wind::DRAWWINDOW(30, 10, "  Copy Function   ", {"    COMPLETED     ", "                  "});
    crt::Delay(2000);
  }
  wind::XCUR = 2;
  wind::YCUR = 3;
}

}  // namespace

void COPYRX(globals::Session& session) {
  OPT source{session.RECNO, session.TXNO, session.CHNO};
  OPT dest = source;
  const wind::MENU_CURSOR cursor(1, 2);
  for (;;) {
    DISPLAYOPT(session, source, dest);
    const int code = wind::SEL(7);
    if (code == 255) break;
    switch (code) {
      case SOURCE_TX: SELSTX(session, source, dest); break;
      case SOURCE_CH: SELSCH(source, dest); break;
      case DEST_TX: SELDTX(session, source, dest); break;
      case DEST_CH: SELDCH(source, dest); break;
      case START: STARTCOPY(session, source, dest); break;
      default: break;
    }
  }
}

}  // namespace copy
