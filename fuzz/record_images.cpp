// The configuration file loader on arbitrary bytes: the data is taken as a
// ".gdt" and as a ".rxd" image. Decoding must never overrun or abort, and a
// decoded record must survive encoding and decoding unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/record_images.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  kdv::model::HeldFlagsRecord flags;
  if (kdv::files::decode_gdt(bytes, flags)) {
    kdv::model::HeldFlagsRecord again;
    if (!kdv::files::decode_gdt(kdv::files::encode_gdt(flags), again) ||
        kdv::files::encode_gdt(again) != kdv::files::encode_gdt(flags))
      std::abort();
  }

  kdv::model::ReceiverRecord rx;
  if (kdv::files::decode_rxd(bytes, rx)) {
    const kdv::files::RxdImage image = kdv::files::encode_rxd(rx);
    kdv::model::ReceiverRecord again;
    if (!kdv::files::decode_rxd(image, again) || kdv::files::encode_rxd(again) != image) std::abort();
    for (const auto& tx : rx.TRANSMITTER)
      for (const auto& ch : tx.CHANNEL)
        if (ch.ALARM < kdv::model::kHigh || ch.ALARM > kdv::model::kOff || ch.VALUE.size() > 20) std::abort();
  }
  return 0;
}
