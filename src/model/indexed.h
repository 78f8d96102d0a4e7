// Arrays indexed as the receiver numbers things (transmitters 1..4, channels
// 1..16, messages 1..100). An index outside the range is a programming error
// and stops the program before it can corrupt a record.
#pragma once

#include <array>
#include <cstdlib>

namespace kdv::model {

template <class T, int Lo, int Hi>
class Indexed {
  static_assert(Lo <= Hi);

 public:
  static constexpr int kLow = Lo;
  static constexpr int kHigh = Hi;
  static constexpr int kCount = Hi - Lo + 1;

  constexpr T& operator[](int i) { return items_[offset(i)]; }
  constexpr const T& operator[](int i) const { return items_[offset(i)]; }

  constexpr auto begin() { return items_.begin(); }
  constexpr auto end() { return items_.end(); }
  constexpr auto begin() const { return items_.begin(); }
  constexpr auto end() const { return items_.end(); }

  friend constexpr bool operator==(const Indexed&, const Indexed&) = default;

 private:
  static constexpr std::size_t offset(int i) {
    if (i < Lo || i > Hi) std::abort();
    return static_cast<std::size_t>(i - Lo);
  }
  std::array<T, kCount> items_{};
};

}  // namespace kdv::model
