// The receiver's refusal codes as the console shows them, for the exchange
// and for the frame trace's reader alike.
#include <iterator>
#include <string>
#include <string_view>

#include "link/outcome.h"

namespace kdv::link {

std::string refusal_text(int code) {
  static constexpr std::string_view kRefusals[] = {
      " Protocol Error", " Wrong Parameters", " Tx/Ch Invalid", " Param Overange",
      " Tx Error",       " Context Error",    " Unknown Error", " Write Disabled"};
  if (code >= 0 && code < static_cast<int>(std::size(kRefusals)))
    return std::string(kRefusals[code]);
  return " Refused code " + std::to_string(code);
}

}  // namespace kdv::link
