#include "analysis/Features.h"

#include <cstdint>

#include "base/Truncate.h"

namespace wavelet {

namespace {

// Limits of the positions whose neighbours exist: the flag test reads p-2..p+2, the
// ridge scores p-3..p+3, the rise test p+5 and the fall test p-5.
constexpr int kPeakWindowLowest = 3;
constexpr int kPeakWindowEnd = kPositions - 3;  // exclusive: last p is 396
constexpr int kRiseSearchLast = kPositions - 6;  // 394
constexpr int kFallSearchStart = 340;            // sample 600
constexpr int kFallSearchLast = 5;
constexpr double kRiseFallStep = 10.0;
constexpr double kSmallMaximumShare = 0.02;

}  // namespace

FeatureWindows ComputeFeatureWindows(int qrsOnset, int qrsOffset) {
  const std::int64_t onset = qrsOnset;
  const std::int64_t offset = qrsOffset;
  FeatureWindows w;
  w.PeakFrom = SaturateToInt(onset - 270, kPeakWindowLowest, kPeakWindowEnd);
  w.PeakTo = SaturateToInt(offset - 210, kPeakWindowLowest, kPeakWindowEnd);
  w.AreaFrom = SaturateToInt(onset - 290, 0, kPositions);
  w.AreaTo = SaturateToInt(offset - 210, 0, kPositions);
  // Starts past 394 leave the rise search empty, as they would unclamped.
  w.RiseStart = SaturateToInt(onset - 285, 0, kRiseSearchLast + 1);
  w.Clamped = !(kAnalysableFirst <= qrsOnset && qrsOnset < qrsOffset && qrsOffset <= kAnalysableLast);
  // An onset at or after the offset describes no QRS: no maxima and no area, rather
  // than windows that overlap the wrong way round.
  if (qrsOnset >= qrsOffset) {
    w.PeakTo = w.PeakFrom;
    w.AreaTo = w.AreaFrom;
  }
  return w;
}

int LatencyAfterOnset(int position, int qrsOnset) {
  return SaturateToInt(static_cast<std::int64_t>(position) + kFirstTransformSample - qrsOnset);
}

int TruncatedHeight(double magnitude, double divisor) {
  return TruncateToInt(magnitude / divisor);
}

namespace {

void FindRiseFallFqrs(AnalysisResults& r, const LeadPositions& mag, const FeatureWindows& w,
                      int a) {
  for (int k = 0; k < kLeads; ++k) {
    const auto& m = mag[k];
    // Start from the start-up value each time, so a record whose magnitude never
    // rises or falls enough does not inherit the positions of the record before it.
    r.RisePosition[k][a] = 0;
    for (int p = w.RiseStart; p <= kRiseSearchLast; ++p) {
      if (m[p + 5] - m[p] >= kRiseFallStep) {
        r.RisePosition[k][a] = p;
        break;
      }
    }
    r.FallPosition[k][a] = 0;
    for (int p = kFallSearchStart; p >= kFallSearchLast; --p) {
      if (m[p - 5] - m[p] >= kRiseFallStep) {
        r.FallPosition[k][a] = p;
        break;
      }
    }
    r.Fqrs[k][a] = r.FallPosition[k][a] - r.RisePosition[k][a];
  }
}

void RetainLocalMaxima(AnalysisState& state, int qrsOnset, const FeatureWindows& w, int k, int a) {
  const auto& m = state.TransformMagnitude[k];
  auto& flags = state.PeakFlags[k][a];
  auto& list = state.PeakList;
  AnalysisResults& r = state.Results;

  for (int p = w.PeakFrom; p < w.PeakTo; ++p) {
    if (m[p] >= m[p - 1] && m[p] >= m[p - 2] && m[p] >= m[p + 1] && m[p] >= m[p + 2])
      flags[p] = 1;
  }
  double max = 0.0;
  for (int p = w.PeakFrom; p < w.PeakTo; ++p)
    if (m[p] > max) max = m[p];
  for (int p = w.PeakFrom; p < w.PeakTo; ++p)
    if (flags[p] == 1 && kSmallMaximumShare * max > m[p]) flags[p] = 0;

  for (int p = w.PeakFrom; p < w.PeakTo; ++p) {
    if (flags[p] != 1) continue;
    // The list holds every position of every lead and scale; only a caller that
    // skips ClearAnalysisAccumulators could fill it, and then the terminator's slot
    // stays free and the count keeps matching the list.
    if (state.PeakListCount >= kPeakListCapacity - 1) break;
    const int i = state.PeakListCount;
    list.PeakListPosition[i] = p;
    list.PeakListHeight[i] = TruncatedHeight(m[p], state.PlotDivisor);
    list.PeakListLead[i] = k;
    list.PeakListScale[i] = a;
    ++state.PeakListCount;
    ++r.PeakCount[k][a];
    r.LastPeak[k][a] = p;
  }
  r.LastPeak[k][a] = LatencyAfterOnset(r.LastPeak[k][a], qrsOnset);
}

}  // namespace

void ExtractScaleFeatures(AnalysisState& state, const LoadedRecord& record, int a) {
  if (a < 0 || a >= kScales) return;
  const FeatureWindows w = ComputeFeatureWindows(record.QrsOnset, record.QrsOffset);
  state.WindowsClamped = w.Clamped;

  FindRiseFallFqrs(state.Results, state.TransformMagnitude, w, a);
  for (int k = 0; k < kLeads; ++k) {
    RetainLocalMaxima(state, record.QrsOnset, w, k, a);
    double area = 0.0;
    for (int p = w.AreaFrom; p < w.AreaTo; ++p) area += state.TransformMagnitude[k][p];
    state.Results.ScaleArea[k] = area;
  }
}

}  // namespace wavelet
