#pragma once
// Every recording reaches the averaging at 1000 samples/s.

#include <cstddef>
#include <string>
#include <vector>

#include "base/Outcome.h"
#include "record/RecordFormat.h"

namespace wavelet {

// The length of `count` samples at `hz` once at 1000 samples/s (rounded to nearest).
std::size_t ResampledLength(std::size_t count, double hz);

// `values` sampled at `hz` (finite, above 0) at 1000 samples/s: ResampledLength
// samples (as many as the resampler made); at exactly 1000 samples/s `values`
// themselves. The high-quality filter keeps what lies below the lower of the two
// Nyquist rates.
Loaded<std::vector<double>> ResampleTo1000(std::vector<double> values, double hz);

}  // namespace wavelet
