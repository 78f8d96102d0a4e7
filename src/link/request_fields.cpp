// What a request can carry: the number fields, code digits and texts of the
// SET operations, judged without a port, a screen or a record.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "link/command_set.h"

namespace kdv::link {

namespace {

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string number_field_text(double x) {
  // A negative zero prints as "-0.000"; the receiver wants "0.000".
  // cppcheck-suppress duplicateConditionalAssign
  if (x == 0) x = 0;
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 3);
  std::string s(buf, res.ptr);
  if (s.size() < 10) s.insert(0, 10 - s.size(), ' ');
  return s;
}

bool carries(double x) {
  const std::string text = number_field_text(x);
  auto read = [](std::string_view s, double& v) {
    s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
    return parse_decimal(s, v);
  };
  double sent = 0, meant = 0;
  return read(std::string_view(text).substr(0, 10), sent) && read(text, meant) && sent == meant;
}

bool parse_decimal(std::string_view text, double& x) {
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && is_digit(static_cast<std::uint8_t>(text[i]))) ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  if (i != text.size()) return false;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
  x = value;
  return true;
}

bool admits_input_type(int txtype, int code) {
  if (txtype == 2) return code == 0 || code == 13 || code == 15;
  return (code >= 0 && code <= 14) || (code >= 16 && code <= 27);
}

int input_type_as_read(int txtype, int code) { return admits_input_type(txtype, code) ? code : 0; }

int drive_as_read(int code) { return code >= 0 && code <= 2 ? code : 0; }

std::string tag_as_read(std::string_view tag) {
  std::string read(tag.substr(0, 25));
  read.resize(25, ' ');
  for (char& c : read)
    if (static_cast<std::uint8_t>(c) < 0x20 || static_cast<std::uint8_t>(c) > 0x7A) c = ' ';
  return read;
}

bool carries_digit(int code) { return code >= 0 && code <= 0xCF; }

bool carries_text(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<std::uint8_t>(c) < 0x20; });
}

std::optional<std::string> why_uncarried(const kdv::model::SettingKey& key, const kdv::model::Value& value) {
  switch (key.carriage) {
    case kdv::model::Carriage::kDigit: {
      const std::int64_t code = std::get<std::int64_t>(value);
      if (carries_digit(static_cast<int>(code))) return std::nullopt;
      return "the link sends a code as the byte 30h + code, which passes FFh above code CFh (207)";
    }
    case kdv::model::Carriage::kNumber: {
      const double x = std::get<double>(value);
      if (carries(x)) return std::nullopt;
      if (!std::isfinite(x)) return "the link's number field holds no nan or inf";
      return "the link sends \"" + number_field_text(x).substr(0, 10) + "\" for \"" + number_field_text(x) +
             "\": its number field holds 10 characters";
    }
    case kdv::model::Carriage::kText: {
      const std::string& text = std::get<std::string>(value);
      if (carries_text(text)) return std::nullopt;
      return "the link sends no control characters in a text";
    }
    case kdv::model::Carriage::kNever:
    case kdv::model::Carriage::kAlways: return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> why_rounded(const kdv::model::SettingKey& key, const kdv::model::Value& value) {
  if (key.carriage != kdv::model::Carriage::kNumber) return std::nullopt;
  const double x = std::get<double>(value);
  std::string sent = number_field_text(x);
  sent.erase(0, sent.find_first_not_of(' '));
  double arrives = 0;
  if (!carries(x) || !parse_decimal(sent, arrives) || arrives == x) return std::nullopt;
  return "the link carries three decimals and sends " + sent;
}

}  // namespace kdv::link
