// The link fixture (simulator plugged in, scripted terminal in virtual
// time) with the console as the link's host and the transfers' progress,
// plus a log of what the screen showed at every wait: the progress line on
// row 25 and the error field at column 5, row 23.
#pragma once

#include <string>
#include <vector>

#include "app/console_host.h"
#include "app/console_progress.h"
#include "link/link_fixture.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

// The link fixture on a fresh console layer with a scripted terminal.
class ScreenLinkTest : public LinkTest {
 protected:
  ScreenLinkTest() { reset_console_state(); }
  void SetUp() override {
    LinkTest::SetUp();
    kdv::ui::install_terminal(&term);
  }
  void TearDown() override {
    LinkTest::TearDown();
    kdv::ui::install_terminal(nullptr);
  }

  kdv::ui::ScriptTerminal term;
};

class TransferTest : public ScreenLinkTest {
 protected:
  void SetUp() override {
    ScreenLinkTest::SetUp();
    kdv::link::set_host(&kdv::app::console_host());  // the transfers run in the console
    kdv::transfer::set_progress(&console_progress);
    term.on_wait = [this] { watch(); };
  }
  void TearDown() override {
    kdv::transfer::set_progress(nullptr);
    ScreenLinkTest::TearDown();
  }
  // Command codes of the requests, in order.
  std::vector<int> commands() const {
    std::vector<int> codes;
    for (const auto& q : rx.requests()) codes.push_back(q.command);
    return codes;
  }

  // How often the error field showed the text at a wait: each display of
  // show_link_error lasts one wait (its pause).
  int shown(const std::string& error) const {
    int n = 0;
    for (const auto& e : errors)
      if (e == error) ++n;
    return n;
  }

  // Distinct texts row 25 showed, in order (without trailing blanks).
  std::vector<std::string> progress;
  kdv::app::ConsoleProgress console_progress{session};
  std::vector<std::string> errors;  // the error field at every wait
  // Called at every wait after the log has been updated.
  std::function<void()> also;

 private:
  static std::string trimmed(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
  }
  void watch() {
    const std::string row = trimmed(kdv::ui::screen_model().text(1, 25, 79));
    if (!row.empty() && (progress.empty() || progress.back() != row)) progress.push_back(row);
    errors.push_back(trimmed(kdv::ui::screen_model().text(5, 23, 17)));
    if (also) also();
  }
};
