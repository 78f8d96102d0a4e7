// A test terminal installed around each test, with the data model set up
// and a fresh screen model (blank, the full-screen window).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/globals.h"
#include "support/fresh_process.h"
#include "ui/crt.h"
#include "ui/script_terminal.h"

class UiTest : public FreshProcess {
 protected:
  void SetUp() override {
    kdv::model::INITCOMMS(session);
    kdv::ui::Install(&term);
  }
  void TearDown() override { kdv::ui::Install(nullptr); }

  static kdv::ui::ScreenModel& screen() { return kdv::ui::Screen(); }
  static std::string at(int col, int row, int len) { return screen().text(col, row, len); }

  kdv::ui::ScriptTerminal term;
};
