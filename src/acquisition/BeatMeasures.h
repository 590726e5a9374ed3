#pragma once
// What the averaging measures of each beat against the template: the shift that
// aligns it, how well its QRS matches, and its high-frequency noise.

#include <array>
#include <vector>

#include "acquisition/BeatDetection.h"
#include "record/RecordFormat.h"

namespace wavelet::averaging {

// Beats are aligned within +-15 ms of their fiducial point.
inline constexpr int kMaxShift = 15;
inline constexpr int kShifts = 2 * kMaxShift + 1;
// A beat whose QRS correlates less with the template's is premature or aberrant.
inline constexpr double kMatchingCorrelation = 0.97;

// Samples relative to a beat's fiducial point, [First, Last).
struct Span {
  int First = 0;
  int Last = 0;
  int Length() const { return Last - First; }
};

// The template's QRS, ready for correlation: each lead with its mean over the span
// removed.
class QrsTemplate {
 public:
  // `beat` holds the template with its fiducial point at sample `centre`; `qrs` must
  // lie inside it.
  QrsTemplate(const LeadSamples& beat, int centre, Span qrs);

  struct Match {
    int Shift = 0;             // the beat's fiducial point is best taken this much later
    double Correlation = 0.0;  // at that shift; 0 for a flat beat or template
  };

  // The shift in -kMaxShift..kMaxShift with the largest correlation coefficient of
  // the beat's QRS with the template's (the three leads pooled, each lead's own mean
  // removed, so that a level or a slow drift does not count); the earliest of equal
  // ones. The QRS span widened by kMaxShift must be usable.
  Match Align(const UsableLeads& leads, Index fiducial) const;

  Span Qrs() const { return qrs_; }

 private:
  Span qrs_;
  std::array<std::vector<double>, 3> centred_;
  double squares_ = 0.0;  // of the centred template, over all three leads
};

// Sum of squares of the high band (a second-order Butterworth high-pass at 40 Hz,
// then the mean of neighbours, -3 dB at 250 Hz) of all three leads over
// [first, last); the filter starts from rest kWarmUp samples before `first`, which
// must be usable.
inline constexpr int kWarmUp = 30;
double HighBandSquares(const UsableLeads& leads, Index first, Index last);

}  // namespace wavelet::averaging
