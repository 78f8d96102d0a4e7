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
  kdv::model::Session session;
  std::istringstream messages(bytes);
  kdv::ui::READ_MESSAGES(messages, session.MESSAGE);

  std::istringstream in(bytes);
  if (kdv::ui::READ_SCREENS(in, session.SCREEN)) return 0;
  for (int s = 1; s <= kdv::ui::NO_OF_SCREENS; ++s) {
    session.SCNO = static_cast<kdv::ui::byte>(s);
    const kdv::ui::SCRN& screen = session.SCREEN[s];
    for (int x = 1; x <= screen.MAXX; ++x) {
      session.XCUR = static_cast<kdv::ui::byte>(x);
      session.YCUR = 1;
      kdv::ui::CURSORUP(session);
      kdv::ui::CURSORDOWN(session);
      kdv::ui::FILLSCN(session, session.XCUR, session.YCUR);
    }
  }
  return 0;
}
