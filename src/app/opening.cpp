#include "app/startup.h"

#include "app/file_commands.h"
#include "app/port_choice.h"
#include "app/report_commands.h"
#include "app/signoff.h"
#include "edit/channel_settings.h"
#include "edit/copy_screen.h"
#include "edit/receiver_settings.h"
#include "model/records.h"
#include "monitor/live_monitor.h"
#include "transfer/download.h"
#include "transfer/upload.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::app {

using namespace kdv::model;

namespace {

// The main menu's screen in the menu model.
constexpr int kMainScreen = 2;

// Cells of the main menu: 0x10 x column + row.
constexpr int kCellUpload = 0x11, kCellReceiverSetup = 0x12, kCellChannelSetup = 0x13, kCellCopy = 0x14,
              kCellDownload = 0x15, kCellLoadFile = 0x16, kCellSaveFile = 0x17, kCellSignOff = 0x18;
constexpr int kCellDirectory = 0x21, kCellLinkMode = 0x22, kCellSerialPort = 0x23, kCellMonitorInput = 0x24,
              kCellMonitorAll = 0x25, kCellReport = 0x26;

// Runs the command of a main menu selection code; codes without a command
// (Escape among them) do nothing and the menu is drawn again.
void run_main_command(Session& session, int code) {
  switch (code) {
    case kCellUpload: kdv::transfer::upload_configuration(session); break;
    case kCellReceiverSetup: kdv::edit::receiver_settings_menu(session); break;
    case kCellChannelSetup: kdv::edit::channel_settings_menu(session); break;
    case kCellCopy: kdv::edit::copy_menu(session); break;
    case kCellDownload: kdv::transfer::download_configuration(session); break;
    case kCellLoadFile: load(session); break;
    case kCellSaveFile: save(session); break;
    case kCellSignOff: signoff(session); break;
    case kCellDirectory: change_directory(session); break;
    case kCellLinkMode: choose_online(session); break;
    case kCellSerialPort: choose_port(session); break;
    case kCellMonitorInput: kdv::monitor::channel_monitor_menu(session, monitor_editors()); break;
    case kCellMonitorAll: kdv::monitor::all_channels_monitor_menu(session, kdv::edit::choose_transmitter); break;
    case kCellReport: report_menu(session); break;
    default: break;
  }
}

// One pass of the main menu: value column, background, menu, command.
void main_menu_pass(Session& session) {
  fill_main_menu_values(session);
  kdv::ui::draw_background(session, 0);
  run_main_command(session, kdv::ui::run_menu(session, kMainScreen));
}

}  // namespace

kdv::monitor::ChannelEditors monitor_editors() {
  return {.choose_transmitter = kdv::edit::choose_transmitter,
          .choose_channel = kdv::edit::choose_channel,
          .edit_temperature_units = kdv::edit::edit_temperature_units,
          .edit_input_type = kdv::edit::edit_input_type,
          .edit_drive = kdv::edit::edit_drive,
          .edit_high_alarm = kdv::edit::edit_high_alarm,
          .edit_low_alarm = kdv::edit::edit_low_alarm,
          .edit_input_zero = kdv::edit::edit_input_zero,
          .edit_output_zero = [](Session& session) { kdv::edit::edit_output_zero(session); },
          .edit_gain = kdv::edit::edit_gain};
}

void fill_main_menu_values(Session& session) {
  for (int row = 1; row <= 9; ++row) session.value_column[1][row] = "";
  session.value_column[2][1] = session.working_directory.view();
  session.value_column[2][2] = session.online ? "   Online    " : "  Offline    ";
  session.value_column[2][3] = port_cell_text(session);
  for (int row = 4; row <= 7; ++row) session.value_column[2][row] = "";
}

void run_opening(Session& session) {
  session.cursor_column = 1;
  session.cursor_row = 1;
  fill_main_menu_values(session);
  kdv::ui::draw_background(session, 0);
  if (session.port_count == 0) {
    say_no_port(session);
  } else {
    const kdv::ui::ChoiceLines answers = {"        NO        ", "        YES       "};
    kdv::ui::draw_choice_window(session, 30, 13, "    Upload  Data  ", answers);
    if (kdv::ui::choice_list(session, answers, 1) == 2) {
      kdv::ui::pause_ms(500);
      kdv::transfer::upload_configuration(session);
    }
  }
  for (;;) main_menu_pass(session);
}

}  // namespace kdv::app
