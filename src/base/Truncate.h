#pragma once
// The one conversion of computed numbers to int. Figures truncate toward zero; a
// hostile record can give magnitudes far beyond any image or page, infinities and
// NaN, and converting a value that does not fit is undefined, so values are held at
// the caller's bounds first.

#include <cstdint>
#include <limits>

namespace wavelet {

inline constexpr int kIntLowest = std::numeric_limits<int>::min();
inline constexpr int kIntHighest = std::numeric_limits<int>::max();

// `value` truncated toward zero, held within lowest..highest (lowest <= 0 <= highest);
// NaN gives 0.
constexpr int TruncateToInt(double value, int lowest = kIntLowest, int highest = kIntHighest) {
  if (value != value) return 0;
  if (value >= highest) return highest;
  if (value <= lowest) return lowest;
  return static_cast<int>(value);
}

// A 64-bit integer held within lowest..highest.
constexpr int SaturateToInt(std::int64_t value, int lowest = kIntLowest,
                            int highest = kIntHighest) {
  if (value >= highest) return highest;
  if (value <= lowest) return lowest;
  return static_cast<int>(value);
}

}  // namespace wavelet
