#include "edit/confval.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace confval {

using globals::byte;

namespace {

// N digits of D in the given base. Each digit is the low byte of the
// quotient; a value of base or more (D too large for N digits, or negative)
// shows as "?" and only that byte's worth is taken away before the next one.
std::string digits(double D, int N, int base, int max_digits) {
  N = std::clamp(N, 0, max_digits);
  double DV = 1;
  for (int i = 1; i < N; ++i) DV *= base;
  std::string out;
  for (int i = 1; i <= N; ++i) {
    double t = std::fmod(std::trunc(D / DV), 256.0);
    if (t < 0) t += 256;
    D -= t * DV;
    DV /= base;
    const int d = static_cast<int>(t);
    out += d < base ? "0123456789ABCDEF"[d] : '?';
  }
  return out;
}

}  // namespace

std::string TOHEX(double D, int N) { return digits(D, N, 16, 8); }

std::string TOBIN(double D, int N) { return digits(D, N, 2, 32); }

std::string FLIPSTR(std::string_view S, int N) {
  const auto n = static_cast<std::size_t>(std::clamp(N, 0, 32));
  std::string head(S.substr(0, n));
  return {head.rbegin(), head.rend()};
}

std::string IPTYPESTRING(byte tt, byte it) {
  if (tt == 1) {
    if (it <= 14) return globals::IPTYPE571A[it + 1].str();
    if (it >= 16 && it <= 27) return globals::IPTYPE571B[it - 15].str();
    return "Invalid";
  }
  switch (it) {
    case 0: return globals::IPTYPE572[1].str();
    case 13: return globals::IPTYPE572[2].str();
    case 15: return globals::IPTYPE572[3].str();
    default: return "Invalid";
  }
}

std::string FIXED(double x, int width, int decimals) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, x);
  std::string s(buf, static_cast<std::size_t>(std::clamp(n, 0, 63)));
  // A value that rounds to zero shows without a sign.
  if (const auto minus = s.find('-');
      minus != std::string::npos && s.find_first_of("123456789") == std::string::npos)
    s.replace(minus, 1, " ");
  return s;
}

std::string CHECKSUMSTR(std::int32_t value, byte base) {
  if (base == 0) return FIXED(value, 9, 0);
  return "     " + TOHEX(value, 4) + "  hex";
}

}  // namespace confval
