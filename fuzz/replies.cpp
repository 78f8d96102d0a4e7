// Arbitrary reply bytes through reply judging and every reply decoder: the
// first byte chooses the reading, the simulated receiver answers every
// request of it with the remaining bytes.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "link/link.h"
#include "link/outcome.h"
#include "model/records.h"
#include "model/session.h"
#include "sim_port.h"

namespace {

// The link's host without real waits: a hand-held configurator bit in a
// reply would otherwise sleep.
class NoWaits final : public kdv::link::Host {
 public:
  bool escape() override { return false; }
  void before_receive() override {}
  void status_text(std::string_view) override {}
  void pause(unsigned) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static kdv::model::Session session;
  static const bool kInitialised = [] {
    kdv::model::init_model(session);
    static NoWaits host;
    kdv::link::set_host(&host);
    return true;
  }();
  (void)kInitialised;
  static kdv::sim::Receiver rx;
  rx.clear_requests();
  rx.faults.raw_reply = kdv::sim::Bytes(data + 1, data + size);
  kdv::sim::PluggedIn plug(rx, session);
  using kdv::link::Link;
  int type = 0;
  kdv::link::Outcome (*const readings[])(Link&, int&) = {
      [](Link& l, int& t) { return l.READ_INPUT(0, 1, 16, t); },
      [](Link& l, int&) { return l.READ_CJ(0, 2); },
      [](Link& l, int&) { return l.READ_NO_TX(0); },
      [](Link& l, int&) { return l.READ_TXTYPE(0, 3); },
      [](Link& l, int&) { return l.READ_INPTYPE(0, 4, 8); },
      [](Link& l, int&) { return l.READ_ALARMS(0, 1, 1); },
      [](Link& l, int&) { return l.READ_TEMP(0); },
      [](Link& l, int&) { return l.READ_LINEREJ(0); },
      [](Link& l, int& t) { return l.READ_VALS(0, 1, t); },
      [](Link& l, int&) { return l.READ_TAG(0); },
      [](Link& l, int&) { return l.READ_DATAFMT(0); },
      [](Link& l, int&) { return l.READ_CSUMMODE(0); },
      [](Link& l, int&) { return l.READ_COMMS(0); },
      [](Link& l, int&) { return l.READ_ADDRESS(0); },
      [](Link& l, int&) { return l.READ_VERS(0); },
      [](Link& l, int&) { return l.READ_CHECKSUM(0); },
      [](Link& l, int&) { return l.READ_SCALES(0, 2, 12); },
      [](Link& l, int&) { return l.READ_SWITCHES(0); },
      [](Link& l, int&) { return l.SET_SCALES(0, 1, 1); },
  };
  Link link{session};
  readings[data[0] % std::size(readings)](link, type);
  return 0;
}
