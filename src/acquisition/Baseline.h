#pragma once
// The baseline under the beats: a natural cubic spline per lead through knots on the
// isoelectric PR segment of the beats (the usual knot method of ECG processing). Where
// the knots lie flat the beats are left exactly as they are, unlike a high-pass
// filter, which would also take the slow parts of the beat itself.

#include <array>
#include <span>
#include <vector>

#include "acquisition/BeatDetection.h"

namespace wavelet::averaging {

struct BaselineKnots {
  std::vector<Index> Times;                  // sample positions, strictly ascending
  std::array<std::vector<double>, 3> Values;  // per lead, in microvolts
};

class BaselineSpline {
 public:
  // No knots: a zero baseline; one knot: a constant; before the first and after the
  // last knot the baseline stays at that knot's value.
  explicit BaselineSpline(const BaselineKnots& knots);

  // out[k] = the baseline of `lead` at sample first + k.
  void Evaluate(int lead, Index first, std::span<double> out) const;

 private:
  // Segment i runs from Times[i] to Times[i + 1]: c0 + u (c1 + u (c2 + u c3)) with
  // u = t - Times[i].
  struct Cubic {
    double C0, C1, C2, C3;
  };
  std::vector<Index> times_;
  std::array<std::vector<Cubic>, 3> cubics_;
  std::array<double, 3> before_{}, after_{};
};

}  // namespace wavelet::averaging
