// Port names: which device a name opens, and the list of the machine's
// serial ports.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace kdv::link {

namespace {

namespace fs = std::filesystem;

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ttyS2 before ttyS10: runs of digits compare by value.
bool natural_less(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
    const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
    if (da && db) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      std::string_view na(a.data() + i, ei - i), nb(b.data() + j, ej - j);
      while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
      while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return i == a.size() && j < b.size();
}

// A legacy UART the kernel lists without hardware behind it has type 0.
bool phantom_uart(const fs::path& entry) {
  std::ifstream type(entry / "type");
  int value = -1;
  return type >> value && value == 0;
}

std::string join(const std::vector<std::string>& names) {
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) joined += (i ? "," : "") + names[i];
  return joined;
}

}  // namespace

std::string device_path(std::string_view name) {
  if (name.size() > 3 && all_digits(name.substr(3))) {
    std::string prefix(name.substr(0, 3));
    for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const long n = std::strtol(std::string(name.substr(3)).c_str(), nullptr, 10);
    if (prefix == "COM" && n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
  }
  if (name.find('/') != std::string_view::npos) return std::string(name);
  return "/dev/" + std::string(name);
}

std::string serial_port_names(const std::string& sysfs_root) {
  std::vector<std::string> names;
  if (const char* list = std::getenv("KDV578_PORTS")) {
    // The entries as given, blanks around them dropped.
    std::string_view rest(list);
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      std::string_view entry = rest.substr(0, comma);
      while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
      while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
      names.emplace_back(entry);
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return join(names);
  }
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sysfs_root, ec)) {
    std::error_code e2;
    const bool has_device = fs::exists(entry.path() / "device", e2);
    if (has_device && !phantom_uart(entry.path())) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end(), natural_less);
  return join(names);
}

}  // namespace kdv::link
