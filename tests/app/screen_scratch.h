// A scratch directory (files/scratch_dir.h) for the console's file and
// report screens.
#pragma once

#include <string>

#include "files/scratch_dir.h"
#include "model/records.h"
#include "support/fresh_process.h"
#include "ui/console.h"
#include "ui/script_terminal.h"

// A scratch directory with a fresh process and a scripted terminal; `seen`
// collects every screen shown at a wait, to find a message that has passed.
class ScreenScratch : public ScratchDirOn<FreshProcess> {
 protected:
  void SetUp() override {
    ScratchDirOn<FreshProcess>::SetUp();
    kdv::ui::install_terminal(&term);
    kdv::model::init_model(session);
    term.on_wait = [this] {
      for (int row = 1; row <= 25; ++row) seen += kdv::ui::screen_model().row_text(row) + "\n";
    };
  }
  void TearDown() override {
    kdv::ui::install_terminal(nullptr);
    ScratchDirOn<FreshProcess>::TearDown();
  }
  static std::string row(int r, int col = 1, int len = 80) { return kdv::ui::screen_model().text(col, r, len); }

  kdv::ui::ScriptTerminal term;
  std::string seen;
};
