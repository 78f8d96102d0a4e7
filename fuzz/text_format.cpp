// The configuration text reader on arbitrary documents: no crash, no hang,
// and a document it accepts converts to a record whose document reads back
// to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/record_images.h"
#include "files/text_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view doc(reinterpret_cast<const char*>(data), size);
  const kdv::files::TextRead read = kdv::files::read_text(doc, {size % 2 == 1, {}});
  if (!read.ok()) return 0;
  const kdv::files::TextRead again = kdv::files::read_text(kdv::files::write_text(read.config));
  if (!again.ok() || kdv::files::encode_rxd(again.config.rx) != kdv::files::encode_rxd(read.config.rx) ||
      kdv::files::encode_gdt(again.config.flags) != kdv::files::encode_gdt(read.config.flags))
    std::abort();
  return 0;
}
