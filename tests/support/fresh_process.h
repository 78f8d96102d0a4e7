// Every console fixture starts from the state of a fresh process, whatever
// ran before it: the data model, the screen model and the menus, and a
// session as a new program has it. The installed seams (terminal, port
// factory, the link's host) belong to the fixture that installs them; the
// environment and the working directory to the fixture that changes them.
#pragma once

#include "model/globals.h"
#include "support/fresh_model.h"
#include "ui/crt.h"
#include "ui/wind.h"

inline void reset_console_state() {
  crt::ResetState();
  wind::RESET_STATE();
}

inline void reset_process_state() {
  globals::RESET_STATE();
  reset_console_state();
}

// The data model and the session as FreshModel resets them, then the
// console layer.
class FreshProcess : public FreshModel {
 protected:
  FreshProcess() { reset_console_state(); }
};
