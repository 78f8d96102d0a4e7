// Loading the two screen definition files at start-up: the message table
// and the ten menu screens; a file missing or refused ends the program.
#include <istream>
#include <string>

#include "model/screen_files.h"
#include "ui/console.h"
#include "ui/screen_file_loading.h"

namespace kdv::ui {

using kdv::model::ScreenFile;

namespace {

std::string refusal(std::string_view file, const LoadFault& f) {
  return "\n ERROR IN FILE :- \"" + std::string(file) + "\" LINE " + std::to_string(f.line) + ": " +
         f.reason + "\n";
}

}  // namespace

void load_screen_files(kdv::model::Session& session, const std::filesystem::path& dir) {
  session.cursor_column = 1;
  session.cursor_row = 1;

  {
    ScreenFile messages(dir / "mess578.scn");
    if (!messages.is_open()) kdv::ui::quit(0, "\n  ERROR LOADING FILE :- \"MESS578.SCN\" NOT FOUND\n");
    std::istream in(&messages);
    read_messages(in, session.messages);
  }
  ScreenFile screens(dir / "conf578.scn");
  if (!screens.is_open()) kdv::ui::quit(0, "\n ERROR LOADING FILE :- \"CONF578.SCN\" NOT FOUND\n");
  std::istream in(&screens);
  if (auto fault = read_screens(in, session.screens)) kdv::ui::quit(0, refusal("CONF578.SCN", *fault));
}

}  // namespace kdv::ui
