// The save and load commands of the main menu.
#include "files/disk.h"

#include "transfer/download.h"
#include "ui/crt.h"
#include "ui/scrn.h"
#include "ui/wind.h"

namespace disk {

namespace {

// The listing, then the small name box of the command.
void name_box(std::string_view title) {
  DIRECTORY();
  wind::TXT[0] = title;
  wind::TXT[1] = "";
  wind::TXT[2] = "";
  crt::Window(1, 1, crt::COLS, crt::ROWS);
  wind::DRAWWINDOW(30, 18, 2);
}

// Asks for names until `act` succeeds with one (true) or the field is left
// empty (false). After a failure: a bell and `failure` on the box's row 4.
template <class Act>
bool ask_until(std::string_view failure, Act act) {
  for (;;) {
    const Text<255> entered = GETNAME(FILENAME);
    if (entered.empty()) return false;
    FILENAME = BASENAME(entered);
    if (act(FILENAME.str())) return true;
    crt::Write('\a');
    crt::GotoXY(2, 4);
    crt::Write(failure);
  }
}

// After a load while online: the configuration is only in memory, so offer
// to send it to the receiver.
void offer_download() {
  scrn::BACKGND(0);
  wind::FILLSCN(wind::XCUR, wind::YCUR);
  crt::Window(1, 1, crt::COLS, crt::ROWS);
  crt::GotoXY(3, 21);
  crt::Write("After Loading configuration is not");
  crt::GotoXY(3, 22);
  crt::Write("automatically updated.");
  wind::TXT[0] = "    Download ?    ";
  wind::TXT[1] = "       Yes        ";
  wind::TXT[2] = "       No         ";
  wind::DRAWWINDOW(30, 15, 2);
  if (wind::SELECTION(2, 2, 2) == 1) download::DOWNLOAD();
}

}  // namespace

void SAVE() {
  name_box("      Save          ");
  ask_until("Disk Access Error", [](const std::string& base) {
    return WRITE_PAIR(base, globals::GLOBDAT, *globals::RECEIVER[0]);
  });
}

void LOAD() {
  name_box("      Load        ");
  const bool loaded = ask_until("Invalid Filename", [](const std::string& base) {
    return READ_PAIR(base, globals::GLOBDAT, *globals::RECEIVER[0]);
  });
  globals::TXNO = 1;
  globals::CHNO = 1;
  if (globals::ONLINE && loaded) offer_download();
}

}  // namespace disk
