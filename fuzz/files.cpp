// The configuration file loader on arbitrary bytes: the data is taken as a
// ".gdt" and as a ".rxd" image. Decoding must never overrun or abort, and a
// decoded record must survive encoding and decoding unchanged.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/disk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  globals::CONFIG_DATA flags;
  if (disk::DECODE_GDT(bytes, flags)) {
    globals::CONFIG_DATA again;
    if (!disk::DECODE_GDT(disk::ENCODE_GDT(flags), again) ||
        disk::ENCODE_GDT(again) != disk::ENCODE_GDT(flags))
      std::abort();
  }

  globals::RECIEVER_DATA rx;
  if (disk::DECODE_RXD(bytes, rx)) {
    const disk::RXD_IMAGE image = disk::ENCODE_RXD(rx);
    globals::RECIEVER_DATA again;
    if (!disk::DECODE_RXD(image, again) || disk::ENCODE_RXD(again) != image) std::abort();
    for (const auto& tx : rx.TRANSMITTER)
      for (const auto& ch : tx.CHANNEL)
        if (ch.ALARM < globals::HIGH || ch.ALARM > globals::OFF || ch.VALUE.size() > 20) std::abort();
  }
  return 0;
}
