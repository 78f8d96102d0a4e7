// Drives the settings screens through the scripted terminal: a user who
// types only when the program waits for a key (so the link's Escape test
// never swallows the script), a plain menu layout of two columns of twelve
// cells on every screen, and the messages the editors show.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/console_host.h"
#include "app/console_progress.h"
#include "model/records.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"
#include "ui/menu.h"

namespace edit_test {

class User : public kdv::ui::ScriptTerminal {
 public:
  void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) override {
    if (timeout_ms >= 0) return;
    ScriptTerminal::fetch_keys(queue, timeout_ms);
  }
  // Keeps every distinct screen presented, for texts that a later redraw
  // covers again (message boxes, notices).
  void present(kdv::ui::ScreenModel& model) override {
    std::string all;
    for (int r = 1; r <= kdv::ui::kRows; ++r) all += model.row_text(r) + '\n';
    if (screens.empty() || screens.back() != all) screens.push_back(all);
    ScriptTerminal::present(model);
  }
  bool was_shown(const std::string& text) const {
    for (const std::string& s : screens)
      if (s.find(text) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> screens;

  // Keys that move a menu highlight from cell (c1, r1) to (c2, r2).
  void move(int c1, int r1, int c2, int r2) {
    for (; c1 < c2; ++c1) right();
    for (; c1 > c2; --c1) left();
    for (; r1 < r2; ++r1) down();
    for (; r1 > r2; --r1) up();
  }
  void downs(int n) { for (int i = 0; i < n; ++i) down(); }
  void ups(int n) { for (int i = 0; i < n; ++i) up(); }
  void key() { type("x"); }
};

class EditTest : public FreshProcess {
 protected:
  void SetUp() override {
    kdv::model::init_model(session);
    session.online = false;
    for (int s = 1; s <= kdv::model::kScreenCount; ++s) {
      kdv::model::MenuScreen& scr = session.screens[s];
      scr.column_count = 2;
      scr.row_count[1] = scr.row_count[2] = 12;
      for (int c = 1; c <= 2; ++c)
        for (int r = 1; r <= 12; ++r) {
          kdv::model::MenuCell& cell = scr.cells[c][r];
          cell.label = "Cell " + std::to_string(c) + "," + std::to_string(r);
          cell.x = static_cast<kdv::ui::Byte>(2 + 39 * (c - 1));
          cell.y = static_cast<kdv::ui::Byte>(6 + r);
          cell.help_line1 = "help";
        }
    }
    session.messages[27] = "Drive Off";
    session.messages[28] = "Drive Up";
    session.messages[29] = "Drive Down";
    session.messages[31] = "None";
    session.messages[32] = "Odd";
    session.messages[33] = "Even";
    session.messages[52] = "Arrows then Enter";
    session.messages[53] = "Working...";
    session.messages[96] = "Quit (Y/N)?";
    session.messages[97] = "Cold junction";
    session.messages[98] = "Not applicable";
    session.cursor_column = session.cursor_row = 1;
    session.screen_number = 1;
    kdv::ui::install_terminal(&user);
    kdv::link::set_host(&kdv::app::console_host());
    kdv::transfer::set_progress(&console_progress);
  }
  void TearDown() override {
    kdv::link::set_host(nullptr);
    kdv::transfer::set_progress(nullptr);
    kdv::ui::install_terminal(nullptr);
  }

  // Runs a screen or editor; the script must carry it to its end.
  template <class R>
  void run(R (*editor)(kdv::model::Session&)) {
    run([this, editor] { editor(session); });
  }
  void run(const std::function<void()>& f) {
    try {
      f();
    } catch (const kdv::ui::ScriptExhausted&) {
      ADD_FAILURE() << "the key script ran out";
    }
    EXPECT_EQ(user.keys_left(), 0u) << "keys left unread";
  }

  static std::string row(int r) { return kdv::ui::screen_model().row_text(r); }
  static bool shows(const std::string& text) {
    for (int r = 1; r <= kdv::ui::kRows; ++r)
      if (row(r).find(text) != std::string::npos) return true;
    return false;
  }

  kdv::model::ReceiverRecord& rx() { return session.current_receiver(); }
  // The current channel unless t and c are given.
  kdv::model::ChannelRecord& ch(int t = 0, int c = 0) {
    return rx().TRANSMITTER[t ? t : session.transmitter_number].CHANNEL[c ? c : session.channel_number];
  }

  User user;
  kdv::app::ConsoleProgress console_progress{session};
};

}  // namespace edit_test
