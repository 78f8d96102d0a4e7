// The copy tests' receiver record: every channel with settings of its own,
// so that any copy shows, and the record as it was before; over a fixture
// with the simulator plugged in (by default the link's, without a screen).
#pragma once

#include <string>
#include <vector>

#include "link/link_fixture.h"

template <class Base = LinkTest>
class CopyTestOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    using namespace kdv::model;
    this->session.current_receiver().NO_OF_TX = 2;
    // Distinct settings in every channel, so any copy shows.
    for (int t = 1; t <= 4; ++t) {
      TransmitterRecord& tx = this->session.current_receiver().TRANSMITTER[t];
      tx.CJTEMP = "tx" + std::to_string(t);
      for (int c = 1; c <= 16; ++c) {
        ChannelRecord& ch = tx.CHANNEL[c];
        ch.INPUT_TYPE = static_cast<Byte>(c % 10);
        ch.THC_DRIVE = static_cast<Byte>(c % 3);
        ch.HIGH_ALARM = 100 * t + c;
        ch.LOW_ALARM = -(100 * t + c);
        ch.SCALE_GAIN = t + c / 100.0;
        ch.VALUE = "v" + std::to_string(t) + "." + std::to_string(c);
      }
    }
    this->session.transmitter_number = 1;
    this->session.channel_number = 3;
    original = *this->session.receivers[0];
  }

  // Channels of the record that differ from the original, as "t.c".
  std::vector<std::string> changed() const {
    std::vector<std::string> out;
    for (int t = 1; t <= 4; ++t)
      for (int c = 1; c <= 16; ++c)
        if (this->session.current_receiver().TRANSMITTER[t].CHANNEL[c] != original.TRANSMITTER[t].CHANNEL[c])
          out.push_back(std::to_string(t) + "." + std::to_string(c));
    return out;
  }

  kdv::model::ReceiverRecord original;
};

using CopyTest = CopyTestOn<>;
