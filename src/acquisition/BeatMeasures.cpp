#include "acquisition/BeatMeasures.h"

#include <cmath>
#include <cstddef>

namespace wavelet::averaging {
namespace {

// Butterworth high-pass, 40 Hz at 1000 samples/s, by the bilinear transform with
// prewarping (K = tan(pi 40 / 1000), b = [1 -2 1] / (1 + sqrt2 K + K^2)), written out
// so that every build filters with the same doubles. b0 + b1 + b2 is exactly 0.
constexpr double kB0 = 0.8370891905663447;
constexpr double kB1 = -1.6741783811326894;
constexpr double kB2 = 0.8370891905663447;
constexpr double kA1 = -1.6474599810769763;
constexpr double kA2 = 0.7008967811884025;

}  // namespace

QrsTemplate::QrsTemplate(const LeadSamples& beat, int centre, Span qrs) : qrs_(qrs) {
  const int length = qrs.Length();
  for (std::size_t l = 0; l < 3; ++l) {
    const double* from = beat[l].data() + centre + qrs.First;
    double sum = 0.0;
    for (int t = 0; t < length; ++t) sum += from[t];
    const double mean = sum / length;
    centred_[l].resize(At(length));
    for (int t = 0; t < length; ++t) {
      centred_[l][At(t)] = from[t] - mean;
      squares_ += centred_[l][At(t)] * centred_[l][At(t)];
    }
  }
}

QrsTemplate::Match QrsTemplate::Align(const UsableLeads& leads, Index fiducial) const {
  const int length = qrs_.Length();
  // Products summed per shift in one pass over the template, so each shift keeps its
  // own order of addition while the shifts run side by side.
  std::array<double, kShifts> products{};
  std::array<double, kShifts> spread{};  // sum over leads of the beat's centred squares
  for (int l = 0; l < 3; ++l) {
    // x[d + t]: sample t of the QRS at shift d - kMaxShift.
    const double* x = leads.Lead(l) + fiducial + qrs_.First - kMaxShift;
    const double* c = centred_[At(l)].data();
    for (int t = 0; t < length; ++t) {
      const double weight = c[t];
      const double* row = x + t;
      for (int d = 0; d < kShifts; ++d) products[At(d)] += row[d] * weight;
    }
    // Sliding sums about the first sample, which keeps them small whatever the level.
    const double reference = x[0];
    double sum = 0.0;
    double squares = 0.0;
    for (int t = 0; t < length; ++t) {
      const double v = x[t] - reference;
      sum += v;
      squares += v * v;
    }
    for (int d = 0; d < kShifts; ++d) {
      spread[At(d)] += squares - sum * sum / length;
      const double entering = x[d + length] - reference;
      const double leaving = x[d] - reference;
      sum += entering - leaving;
      squares += entering * entering - leaving * leaving;
    }
  }
  Match best;
  for (int d = 0; d < kShifts; ++d) {
    const double denominator = std::sqrt(spread[At(d)] * squares_);
    const double r = denominator > 0.0 ? products[At(d)] / denominator : 0.0;
    if (d == 0 || r > best.Correlation) best = {d - kMaxShift, r};
  }
  if (!(best.Correlation > 0.0)) best.Correlation = 0.0;
  return best;
}

double HighBandSquares(const UsableLeads& leads, Index first, Index last) {
  const Index start = first - kWarmUp;
  std::array<const double*, 3> x{};
  std::array<double, 3> s1{}, s2{}, previous{};
  for (std::size_t l = 0; l < 3; ++l) {
    x[l] = leads.Lead(static_cast<int>(l));
    // At rest on the first sample: the output is 0 and the state is what a constant
    // input leaves in it.
    s2[l] = kB2 * x[l][start];
    s1[l] = (kB1 + kB2) * x[l][start];
  }
  double total = 0.0;
  for (Index i = start; i < last; ++i) {
    for (std::size_t l = 0; l < 3; ++l) {
      const double v = x[l][i];
      const double y = kB0 * v + s1[l];
      s1[l] = kB1 * v - kA1 * y + s2[l];
      s2[l] = kB2 * v - kA2 * y;
      const double band = 0.5 * (y + previous[l]);
      previous[l] = y;
      if (i >= first) total += band * band;
    }
  }
  return total;
}

}  // namespace wavelet::averaging
