// A fresh data model, the receiver simulator plugged in as the port, a link
// and a host that answers Escape at a chosen key poll and records what the
// link asks of it, in virtual time; no screen.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/serial_port.h"
#include "model/records.h"
#include "sim_port.h"
#include "support/fresh_model.h"

class TestHost final : public kdv::link::Host {
 public:
  int escape_at = 0;  // the key poll that answers Escape (1 the first, 0 none)
  int polls = 0;
  int receives = 0;
  std::function<void()> on_receive;  // before every receive wait
  std::function<void()> on_poll;     // at every key poll
  const kdv::link::StopSignal* stop = nullptr;
  std::vector<std::string> texts;    // for the bottom row
  std::vector<unsigned> pauses;

  bool escape() override {
    ++polls;
    if (on_poll) on_poll();
    return polls == escape_at;
  }
  void before_receive() override {
    ++receives;
    if (on_receive) on_receive();
  }
  void status_text(std::string_view text) override { texts.emplace_back(text); }
  void pause(unsigned ms) override { pauses.push_back(ms); }
  const kdv::link::StopSignal* stop_signal() override { return stop; }
};

class LinkTest : public FreshModel {
 protected:
  void SetUp() override {
    kdv::model::init_model(session);
    session.messages[53] = "Working...";
    kdv::link::set_host(&host);
  }
  void TearDown() override { kdv::link::set_host(nullptr); }

  // The request frames the receiver got, as bytes on the line.
  std::string frame(std::size_t i) const {
    const kdv::sim::Bytes f = kdv::sim::Receiver::frame_of(rx.requests().at(i));
    return std::string(f.begin(), f.end());
  }
  std::size_t requests() const { return rx.requests().size(); }

  TestHost host;
  kdv::sim::Receiver rx;
  kdv::sim::PluggedIn plug{rx, session};
  kdv::link::Link link{session};
};
