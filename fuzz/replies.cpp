// Arbitrary reply bytes through reply judging and every reply decoder: the
// first byte chooses the reading, the simulated receiver answers every
// request of it with the remaining bytes.
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "link/comms.h"
#include "model/globals.h"
#include "sim_port.h"
#include "ui/crt.h"
#include "ui/script_terminal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const bool initialised = [] {
    globals::INITCOMMS();
    return true;
  }();
  (void)initialised;
  crt::ScriptTerminal term;  // virtual time: no real waits
  crt::Install(&term);
  static sim::Receiver rx;
  rx.clear_requests();
  rx.faults.raw_reply = sim::Bytes(data + 1, data + size);
  {
    sim::PluggedIn plug(rx);
    using namespace comms;
    void (*const readings[])() = {
        [] { READ_INPUT(0, 1, 16); },  [] { READ_CJ(0, 2); },         [] { READ_NO_TX(0); },
        [] { READ_TXTYPE(0, 3); },     [] { READ_INPTYPE(0, 4, 8); }, [] { READ_ALARMS(0, 1, 1); },
        [] { READ_TEMP(0); },          [] { READ_LINEREJ(0); },       [] { READ_VALS(0, 1); },
        [] { READ_TAG(0); },           [] { READ_DATAFMT(0); },       [] { READ_CSUMMODE(0); },
        [] { READ_COMMS(0); },         [] { READ_ADDRESS(0); },       [] { READ_VERS(0); },
        [] { READ_CHECKSUM(0); },      [] { READ_SCALES(0, 2, 12); }, [] { READ_SWITCHES(0); },
        [] { SET_SCALES(0, 1, 1); },
    };
    globals::MSGERROR = false;
    readings[data[0] % std::size(readings)]();
  }
  crt::Install(nullptr);
  return 0;
}
