// The listing of saved configurations: which names it holds, and how its
// column shows one.
#include <algorithm>
#include <filesystem>

#include "files/saved_files.h"

namespace kdv::files {

std::vector<std::string> saved_configurations() {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(".", ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code type_ec;
    if (name.ends_with(".gdt") && it->is_regular_file(type_ec)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string listed(std::string name) {
  constexpr std::size_t kColumn = 17;
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }, '?');
  name.resize(std::min(name.size(), kColumn));
  return std::string(kColumn - name.size(), ' ').append(name);
}

}  // namespace kdv::files
