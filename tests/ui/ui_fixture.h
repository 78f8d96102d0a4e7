// A test terminal installed around each test, with the data model set up
// and the screen model cleared to the full-screen window.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/globals.h"
#include "ui/crt.h"
#include "ui/script_terminal.h"

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ARGUMENTS.clear();
    globals::INITCOMMS();
    crt::Install(&term);
    crt::Window(1, 1, crt::COLS, crt::ROWS);
    crt::TextColor(7);
    crt::TextBackground(0);
    crt::ClrScr();
  }
  void TearDown() override { crt::Install(nullptr); }

  static crt::ScreenModel& screen() { return crt::Screen(); }
  static std::string at(int col, int row, int len) { return screen().text(col, row, len); }

  crt::ScriptTerminal term;
};
