#pragma once
// A number with a fixed count of decimals ("0.458", "15.24"), as the tables of the
// late potentials and of the averaging give their microvolts.

#include <cstdio>
#include <string>

namespace wavelet {

inline std::string FixedDecimals(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace wavelet
