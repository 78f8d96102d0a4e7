// The screen definition loader on arbitrary bytes: it must refuse or accept
// without reading out of bounds, and an accepted file must draw and walk
// without trouble (headless: drawing goes to the screen model only).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/records.h"
#include "model/session.h"
#include "ui/menu.h"
#include "ui/screen_file_loading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  kdv::model::Session session;
  std::istringstream messages(bytes);
  kdv::ui::read_messages(messages, session.messages);

  std::istringstream in(bytes);
  if (kdv::ui::read_screens(in, session.screens)) return 0;
  for (int s = 1; s <= kdv::model::kScreenCount; ++s) {
    session.screen_number = static_cast<kdv::ui::Byte>(s);
    const kdv::model::MenuScreen& screen = session.screens[s];
    for (int x = 1; x <= screen.column_count; ++x) {
      session.cursor_column = static_cast<kdv::ui::Byte>(x);
      session.cursor_row = 1;
      kdv::ui::menu_cursor_up(session);
      kdv::ui::menu_cursor_down(session);
      kdv::ui::draw_menu(session, session.cursor_column, session.cursor_row);
    }
  }
  return 0;
}
