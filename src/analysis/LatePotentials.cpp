#include "analysis/LatePotentials.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "analysis/Butterworth.h"

namespace wavelet {
namespace {

using Trace = std::array<double, kSamplesPerLead>;

// The QRS peak (unfiltered for the split, filtered for the search) lies here.
constexpr int kPeakFirst = 150;
constexpr int kPeakLast = 649;
// The two candidate noise segments, before the P wave and after the T wave.
constexpr std::array<int, 2> kNoiseStarts = {20, 720};
constexpr int kNoiseLength = 60;
// The onset and offset runs stay inside these samples, clear of the filter's ends.
constexpr int kSearchFirst = 20;
constexpr int kSearchLast = 779;
constexpr int kRunLength = 5;
constexpr int kMeanHalfWidth = 2;  // the 5-sample mean
constexpr int kShortestQrsMs = 40;
constexpr int kTailSamples = 40;  // RMS40 and LAS40 look at the last 40 ms
constexpr double kBandLowHz = 40.0;
constexpr double kBandHighHz = 250.0;
constexpr double kNoiseSds = 3.0;
// The P-wave guard on the onset (see GuardedOnset).
constexpr double kSecondLookThresholds = 2.0;
constexpr int kSecondLookGain = 20;
constexpr int kValleyReach = 100;
constexpr int kValleyNearest = 10;
constexpr double kValleyThresholds = 3.0;

constexpr std::size_t At(int i) { return static_cast<std::size_t>(i); }

// The high-pass then the low-pass, designed once.
constexpr int kBandSections = 2 * kButterworthSections;
const std::array<BiquadSection, kBandSections>& BandPass() {
  static const std::array<BiquadSection, kBandSections> sections = [] {
    const ButterworthSections high = ButterworthHighPass(kBandLowHz, kSamplingRateHz);
    const ButterworthSections low = ButterworthLowPass(kBandHighHz, kSamplingRateHz);
    return std::array<BiquadSection, kBandSections>{high[0], high[1], low[0], low[1]};
  }();
  return sections;
}

double VectorMagnitude(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// The first sample of the largest value of `trace` within the peak window.
int FirstLargest(const Trace& trace) {
  int best = kPeakFirst;
  for (int i = kPeakFirst + 1; i <= kPeakLast; ++i) {
    if (trace[At(i)] > trace[At(best)]) best = i;
  }
  return best;
}

// The leads are filtered away from the split on both sides, so the QRS is never
// filtered across its peak and neither direction rings into it.
void FilterAwayFromSplit(LeadSamples& leads, int split) {
  SignalTriple before, after;
  for (std::size_t l = 0; l < leads.size(); ++l) {
    before[l] = std::span(leads[l]).first(At(split));
    after[l] = std::span(leads[l]).subspan(At(split));
  }
  FilterTripleFromSteadyState(BandPass(), before, FilterDirection::Forward);
  FilterTripleFromSteadyState(BandPass(), after, FilterDirection::Backward);
}

// Mean of the five samples around each one; the samples beyond the ends count as 0
// (v is never -0, so adding the zeros of the padding changes no sum).
Trace FiveSampleMean(const Trace& v) {
  std::array<double, kSamplesPerLead + 2 * kMeanHalfWidth> padded{};
  std::copy(v.begin(), v.end(), padded.begin() + kMeanHalfWidth);
  Trace m;
  for (std::size_t i = 0; i < m.size(); ++i) {
    double sum = 0.0;
    for (std::size_t k = 0; k <= 2 * kMeanHalfWidth; ++k) sum += padded[i + k];
    m[i] = sum / (2 * kMeanHalfWidth + 1);
  }
  return m;
}

double SegmentMean(const Trace& v, int start) {
  double sum = 0.0;
  for (int i = start; i < start + kNoiseLength; ++i) sum += v[At(i)];
  return sum / kNoiseLength;
}

// The quieter segment (the first on ties), its mean and population SD, the threshold.
void MeasureNoise(LatePotentialFigures& f) {
  const double first = SegmentMean(f.Magnitude, kNoiseStarts[0]);
  const double second = SegmentMean(f.Magnitude, kNoiseStarts[1]);
  f.NoiseStart = second < first ? kNoiseStarts[1] : kNoiseStarts[0];
  f.NoiseMeanUv = second < first ? second : first;
  double squares = 0.0;
  for (int i = f.NoiseStart; i < f.NoiseStart + kNoiseLength; ++i) {
    const double d = f.Magnitude[At(i)] - f.NoiseMeanUv;
    squares += d * d;
  }
  f.NoiseSdUv = std::sqrt(squares / kNoiseLength);
  f.ThresholdUv = f.NoiseMeanUv + kNoiseSds * f.NoiseSdUv;
}

// Walks from the peak by `step` until five consecutive means lie below the threshold
// and gives the end of that run nearer the peak; -1 when the walk leaves the search
// samples first.
int RunEdgeNearPeak(const Trace& m, int peak, int step, double threshold) {
  int run = 0;
  for (int j = peak; j >= kSearchFirst && j <= kSearchLast; j += step) {
    run = m[At(j)] < threshold ? run + 1 : 0;
    if (run == kRunLength) return j - step * (kRunLength - 1);
  }
  return -1;
}

// A P wave with high-frequency content can run into the QRS with no five quiet samples
// between them, and the walk from the peak then takes its start for the QRS onset.
// Two looks guard against it, the offset untouched: the walk again at a higher
// threshold, taken where it stops well after the first (a valley not quite quiet), and
// where the onset still lies far before the peak, the deepest valley in the 100 ms
// before it, if that is low enough to part two waves.
int GuardedOnset(const Trace& m, int peak, double threshold, int onset) {
  const int second = RunEdgeNearPeak(m, peak, -1, kSecondLookThresholds * threshold);
  if (second >= 0 && (second + 1) - onset > kSecondLookGain) onset = second + 1;
  if (peak - onset <= kValleyReach) return onset;
  int valley = peak - kValleyReach;
  for (int i = valley + 1; i <= peak - kValleyNearest; ++i) {
    if (m[At(i)] <= m[At(valley)]) valley = i;  // the one nearest the peak on ties
  }
  return m[At(valley)] < kValleyThresholds * threshold ? valley + 1 : onset;
}

}  // namespace

QrsEdges FindQrsEdges(const std::array<double, kSamplesPerLead>& m, int peak, double threshold) {
  QrsEdges edges;
  const int before = RunEdgeNearPeak(m, peak, -1, threshold);
  const int after = RunEdgeNearPeak(m, peak, +1, threshold);
  if (before < 0 || after < 0) return edges;
  const int onset = GuardedOnset(m, peak, threshold, before + 1);
  if ((after - 1) - onset < kShortestQrsMs) return edges;
  edges.Found = true;
  edges.Onset = onset;
  edges.Offset = after - 1;
  edges.OnsetGuarded = onset != before + 1;
  return edges;
}

namespace {

void MeasureQrs(LatePotentialFigures& f, const Trace& m) {
  const QrsEdges edges = FindQrsEdges(m, f.Peak, f.ThresholdUv);
  if (!edges.Found) return;
  f.QrsFound = true;
  f.Onset = edges.Onset;
  f.Offset = edges.Offset;
  f.OnsetGuarded = edges.OnsetGuarded;
  f.FqrsdMs = f.Offset - f.Onset;
  double squares = 0.0;
  for (int i = f.Offset - kTailSamples + 1; i <= f.Offset; ++i) {
    squares += f.Magnitude[At(i)] * f.Magnitude[At(i)];
  }
  f.Rms40Uv = std::sqrt(squares / kTailSamples);
  f.Las40Ms = f.FqrsdMs;
  for (int i = f.Offset; i >= f.Onset; --i) {
    if (f.Magnitude[At(i)] >= kLasLevelUv) {
      f.Las40Ms = f.Offset - i;
      break;
    }
  }
  f.FqrsdAbnormal = f.FqrsdMs > kFqrsdLimitMs;
  f.Rms40Abnormal = f.Rms40Uv < kRms40LimitUv;
  f.Las40Abnormal = f.Las40Ms > kLas40LimitMs;
  f.LatePotentials = f.FqrsdAbnormal + f.Rms40Abnormal + f.Las40Abnormal >= 2;
}

}  // namespace

LatePotentialFigures ComputeLatePotentials(const LeadSamples& leads, double microvoltsPerUnit) {
  LatePotentialFigures f;
  f.MicrovoltsPerUnit = microvoltsPerUnit;
  if (!std::isfinite(microvoltsPerUnit) || !(microvoltsPerUnit > 0.0)) return f;

  LeadSamples uv;
  for (std::size_t l = 0; l < uv.size(); ++l) {
    for (std::size_t i = 0; i < uv[l].size(); ++i) {
      uv[l][i] = leads[l][i] * microvoltsPerUnit;
      // A non-finite sample would spread over its whole half of the beat.
      if (!std::isfinite(uv[l][i])) return f;
    }
  }
  Trace raw;
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = VectorMagnitude(uv[0][i], uv[1][i], uv[2][i]);
  f.Split = FirstLargest(raw);

  FilterAwayFromSplit(uv, f.Split);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    f.Magnitude[i] = VectorMagnitude(uv[0][i], uv[1][i], uv[2][i]);
  }
  const Trace m = FiveSampleMean(f.Magnitude);
  f.Peak = FirstLargest(m);
  MeasureNoise(f);
  MeasureQrs(f, m);
  return f;
}

}  // namespace wavelet
