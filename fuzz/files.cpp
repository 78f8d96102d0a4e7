// The configuration file loader on arbitrary bytes: the data is taken as a
// ".gdt" and as a ".rxd" image. Decoding must never overrun or abort, and a
// decoded record must survive encoding and decoding unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/disk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  kdv::model::CONFIG_DATA flags;
  if (kdv::files::DECODE_GDT(bytes, flags)) {
    kdv::model::CONFIG_DATA again;
    if (!kdv::files::DECODE_GDT(kdv::files::ENCODE_GDT(flags), again) ||
        kdv::files::ENCODE_GDT(again) != kdv::files::ENCODE_GDT(flags))
      std::abort();
  }

  kdv::model::RECIEVER_DATA rx;
  if (kdv::files::DECODE_RXD(bytes, rx)) {
    const kdv::files::RXD_IMAGE image = kdv::files::ENCODE_RXD(rx);
    kdv::model::RECIEVER_DATA again;
    if (!kdv::files::DECODE_RXD(image, again) || kdv::files::ENCODE_RXD(again) != image) std::abort();
    for (const auto& tx : rx.TRANSMITTER)
      for (const auto& ch : tx.CHANNEL)
        if (ch.ALARM < kdv::model::HIGH || ch.ALARM > kdv::model::OFF || ch.VALUE.size() > 20) std::abort();
  }
  return 0;
}
