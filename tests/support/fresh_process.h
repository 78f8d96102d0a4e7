// Every console fixture starts from the state of a fresh process, whatever
// ran before it: a session as a new program has it (no records, messages or
// menus), then the screen model. The installed seams (terminal, port
// factory, the link's host) belong to the fixture that installs them; the
// environment and the working directory to the fixture that changes them.
#pragma once

#include "support/fresh_model.h"
#include "ui/console.h"

inline void reset_console_state() { kdv::ui::reset_console(); }

// The session as FreshModel resets it, then the console layer.
class FreshProcess : public FreshModel {
 protected:
  FreshProcess() { reset_console_state(); }
};
