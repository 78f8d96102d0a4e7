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
    globals::INITCOMMS(session);
    crt::Install(&term);
  }
  void TearDown() override { crt::Install(nullptr); }

  static crt::ScreenModel& screen() { return crt::Screen(); }
  static std::string at(int col, int row, int len) { return screen().text(col, row, len); }

  crt::ScriptTerminal term;
};
