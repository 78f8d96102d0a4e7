// The frame trace reader on arbitrary text: no crash, no hang, and what it
// reports holds together (fields only with a good reply, a turnaround only
// where a reply ended, every exchange on a line of the text).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "link/trace_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kdv::link::DecodedTrace trace = kdv::link::decode_trace(text);
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const kdv::link::TracedExchange& e : trace.exchanges) {
    const bool replied = e.verdict == kdv::link::Verdict::kGood || e.verdict == kdv::link::Verdict::kRefused ||
                         e.verdict == kdv::link::Verdict::kInvalid;
    if ((!e.fields.empty() && e.verdict != kdv::link::Verdict::kGood) || e.turnaround_ms.has_value() != replied ||
        e.line < 1 || e.line > lines || kdv::link::verdict_name(e.verdict).empty())
      std::abort();
  }
  return 0;
}
