#include "edit/copy_screen.h"

#include <algorithm>
#include <string>
#include <vector>

#include "edit/channel_settings.h"
#include "edit/receiver_settings.h"
#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "transfer/copy.h"
#include "transfer/download.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::edit {

using kdv::transfer::kAll;
using kdv::transfer::copy_settings;
using kdv::transfer::CopySide;
using kdv::transfer::send_channel;

using namespace kdv::model;

namespace {

// The ALL line of the channel boxes and the one of the transmitter boxes
// (the two are placed differently).
constexpr const char* kChannelAllLine = "       ALL        ";
constexpr const char* kTransmitterAllLine = "        ALL       ";

// Cells of the copy menu (screen 7): 0x10 x column + row.
constexpr int kCellSourceTransmitter = 0x12, kCellSourceChannel = 0x13, kCellDestTransmitter = 0x22,
              kCellDestChannel = 0x23, kCellStartCopy = 0x24;

// The value column text of one transmitter or channel number.
std::string side_value_text(Byte n) { return n == kAll ? "  ALL" : "  " + kdv::ui::right_aligned(n, 2); }

// A choice box of this screen at column 30, row y: titled with the label of
// the cell under the cursor, `pre` highlighted first and given back on
// Escape.
int choose_in_box(const kdv::model::Session& session, const std::vector<std::string>& items, int y, int pre) {
  return kdv::edit::choose_from_list(session, kdv::edit::cell_title(session), items, y, pre).value_or(pre);
}

// Shows the single ALL line that a forced "all" destination offers.
void show_all_only(const kdv::model::Session& session) { choose_in_box(session, {kTransmitterAllLine}, 15, 1); }

// The channel list: 1..16 and ALL (line 17). Gives the chosen channel or ALL.
Byte choose_copy_channel(kdv::model::Session& session, Byte current) {
  std::vector<std::string> items = kdv::edit::numbered_lines(16);
  items.emplace_back(kChannelAllLine);
  const int chosen = choose_in_box(session, items, 3, current == kAll ? 17 : current);
  return chosen == 17 ? kAll : static_cast<Byte>(chosen);
}

// Transmitters a receiver record offers; a count outside 1..4 (only a
// damaged file gives one) must not lead past the four transmitter records.
int transmitter_count(kdv::model::Session& session, Byte receiver) {
  return std::clamp<int>(session.receivers[receiver]->NO_OF_TX, 1, 4);
}

// The transmitter list: 1..NO_OF_TX, followed by ALL when with_all. The
// preselected line is ALL for ALL, the current number while it names a
// transmitter of the list, otherwise line 1. Gives the number or ALL.
Byte choose_copy_transmitter(kdv::model::Session& session, Byte receiver, Byte current, bool with_all) {
  const int count = transmitter_count(session, receiver);
  std::vector<std::string> items = kdv::edit::numbered_lines(count);
  if (with_all) items.emplace_back(kTransmitterAllLine);
  const int lines = static_cast<int>(items.size());
  int pre = 1;
  if (current == kAll)
    pre = lines;
  else if (current >= 1 && current <= count)
    pre = current;
  const int chosen = choose_in_box(session, items, 15, pre);
  return with_all && chosen == lines ? kAll : static_cast<Byte>(chosen);
}

void choose_source_transmitter(kdv::model::Session& session, CopySide& source, CopySide& dest) {
  const bool with_all = transmitter_count(session, source.receiver) > 1;
  source.transmitter = choose_copy_transmitter(session, source.receiver, source.transmitter, with_all);
  if (source.transmitter == kAll) dest.transmitter = kAll;
}

void choose_dest_transmitter(kdv::model::Session& session, const CopySide& source, CopySide& dest) {
  if (source.transmitter == kAll) {
    dest.transmitter = kAll;
    show_all_only(session);
    return;
  }
  dest.transmitter = choose_copy_transmitter(session, dest.receiver, dest.transmitter, true);
}

void choose_source_channel(kdv::model::Session& session, CopySide& source, CopySide& dest) {
  source.channel = choose_copy_channel(session, source.channel);
  if (source.channel == kAll) dest.channel = kAll;
}

void choose_dest_channel(kdv::model::Session& session, const CopySide& source, CopySide& dest) {
  if (source.channel == kAll) {
    dest.channel = kAll;
    show_all_only(session);
    return;
  }
  dest.channel = choose_copy_channel(session, dest.channel);
}

void show_copy_sides(kdv::model::Session& session, const CopySide& source, const CopySide& dest) {
  kdv::ui::draw_background(session, 0);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kBlack);
  kdv::ui::text_colour(kWhite);
  kdv::ui::write_text(session.messages[kMessageMenuKeys].view());
  session.value_column[1][1] = "";
  session.value_column[1][2] = side_value_text(source.transmitter);
  session.value_column[1][3] = side_value_text(source.channel);
  session.value_column[2][1] = "";
  session.value_column[2][2] = side_value_text(dest.transmitter);
  session.value_column[2][3] = side_value_text(dest.channel);
  session.value_column[2][5] = "";
}

void start_copy(kdv::model::Session& session, const CopySide& source, const CopySide& dest) {
  Byte dload = 0;
  copy_settings(session, source, dest, dload);
  // A single channel goes to the receiver at once while online.
  if (dload == 0 && session.online) send_channel(session, dest.receiver, dest.transmitter, dest.channel);
  if (dload == 1 && session.online) {
    kdv::ui::draw_background(session, 0);
    kdv::ui::draw_menu(session, session.cursor_column, session.cursor_row);
    // No is highlighted first; Escape counts as No.
    const std::optional<int> answer =
        kdv::edit::choose_from_list(session, "    Download ?    ", {"       Yes        ", "       No         "}, 10, 2);
    if (answer == 1) kdv::transfer::copy_download(session, dest.receiver, dest.transmitter);
  } else {
    kdv::ui::draw_choice_window(session, 30, 10, "  Copy Function   ", {"    COMPLETED     ", "                  "});
    kdv::ui::pause_ms(2000);
  }
  session.cursor_column = 2;
  session.cursor_row = 3;
}

}  // namespace

void copy_menu(kdv::model::Session& session) {
  CopySide source{session.receiver_number, session.transmitter_number, session.channel_number};
  CopySide dest = source;
  const kdv::ui::MenuCursor cursor(session, 1, 2);
  for (;;) {
    show_copy_sides(session, source, dest);
    const int code = kdv::ui::run_menu(session, 7);
    if (code == kdv::ui::kMenuEscape) break;
    switch (code) {
      case kCellSourceTransmitter: choose_source_transmitter(session, source, dest); break;
      case kCellSourceChannel: choose_source_channel(session, source, dest); break;
      case kCellDestTransmitter: choose_dest_transmitter(session, source, dest); break;
      case kCellDestChannel: choose_dest_channel(session, source, dest); break;
      case kCellStartCopy: start_copy(session, source, dest); break;
      default: break;
    }
  }
}

}  // namespace kdv::edit
