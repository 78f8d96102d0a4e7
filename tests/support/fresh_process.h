// Every fixture starts from the state of a fresh process, whatever ran
// before it: the screen model, and a session as a new program has it (no
// records, messages or menus). The installed seams (terminal, port factory,
// the link's host) belong to the fixture that installs them; the environment
// and the working directory to the fixture that changes them.
#pragma once

#include <gtest/gtest.h>

#include "model/session.h"
#include "ui/crt.h"

inline void reset_process_state() {
  crt::ResetState();
}

// Resets on construction, before the members of a derived fixture are made:
// some take state as they are made (sim::PluggedIn selects its port).
class FreshProcess : public ::testing::Test {
 protected:
  FreshProcess() {
    reset_process_state();
    session.reset();
  }

  globals::Session session;
};
