// A user's journey through the real program on a real terminal: the session
// of tmux_session.h plus the steps every journey takes (answer the opening
// question, move the main menu's highlight, upload, quit and check the
// terminal). Steps report failures through gtest; call them inside
// ASSERT_NO_FATAL_FAILURE.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "e2e/tmux_session.h"

namespace e2e {

using namespace std::chrono_literals;

// Waits long enough for a loaded machine (CI runs two test binaries at once).
inline constexpr std::chrono::milliseconds kShort = 15s;
inline constexpr std::chrono::milliseconds kLong = 60s;

// Command bytes of requests, as the simulator logs them.
inline constexpr char kTag = 0x30 + 17;
inline constexpr char kConfirm = 0x30 + 25;
inline constexpr char kSignoff = 0x30 + 28;
inline constexpr char kScales = 0x30 + 35;

class Journey {
 public:
  // The simulator always logs its requests, so steps can tell when a
  // command has reached the line.
  explicit Journey(Setup setup = {}) : s(verbose(std::move(setup))) {}

  TmuxSession s;

  std::string dump() {
    std::string all;
    for (const std::string& line : s.screen()) all += line + "\n";
    return all;
  }
  bool shows(const std::string& text) { return dump().find(text) != std::string::npos; }

  // Keys one at a time, as tmux key names.
  void press(std::initializer_list<const char*> names) {
    for (const char* k : names) s.keys(k);
  }

  // Answers the opening question: YES uploads at once.
  void open(bool upload) {
    ASSERT_TRUE(s.started()) << s.error();
    ASSERT_TRUE(s.wait_for("Upload  Data", kShort)) << dump();
    if (upload) {
      press({"Down", "Enter"});
      ASSERT_NO_FATAL_FAILURE(uploaded());
    } else {
      press({"Enter"});
      ASSERT_NO_FATAL_FAILURE(at_menu());
    }
  }

  // Waits until the main menu is up and idle: its labels shown, the
  // progress row and the error field empty.
  void at_menu() {
    const auto end = std::chrono::steady_clock::now() + kLong;
    for (;;) {
      const std::vector<std::string> rows = s.screen();
      const bool idle = rows[7].find("Upload") != std::string::npos &&
                        rows[11].find("Monitor all") != std::string::npos &&
                        rows[24].find_first_not_of(' ') == std::string::npos &&
                        rows[22].find("ABORTED") == std::string::npos;
      if (idle) return;
      ASSERT_LT(std::chrono::steady_clock::now(), end) << "main menu not back\n" << dump();
      std::this_thread::sleep_for(100ms);
    }
  }

  // Moves the main menu's highlight to (column, row) and runs that command.
  void choose(int column, int row) {
    ASSERT_NO_FATAL_FAILURE(at_menu());
    std::string keys;
    for (int r = row_; r > 1; --r) keys += " Up";
    for (int c = column_; c < column; ++c) keys += " Right";
    for (int c = column_; c > column; --c) keys += " Left";
    for (int r = 1; r < row; ++r) keys += " Down";
    s.keys(keys + " Enter");
    column_ = column;
    row_ = row;
  }

  // An upload from the main menu, waited for to its end: it has begun once
  // the tag is asked for, and shows its progress on the bottom row until it
  // ends.
  void upload() {
    const int tags = requests(kTag);
    ASSERT_NO_FATAL_FAILURE(choose(1, 1));
    ASSERT_TRUE(sent(kTag, tags + 1)) << dump();
    ASSERT_NO_FATAL_FAILURE(uploaded());
  }
  // The end of a successful upload: the status box shows the versions.
  void uploaded() {
    ASSERT_TRUE(s.wait_for("HCA:   2.04", kLong)) << dump();
    ASSERT_NO_FATAL_FAILURE(at_menu());
    EXPECT_TRUE(shows("IP:   3.21"));
  }

  // Opens the tag's entry box in the receiver settings menu, once that menu
  // shows the tag it holds.
  void tag_field(const std::string& tag) {
    ASSERT_NO_FATAL_FAILURE(choose(1, 2));
    ASSERT_TRUE(s.wait_for(tag, kShort)) << dump();
    press({"Down", "Enter"});
    ASSERT_TRUE(s.wait_for("   Tag", kShort)) << dump();
  }

  // The online/offline window of the main menu.
  void go_online(bool online) {
    ASSERT_NO_FATAL_FAILURE(choose(2, 2));
    ASSERT_TRUE(s.wait_for("     Offline", kShort)) << dump();
    press({online ? "Down" : "Up", "Enter"});
    ASSERT_TRUE(s.wait_for(online ? "Link mode            Online" : "Link mode           Offline", kShort))
        << dump();
  }

  // The simulator stopped and started again with new options.
  bool restart(std::vector<std::string> sim_args) {
    sim_args.push_back("--verbose");
    return s.restart_simulator(sim_args);
  }

  // Request frames of one command in the simulator's log (--verbose: one
  // line per request; the command byte follows "cP", receiver 0).
  static int count(const std::string& log, char command) {
    const std::string frame = std::string("cP") + command;
    int n = 0;
    for (std::size_t at = 0; (at = log.find(frame, at)) != std::string::npos; ++at) ++n;
    return n;
  }
  int requests(char command) { return count(s.simulator_log(), command); }
  // Waits until the simulator has seen that many requests of the command.
  bool sent(char command, int n) {
    return until([&] { return requests(command) >= n; }, kLong);
  }
  // Waits until done() holds; false after the limit.
  template <class Pred>
  static bool until(Pred done, std::chrono::milliseconds limit = kShort) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      std::this_thread::sleep_for(50ms);
    }
    return true;
  }

  // Alt-X and yes: the program ends with code 0 and leaves the terminal in
  // its normal modes, the menu screen gone.
  void quit() {
    ASSERT_NO_FATAL_FAILURE(at_menu());
    press({"M-x"});
    ASSERT_TRUE(s.wait_for("Exit program (Y/N)", kShort)) << dump();
    s.text("y");
    const std::optional<int> code = s.wait_exit(kShort);
    ASSERT_TRUE(code.has_value()) << dump();
    EXPECT_EQ(*code, 0);
    expect_terminal_restored();
  }
  void expect_terminal_restored() {
    const std::string stty = s.stty_after_exit();
    EXPECT_NE(stty.find(" icanon"), std::string::npos) << stty;
    EXPECT_NE(stty.find(" echo "), std::string::npos) << stty;
    EXPECT_FALSE(shows("STATUS")) << dump();
  }

 private:
  static Setup verbose(Setup setup) {
    setup.sim_args.push_back("--verbose");
    return setup;
  }

  int column_ = 1;  // the main menu's highlight
  int row_ = 1;
};

}  // namespace e2e
