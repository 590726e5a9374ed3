#include "analysis/Transform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "analysis/Features.h"

namespace wavelet {

namespace {

void FillWaveletTables(WaveletTablesData& tables, int d, double a, double frequency) {
  for (int j = 0; j < 2 * d; ++j) {
    const double t = static_cast<double>(j - d) / a;
    tables.Sine[j] = std::sin(frequency * t);
    tables.Cosine[j] = std::cos(frequency * t);
    tables.Gaussian[j] = std::exp((-1.0 * t * t) * 0.5);
  }
}

}  // namespace

int WaveletHalfWidthFor(double s) {
  int d = 0;
  if (s >= 3.0) d = 30;
  if (s <= 3.0) d = 55;
  if (s <= 2.0) d = 110;
  // NaN passes none of the tests; the narrowest window keeps the call well defined.
  return d == 0 ? 30 : d;
}

namespace {

double DilationFor(double s) { return 40.0 * std::pow(2.0, -s); }

bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// The tables of scale s in state.WaveletTables: entries 0..2d-1 exactly as computed
// afresh, the rest left as the last scale left them.
// Makes `plan` for scale s unless it was made for exactly this scale and frequency.
void PlaceWaveletTables(WaveletPlan& plan, int d, double a, double s, double frequency) {
  if (plan.Made && SameBits(plan.Scale, s) && SameBits(plan.Frequency, frequency)) return;
  FillWaveletTables(plan.Tables, d, a, frequency);
  plan.Made = true;
  plan.Scale = s;
  plan.Frequency = frequency;
  plan.HalfWidth = d;
}

void PlaceWaveletTables(AnalysisState& state, WaveletPlan* plan, int d, double a, double s) {
  const double frequency = state.MorletFrequency;
  if (plan == nullptr) {
    FillWaveletTables(state.WaveletTables, d, a, frequency);
    return;
  }
  PlaceWaveletTables(*plan, d, a, s, frequency);
  const auto count = static_cast<std::ptrdiff_t>(2 * d);
  std::copy_n(plan->Tables.Sine.begin(), count, state.WaveletTables.Sine.begin());
  std::copy_n(plan->Tables.Cosine.begin(), count, state.WaveletTables.Cosine.begin());
  std::copy_n(plan->Tables.Gaussian.begin(), count, state.WaveletTables.Gaussian.begin());
}

}  // namespace

void MakeWaveletPlans(AnalysisState& state) {
  for (int i = 0; i < kScales; ++i) {
    const double s = state.ScaleTable[i];
    const int d = WaveletHalfWidthFor(s);
    PlaceWaveletTables(state.WaveletPlans[i], d, DilationFor(s), s, state.MorletFrequency);
  }
}

void TransformLeads(AnalysisState& state, const LoadedRecord& record, double s, WaveletPlan* plan,
                    CorrelationKernel kernel) {
  const int d = WaveletHalfWidthFor(s);
  const double a = DilationFor(s);
  state.WaveletHalfWidth = d;
  state.WaveletDilation = a;
  PlaceWaveletTables(state, plan, d, a, s);
  const double g = 1.0 / std::sqrt(a);

  for (int k = LeadX; k <= LeadZ; ++k) {
    const double* x = record.LeadSignals[k].data();
    double* re = state.TransformReal[k].data();
    double* im = state.TransformImag[k].data();
    CorrelateLead(x, state.WaveletTables, d, g, re, im, kernel);
  }
  CombineLeads(state.TransformReal, state.TransformImag, state.TransformMagnitude, kernel);
}

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex,
                      CorrelationKernel kernel) {
  const bool basicScale = scaleIndex >= 0 && scaleIndex < kScales;
  TransformLeads(state, record, s, basicScale ? &state.WaveletPlans[scaleIndex] : nullptr, kernel);
  if (basicScale) ExtractScaleFeatures(state, record, scaleIndex);
}

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex) {
  TransformAtScale(state, record, s, scaleIndex, CorrelationKernel::Fast);
}

}  // namespace wavelet
