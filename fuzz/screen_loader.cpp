// The screen definition loader on arbitrary bytes: it must refuse or accept
// without reading out of bounds, and an accepted file must draw and walk
// without trouble (headless: drawing goes to the screen model only).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/globals.h"
#include "model/session.h"
#include "ui/wind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  globals::Session session;
  std::istringstream messages(bytes);
  wind::READ_MESSAGES(messages, session.MESSAGE);

  std::istringstream in(bytes);
  if (wind::READ_SCREENS(in, session.SCREEN)) return 0;
  for (int s = 1; s <= wind::NO_OF_SCREENS; ++s) {
    session.SCNO = static_cast<wind::byte>(s);
    const wind::SCRN& screen = session.SCREEN[s];
    for (int x = 1; x <= screen.MAXX; ++x) {
      session.XCUR = static_cast<wind::byte>(x);
      session.YCUR = 1;
      wind::CURSORUP(session);
      wind::CURSORDOWN(session);
      wind::FILLSCN(session, session.XCUR, session.YCUR);
    }
  }
  return 0;
}
