#include "app/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "link/link.h"
#include "transfer/progress.h"
#include "model/records.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

namespace {

std::string run(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  kdv::app::print_option_messages(arguments, "/opt/kdv/kdv578", out);
  return out.str();
}

TEST(CommandLineOptions, HelpPrintsTheUsageLineWithTheOwnPath) {
  EXPECT_EQ(run({"-h"}), "Usage: /opt/kdv/kdv578 -h\n");
  EXPECT_EQ(run({"--help"}), "Usage: /opt/kdv/kdv578 -h\n");
  EXPECT_EQ(run({"BW", "-h"}), "Usage: /opt/kdv/kdv578 -h\n");
}

TEST(CommandLineOptions, ErrorsAreReportedWithTheirPosition) {
  const std::string report = "exception at " + std::string(2 * sizeof(void*), '0') + ":\n";
  EXPECT_EQ(run({"-x"}), report + "Invalid option at position 1: \"x\"\n");
  EXPECT_EQ(run({"BW", "--colour"}), report + "Invalid option at position 2: \"colour\"\n");
  EXPECT_EQ(run({"-hx"}), report + "Invalid option at position 1: \"x\"\n");
  EXPECT_EQ(run({"--help=yes"}), report + "Option at position 1 does not allow an argument: help\n");
  // An error wins over the help request.
  EXPECT_EQ(run({"-h", "-q"}), report + "Invalid option at position 2: \"q\"\n");
}

TEST(CommandLineOptions, WhatIsNotAnOptionPassesSilently) {
  EXPECT_EQ(run({}), "");
  EXPECT_EQ(run({"BW"}), "");
  EXPECT_EQ(run({"bw", "-"}), "");
  EXPECT_EQ(run({"--", "-x"}), "");  // after "--" nothing is an option
}

TEST(CommandLineOptions, OptionsThatTakeArguments) {
  EXPECT_EQ(kdv::app::option_error({"-f"}, "f:", {}), "Option at position 1 needs an argument : f");
  EXPECT_EQ(kdv::app::option_error({"-f", "x", "--port", "-q"}, "f:", {"port:"}),
            "Option at position 3 needs an argument : port");
  EXPECT_EQ(kdv::app::option_error({"-fx", "--port=1", "--port", "2"}, "f:", {"port:"}), "");
}

// Runs the start-up sequence in dir with the given port list until the
// key script is used up or the program ends.
class Startup : public FreshProcess {
 protected:
  void SetUp() override {
    old_dir = std::filesystem::current_path();
    kdv::ui::install_terminal(&term);
    kdv::ui::set_text_window(10, 10, 20, 12);  // whatever came before
    kdv::ui::text_background(4);
  }
  void TearDown() override {
    std::filesystem::current_path(old_dir);
    unsetenv("KDV578_PORTS");
    kdv::link::set_host(nullptr);  // start-up installed the console's
    kdv::transfer::set_progress(nullptr);
    kdv::ui::install_terminal(nullptr);
  }
  void start(const std::filesystem::path& dir, const char* ports) {
    std::filesystem::current_path(dir);
    setenv("KDV578_PORTS", ports, 1);
    kdv::app::start_up(session);
  }

  kdv::ui::ScriptTerminal term;
  std::filesystem::path old_dir;
};

TEST_F(Startup, AMissingScreenFileEndsAfterTheLoadingAndScanMessages) {
  // What the terminal was shown, rows 1 and 2, and whether the ports had
  // been scanned by then.
  std::vector<std::string> shown;
  session.port_count = 9;
  term.on_wait = [&] {
    const kdv::ui::ScreenModel& s = kdv::ui::screen_model();
    shown.push_back(s.text(1, 1, 13) + "|" + s.text(1, 2, 38) + "|" + std::to_string(session.port_count));
  };
  try {
    start(std::filesystem::temp_directory_path(), "COM1,COM3");
    FAIL() << "start-up went on without the screen files";
  } catch (const kdv::ui::ProgramExit& e) {
    EXPECT_EQ(e.code, 0);
    EXPECT_NE(e.message.find("MESS578.SCN"), std::string::npos);
  }
  const kdv::ui::ScreenModel& s = kdv::ui::screen_model();
  EXPECT_EQ(s.row_text(1), "Loading......" + std::string(67, ' '));
  EXPECT_EQ(s.text(1, 2, 39), "Serial Port Scanning is In-Progress... ");
  EXPECT_EQ(s.win_right(), 80);
  EXPECT_EQ(s.bg(80, 25), 4);  // the whole screen was cleared
  // The ports were scanned before the files were looked for.
  EXPECT_EQ(session.port_count, 2);
  EXPECT_EQ(session.selected_port, "COM1");
  const std::string blank(38, ' ');
  EXPECT_EQ(shown, (std::vector<std::string>{"Loading......|" + blank + "|9",
                                             "Loading......|Serial Port Scanning is In-Progress...|9"}));
}

TEST_F(Startup, EndsInTheOpeningQuestionWithTheDataModelReady) {
  session.arguments = {"BW"};
  EXPECT_THROW(start(KDV578_SOURCE_DIR "/data", ""), kdv::ui::ScriptExhausted);
  const kdv::ui::ScreenModel& s = kdv::ui::screen_model();
  EXPECT_EQ(s.text(30, 13, 18), "COM PORT NOT EXIST");
  ASSERT_NE(session.receivers[0], nullptr);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "Data not loaded          ");
  EXPECT_EQ(session.background, 0);  // monochrome
  EXPECT_TRUE(session.online);
  EXPECT_FALSE(term.cursor_shown);
}

}  // namespace
