// A test terminal installed around each test, with the data model set up
// and a fresh screen model (blank, the full-screen window).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/records.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

class UiTest : public FreshProcess {
 protected:
  void SetUp() override {
    kdv::model::init_model(session);
    kdv::ui::install_terminal(&term);
  }
  void TearDown() override { kdv::ui::install_terminal(nullptr); }

  static kdv::ui::ScreenModel& screen() { return kdv::ui::screen_model(); }
  static std::string at(int col, int row, int len) { return screen().text(col, row, len); }

  kdv::ui::ScriptTerminal term;
};
