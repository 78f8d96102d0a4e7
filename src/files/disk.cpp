// The save and load commands of the main menu.
#include "files/disk.h"

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

}  // namespace

void SAVE() {
  name_box("      Save          ");
  ask_until("Disk Access Error", [](const std::string& base) {
    return WRITE_PAIR(base, globals::GLOBDAT, *globals::RECEIVER[0]);
  });
}

}  // namespace disk
