#pragma once
// The per-scale features of one transform: rise, fall and fQRS, the retained local
// maxima (flags, peak list, count, last latency) and the decomposed surface area.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet {

// The QRS window the analysis windows hold as its onset and offset ask:
// kAnalysableFirst <= onset < offset <= kAnalysableLast. Elsewhere they are clamped.
inline constexpr int kAnalysableFirst = 290;
inline constexpr int kAnalysableLast = 607;

// Transform-position windows derived from the QRS onset and offset. Ranges are
// [From, To); an empty range has From >= To. An onset at or after the offset gives
// empty peak and area windows.
struct FeatureWindows {
  int PeakFrom = 0;   // onset - 270, kept within 3..397 (neighbours p-3..p+3 exist)
  int PeakTo = 0;     // offset - 210, likewise
  int AreaFrom = 0;   // onset - 290, kept within 0..400
  int AreaTo = 0;     // offset - 210, likewise
  int RiseStart = 0;  // onset - 285, not below 0 (searched up to 394)
  // The record lies outside the analysable QRS window, so its windows were
  // clamped (or are empty) rather than the ones its onset and offset ask for.
  bool Clamped = false;
};

FeatureWindows ComputeFeatureWindows(int qrsOnset, int qrsOffset);

// Position p reported as samples after QRS onset: p + 260 - onset, saturated to the
// int range for absurd onsets.
int LatencyAfterOnset(int position, int qrsOnset);

// Magnitude / divisor truncated toward zero; NaN gives 0 and values beyond the int
// range give INT_MAX or INT_MIN instead of an undefined conversion.
int TruncatedHeight(double magnitude, double divisor);

// Features of scale index 0..7 from the magnitudes just computed; sets
// state.WindowsClamped. Other indices are ignored.
void ExtractScaleFeatures(AnalysisState& state, const LoadedRecord& record, int scaleIndex);

}  // namespace wavelet
