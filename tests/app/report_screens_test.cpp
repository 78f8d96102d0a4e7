#include "app/report_commands.h"

#include <gtest/gtest.h>

#include <ctime>

#include "app/screen_scratch.h"
#include "report/report.h"
#include "ui/console.h"
#include "ui/script_terminal.h"
#include "ui/menu.h"

using namespace kdv::model;

namespace {

class ReportScreens : public ScreenScratch {
 protected:
  void SetUp() override {
    ScreenScratch::SetUp();
    session.messages[53] = " Printing report";
    session.messages[95] = "      N/A       ";
    // The report menu: where to print, and print.
    kdv::model::MenuScreen& s = session.screens[6];
    s.column_count = 1;
    s.row_count[1] = 2;
    s.cells[1][1] = {"Output to", 5, 8, "Printer or file", ""};
    s.cells[1][2] = {"Print report", 5, 9, "Writes the report", ""};
    session.cursor_column = 2;
    session.cursor_row = 6;
  }
  static kdv::report::Date today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  }
};

TEST_F(ReportScreens, ReportToAFileSaysHardcopyCompleted) {
  std::string working;
  term.on_wait = [&] {
    if (working.empty()) working = row(25, 1, 16);
  };
  term.type("x");
  kdv::app::output_report(session, "out.txt");
  EXPECT_EQ(working, " Printing report");
  EXPECT_EQ(kdv::ui::screen_model().bg(1, 25), 0);
  EXPECT_EQ(row(15, 35, 8), "  DONE  ");
  EXPECT_EQ(row(17, 27, 21), "  Hardcopy  completed");
  const auto bytes = bytes_of("out.txt");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kdv::report::report_text(session, 0, today()));
}

TEST_F(ReportScreens, UnopenableDestinationSaysCouldNotProduceOutput) {
  term.type("x");
  kdv::app::output_report(session, "nodir/out.txt");
  EXPECT_EQ(row(15, 35, 9), "  ERROR  ");
  EXPECT_EQ(row(17, 27, 26), " Could not produce output ");
  EXPECT_EQ(entries(), std::vector<std::string>{});
}

TEST_F(ReportScreens, DestinationChoice) {
  session.screen_number = 6;
  session.cursor_column = 1;
  session.cursor_row = 1;
  term.down();
  term.enter();
  EXPECT_EQ(kdv::app::choose_destination(session, "out.txt"), "out.txt");
  EXPECT_EQ(session.report_destination, 2);
  EXPECT_EQ(row(15, 30, 12), "   Output to");
  EXPECT_EQ(row(17, 30, 19), "     LPT1          ");
  EXPECT_EQ(row(20, 30, 19), "     FILE          ");

  term.escape();
  EXPECT_EQ(kdv::app::choose_destination(session, "out.txt"), "out.txt");
  EXPECT_EQ(session.report_destination, 2);

  term.down();
  term.down();
  term.enter();
  term.type("report.txt");
  term.enter();
  EXPECT_EQ(kdv::app::choose_destination(session, "out.txt"), "report.txt");
  EXPECT_EQ(session.report_destination, 4);
  EXPECT_EQ(row(15, 30, 19), "    Filename       ");
}

TEST_F(ReportScreens, MenuChoosesAFileAndPrintsToIt) {
  term.enter();  // Output to
  term.up();     // from LPT1 to FILE
  term.enter();
  term.type("monday_report.txt");
  term.enter();
  term.down();
  term.enter();  // Print report
  term.type("x");
  term.escape();
  kdv::app::report_menu(session);
  EXPECT_EQ(session.report_file, "monday_repor");
  EXPECT_EQ(session.report_destination, 4);
  EXPECT_EQ(bytes_of("monday_repor").size(), kdv::report::report_text(session, 0, today()).size());
  EXPECT_EQ(session.value_column[1][1], "monday_repor");
  EXPECT_EQ(session.cursor_column, 2);
  EXPECT_EQ(session.cursor_row, 6);
  EXPECT_EQ(term.keys_left(), 0u);
}

TEST_F(ReportScreens, MenuShowsThePrinterChoice) {
  term.escape();
  kdv::app::report_menu(session);
  EXPECT_EQ(row(8, 5, 19), "Output to" "   " "   LPT1");
  session.report_destination = 3;
  term.escape();
  kdv::app::report_menu(session);
  EXPECT_EQ(row(8, 5, 19), "Output to" "   " "   LPT3");
}

}  // namespace
