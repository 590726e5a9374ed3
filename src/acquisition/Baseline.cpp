#include "acquisition/Baseline.h"

#include <algorithm>
#include <cstddef>

namespace wavelet::averaging {

BaselineSpline::BaselineSpline(const BaselineKnots& knots) : times_(knots.Times) {
  const std::size_t m = times_.size();
  if (m == 0) return;
  for (std::size_t l = 0; l < 3; ++l) {
    const std::vector<double>& y = knots.Values[l];
    before_[l] = y.front();
    after_[l] = y.back();
    if (m < 2) continue;
    // Second derivatives of the natural spline (zero at both ends) from the
    // tridiagonal system, by elimination downwards and substitution upwards.
    std::vector<double> second(m, 0.0), upper(m, 0.0), right(m, 0.0);
    auto h = [&](std::size_t i) { return static_cast<double>(times_[i + 1] - times_[i]); };
    auto slope = [&](std::size_t i) { return (y[i + 1] - y[i]) / h(i); };
    for (std::size_t i = 1; i + 1 < m; ++i) {
      const double below = h(i - 1);
      const double pivot = 2.0 * (h(i - 1) + h(i)) - below * upper[i - 1];
      upper[i] = h(i) / pivot;
      right[i] = (6.0 * (slope(i) - slope(i - 1)) - below * right[i - 1]) / pivot;
    }
    for (std::size_t i = m - 1; i-- > 1;) second[i] = right[i] - upper[i] * second[i + 1];
    cubics_[l].resize(m - 1);
    for (std::size_t i = 0; i + 1 < m; ++i) {
      cubics_[l][i] = {y[i], slope(i) - h(i) * (2.0 * second[i] + second[i + 1]) / 6.0,
                       second[i] / 2.0, (second[i + 1] - second[i]) / (6.0 * h(i))};
    }
  }
}

void BaselineSpline::Evaluate(int lead, Index first, std::span<double> out) const {
  const std::size_t l = static_cast<std::size_t>(lead);
  const Index n = static_cast<Index>(out.size());
  if (times_.empty()) {
    std::fill(out.begin(), out.end(), 0.0);
    return;
  }
  Index k = 0;
  for (; k < n && first + k < times_.front(); ++k) out[static_cast<std::size_t>(k)] = before_[l];
  std::size_t i = static_cast<std::size_t>(
      std::upper_bound(times_.begin(), times_.end(), first + k) - times_.begin());
  // times_[i - 1] <= first + k < times_[i]: segment i - 1.
  for (; k < n && i < times_.size(); ++i) {
    const Cubic c = cubics_[l][i - 1];
    // Knots lie less than a recording apart, and windows are short: the offsets
    // within a segment fit an int, which keeps the loop in vector registers.
    const Index stop = std::min(n, times_[i] - first);
    const Index u0 = first + k - times_[i - 1];
    double* to = out.data() + k;
    const int count = static_cast<int>(stop - k);
    for (int m = 0; m < count; ++m) {
      const double u = static_cast<double>(u0 + m);
      to[m] = c.C0 + u * (c.C1 + u * (c.C2 + u * c.C3));
    }
    k = std::max(k, stop);
  }
  for (; k < n; ++k) out[static_cast<std::size_t>(k)] = after_[l];
}

}  // namespace wavelet::averaging
