// Arbitrary bytes on the simulator's line: request framing, every command's
// parameter checks and the replies built from whatever state they leave.
#include <cstddef>
#include <cstdint>

#include "receiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kdv::sim::Receiver kFresh;
  kdv::sim::Receiver rx = kFresh;
  for (std::size_t i = 0; i < size; ++i) rx.receive(data[i]);
  return 0;
}
