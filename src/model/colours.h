// The numbers of the 16-colour text palette that the colour roles and the
// fixed-colour texts use.
#pragma once

namespace kdv::model {

inline constexpr int kBlack = 0;
inline constexpr int kBlue = 1;
inline constexpr int kRed = 4;
inline constexpr int kMagenta = 5;
inline constexpr int kYellow = 14;
inline constexpr int kWhite = 15;

}  // namespace kdv::model
