// Every headless fixture starts from the data model and a session as a fresh
// process has them, whatever ran before it. The installed seams (port
// factory, the link's host) belong to the fixture that installs them; the
// environment and the working directory to the fixture that changes them.
#pragma once

#include <gtest/gtest.h>

#include "model/session.h"

// Resets on construction, before the members of a derived fixture are made:
// some take state as they are made (kdv::sim::PluggedIn selects its port).
class FreshModel : public ::testing::Test {
 protected:
  FreshModel() { session.reset(); }

  kdv::model::Session session;
};
