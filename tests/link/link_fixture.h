// A fresh data model, a scripted terminal in virtual time and the receiver
// simulator plugged in as the port.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/comms.h"
#include "model/globals.h"
#include "sim_port.h"
#include "support/fresh_process.h"
#include "ui/crt.h"
#include "ui/script_terminal.h"

class LinkTest : public FreshProcess {
 protected:
  void SetUp() override {
    globals::INITCOMMS();
    globals::MESSAGE[53] = "Working...";
    crt::Install(&term);
  }
  void TearDown() override { crt::Install(nullptr); }

  // The request frames the receiver got, as bytes on the line.
  std::string frame(std::size_t i) const {
    const sim::Bytes f = sim::Receiver::frame_of(rx.requests().at(i));
    return std::string(f.begin(), f.end());
  }
  std::size_t requests() const { return rx.requests().size(); }

  crt::ScriptTerminal term;
  sim::Receiver rx;
  sim::PluggedIn plug{rx};
};
