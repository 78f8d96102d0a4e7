// Screens that talk to the receiver, driven through the test terminal with
// the receiver simulator plugged in as the serial port.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "app/console_host.h"
#include "app/console_progress.h"
#include "link/link.h"
#include "model/records.h"
#include "sim_port.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"
#include "ui/screen_file_loading.h"

// A scripted terminal whose keys wait for the menus and boxes that read
// them: the link's Escape test during an exchange (a key poll) sees no key
// unless exchanges_see_keys is set, so a script can run through screens
// that exchange with the receiver in between.
class MenuTerminal : public kdv::ui::ScriptTerminal {
 public:
  bool exchanges_see_keys = false;
  void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) override {
    if (timeout_ms == 0 && !exchanges_see_keys) return;
    ScriptTerminal::fetch_keys(queue, timeout_ms);
  }
};

class SimMenuTest : public FreshProcess {
 protected:
  void SetUp() override {
    kdv::model::init_model(session);
    session.online = true;  // as the console starts
    kdv::ui::load_screen_files(session, KDV578_SOURCE_DIR "/data");
    kdv::ui::install_terminal(&term);
    kdv::link::set_host(&kdv::app::console_host());
    kdv::transfer::set_progress(&console_progress);
  }
  void TearDown() override {
    kdv::link::set_host(nullptr);
    kdv::transfer::set_progress(nullptr);
    kdv::ui::install_terminal(nullptr);
  }

  static kdv::ui::ScreenModel& screen() { return kdv::ui::screen_model(); }
  static std::string at(int col, int row, int len) { return screen().text(col, row, len); }
  std::string msg(int i) const { return session.messages[i].str(); }

  // Requests of one command the simulator has received.
  int requests(int command) const {
    int n = 0;
    for (const kdv::sim::Request& q : rx.requests()) n += q.command == command;
    return n;
  }

  MenuTerminal term;
  kdv::sim::Receiver rx;
  kdv::sim::PluggedIn plug{rx, session};
  kdv::app::ConsoleProgress console_progress{session};
};
