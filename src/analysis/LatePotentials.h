#pragma once
// The time-domain late-potential figures of a signal-averaged record: the 40-250 Hz
// filtered vector magnitude, the filtered QRS found on it, its duration (fQRSd), the
// RMS voltage of its last 40 ms (RMS40) and the duration of its low-amplitude tail
// under 40 uV (LAS40), judged against the consensus limits. Numbers only.

#include <array>

#include "record/RecordFormat.h"

namespace wavelet {

inline constexpr int kFqrsdLimitMs = 114;     // abnormal above
inline constexpr double kRms40LimitUv = 20.0;  // abnormal below
inline constexpr int kLas40LimitMs = 38;      // abnormal above
inline constexpr double kLasLevelUv = 40.0;    // the low-amplitude tail lies under this

struct LatePotentialFigures {
  // The unit the samples were read in, shown beside the figures.
  double MicrovoltsPerUnit = kDefaultMicrovoltsPerUnit;
  // The filtered vector magnitude v, in microvolts, over the whole beat.
  std::array<double, kSamplesPerLead> Magnitude{};
  int Split = 0;           // c: the largest unfiltered vector magnitude in 150..649
  int Peak = 0;            // the largest 5-sample mean of v in 150..649
  int NoiseStart = 0;      // first sample of the quieter noise segment (20 or 720)
  double NoiseMeanUv = 0.0;  // of v over the noise segment, in microvolts of v
  double NoiseSdUv = 0.0;  // population standard deviation
  double ThresholdUv = 0.0;  // NoiseMeanUv + 3 NoiseSdUv
  bool QrsFound = false;   // false: the figures below are not defined (shown blank)
  int Onset = 0;
  int Offset = 0;
  // The P-wave guard moved the onset later than the plain walk from the peak found it.
  bool OnsetGuarded = false;
  int FqrsdMs = 0;
  double Rms40Uv = 0.0;
  int Las40Ms = 0;
  bool FqrsdAbnormal = false;
  bool Rms40Abnormal = false;
  bool Las40Abnormal = false;
  bool LatePotentials = false;  // at least two of the three abnormal
};

// The QRS on `m`, the 5-sample mean of the filtered vector magnitude, around the peak
// of m: from the walks outwards from `peak` to five consecutive means below
// `thresholdUv`, the onset then guarded against a P wave joined to the QRS (moved
// later, never earlier; the offset as the walk found it). Not found where either walk
// leaves samples 20..779 or the QRS is shorter than 40 ms.
struct QrsEdges {
  bool Found = false;
  int Onset = 0;
  int Offset = 0;
  bool OnsetGuarded = false;
};
QrsEdges FindQrsEdges(const std::array<double, kSamplesPerLead>& m, int peak, double thresholdUv);

// `leads`: the decoded samples of X, Y, Z, 1 ms apart; `microvoltsPerUnit`: their unit.
// A unit that is not a finite number above 0, or a sample that is not finite in
// microvolts, finds no QRS and leaves Magnitude zero. A noise threshold that overflows
// (NaN or infinite) finds no QRS either: nothing lies below NaN, and everything below
// infinity, which gives an offset before the onset.
LatePotentialFigures ComputeLatePotentials(const LeadSamples& leads, double microvoltsPerUnit);

}  // namespace wavelet
