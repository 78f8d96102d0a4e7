#include "model/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace kdv::model {

namespace {

std::string pad_left(std::string s, int width) {
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

}  // namespace

// Every double has a finite decimal expansion, at most 1074 digits after
// the point. Written out in full, the first dropped digit alone decides:
// 5 or more rounds the magnitude up, which sends exact halves away from zero.
std::string fixed_decimal(double value, int width, int decimals) {
  int exponent = 0;
  std::frexp(value, &exponent);
  const int digits = std::isfinite(value) ? std::max(std::clamp(53 - exponent, 0, 1074), decimals + 1) : decimals;
  char buf[1500];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, digits);
  if (ec != std::errc()) return pad_left("?", width);
  std::string s(buf, end);
  const std::size_t point = s.find('.');
  if (point == std::string::npos) return pad_left(s, width);  // infinite or not a number
  bool up = s[point + 1 + static_cast<std::size_t>(decimals)] >= '5';
  s.resize(decimals ? point + 1 + static_cast<std::size_t>(decimals) : point);
  for (std::size_t i = s.size(); up; --i) {
    if (i == 0 || s[i - 1] == '-') {
      s.insert(i, 1, '1');
      break;
    }
    if (s[i - 1] == '.') continue;
    up = s[i - 1] == '9';
    s[i - 1] = up ? '0' : static_cast<char>(s[i - 1] + 1);
  }
  if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return pad_left(s, width);
}

std::string right_aligned(int value, int width) { return pad_left(std::to_string(value), width); }

std::string input_type_name(Byte tt, Byte it) {
  if (tt == 1) {
    if (it <= 14) return kInputTypes571Page1[it + 1].str();
    if (it >= 16 && it <= 27) return kInputTypes571Page2[it - 15].str();
    return "Invalid";
  }
  switch (it) {
    case 0: return kInputTypes572[1].str();
    case 13: return kInputTypes572[2].str();
    case 15: return kInputTypes572[3].str();
    default: return "Invalid";
  }
}

std::string units_text(Byte units) {
  switch (units) {
    case 1: return std::string("     ") + kDegreeSign + "C";
    case 2: return std::string("     ") + kDegreeSign + "F";
    case 3: return "      K";
    default: return "error";
  }
}

}  // namespace kdv::model
