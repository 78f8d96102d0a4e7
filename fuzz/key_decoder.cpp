// Feeds arbitrary terminal input to the key decoder. Besides not crashing,
// the decoder must (1) hand out every extended key whole, 0 then a non-zero
// scan code, and (2) give the same keys however the bytes are split across
// reads, as long as the Escape delay runs out only at the end.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ui/key_decoder.h"

namespace {

using Codes = std::vector<std::uint8_t>;

Codes in_chunks(const kdv::ui::KeyDecoder& d, std::string_view bytes, std::size_t chunk) {
  Codes codes;
  std::string pending;
  for (std::size_t i = 0; i < bytes.size(); i += chunk) {
    pending.append(bytes.substr(i, chunk));
    pending.erase(0, d.decode(pending, true, codes));
  }
  if (d.decode(pending, false, codes) != pending.size()) std::abort();
  return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool utf8 = data[0] & 1;
  const std::size_t chunk = 1 + (data[0] >> 1) % 8;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  kdv::ui::KeyDecoder d(utf8);
  d.learn("\x1b[P", kdv::ui::scan::kDelete);

  Codes whole;
  if (d.decode(bytes, false, whole) != bytes.size()) std::abort();  // settled input is used up
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (whole[i] != 0) continue;
    if (i + 1 == whole.size() || whole[i + 1] == 0) std::abort();  // 0 without its scan code
    ++i;
  }
  if (in_chunks(d, bytes, chunk) != whole) std::abort();
  return 0;
}
