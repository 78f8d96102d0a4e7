#include "app/report_commands.h"

#include <ctime>
#include <string>

#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "model/session.h"
#include "report/report.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::app {

namespace {

kdv::report::Date today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// Cells of the report menu: 0x10 x column + row.
constexpr int kCellOutputTo = 0x11, kCellPrintReport = 0x12;

}  // namespace

void report_menu(kdv::model::Session& session) {
  const kdv::ui::MenuCursor cursor(session, 1, 1);
  session.report_receiver = session.receiver_number;
  for (;;) {
    const std::string destination = kdv::report::destination_name(session.report_destination, session.report_file);
    session.value_column[1][1] = session.report_destination >= 1 && session.report_destination <= 3 ? "   " + destination : session.report_file.str();
    session.value_column[1][2] = "";
    kdv::ui::draw_background(session, 0);
    const auto code = kdv::ui::run_menu(session, 6);
    if (code == kCellOutputTo) session.report_file = choose_destination(session, session.report_file).view();
    if (code == kCellPrintReport) output_report(session, kdv::report::destination_name(session.report_destination, session.report_file));
    if (code == kdv::ui::kMenuEscape) break;
  }
}

kdv::model::Text<255> choose_destination(kdv::model::Session& session, const kdv::model::Text<255>& file) {
  kdv::model::Text<255> result = file;
  kdv::ui::ChoiceLines lines;
  for (int i = 1; i <= 3; ++i) lines.push_back("     LPT" + std::to_string(i) + "           ");
  lines.emplace_back("     FILE          ");
  kdv::ui::draw_choice_window(session, 30, 15, "   " + session.screens[session.screen_number].cells[session.cursor_column][session.cursor_row].label, lines);
  // Escape keeps the destination (and still asks for the file name when it
  // is the file).
  session.report_destination = kdv::ui::choice_list(session, lines, session.report_destination).value_or(session.report_destination);
  if (session.report_destination == 4) {
    kdv::ui::draw_choice_window(session, 30, 15, "    Filename       ", {"", "", "", ""});
    result = kdv::ui::text_field(file).value_or(file.str());
  }
  return result;
}

void output_report(const kdv::model::Session& session, std::string_view destination) {
  const kdv::report::Date date = today();
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kdv::model::kBlack);
  kdv::ui::text_colour(kdv::model::kWhite);
  kdv::ui::write_text(session.messages[kdv::model::kMessageWorking]);
  kdv::ui::present();  // the working text shows while a printer takes the report
  if (kdv::report::print_report(destination, kdv::report::report_text(session, session.report_receiver, date)))
    kdv::ui::say_done(session, "  Hardcopy ");
  else
    kdv::ui::say_error(session, " Could not produce output ");
}

}  // namespace kdv::app
