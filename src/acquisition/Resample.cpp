#include "acquisition/Resample.h"

#include <soxr.h>

#include <cmath>
#include <cstdint>

namespace wavelet {

std::size_t ResampledLength(std::size_t count, double hz) {
  const double length = static_cast<double>(count) * (kSamplingRateHz / hz);
  // A rate near zero would overflow the conversion; such a length is refused anyway.
  if (!(length < 1e18)) return SIZE_MAX;
  return static_cast<std::size_t>(std::llround(length));
}

Loaded<std::vector<double>> ResampleTo1000(std::vector<double> values, double hz) {
  if (!(hz > 0.0) || !std::isfinite(hz)) return Refusal("the sampling rate is not a positive number");
  if (hz == kSamplingRateHz) return values;
  std::vector<double> resampled(ResampledLength(values.size(), hz), 0.0);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  // One thread: the result must not depend on how the work was split.
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  std::size_t used = 0;
  std::size_t made = 0;
  const soxr_error_t error =
      soxr_oneshot(hz, kSamplingRateHz, 1, values.data(), values.size(), &used, resampled.data(),
                   resampled.size(), &made, &io, &quality, &runtime);
  if (error != nullptr) {
    return Outcome::Failure(FailureKind::Failed, std::string("resampling to 1000 samples/s failed (") + error + ")");
  }
  resampled.resize(made);
  return resampled;
}

}  // namespace wavelet
