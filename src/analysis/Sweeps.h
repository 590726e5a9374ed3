#pragma once
// The fine scale sweeps of the spectrogram and the map views.

#include <vector>

namespace wavelet {

// The sweeps run from b = 3.5 while b > 1.5, subtracting the step after every row.
inline constexpr double kSweepFirstScale = 3.5;
inline constexpr double kSweepLastScaleBound = 1.5;
inline constexpr double kSpectrogramStep = 0.08;
inline constexpr double kMapStep = 0.015;

// The scale parameters of a sweep, by repeated subtraction (25 for the spectrogram,
// 134 for the map).
inline std::vector<double> SweepScales(double step) {
  std::vector<double> scales;
  for (double b = kSweepFirstScale; b > kSweepLastScaleBound; b -= step) scales.push_back(b);
  return scales;
}

}  // namespace wavelet
