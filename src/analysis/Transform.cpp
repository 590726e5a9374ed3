#include "analysis/Transform.h"

#include <cmath>

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

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex,
                      CorrelationKernel kernel) {
  const int d = WaveletHalfWidthFor(s);
  const double a = 40.0 * std::pow(2.0, -s);
  state.WaveletHalfWidth = d;
  state.WaveletDilation = a;
  FillWaveletTables(state.WaveletTables, d, a, state.MorletFrequency);
  const double g = 1.0 / std::sqrt(a);

  for (int k = LeadX; k <= LeadZ; ++k) {
    const double* x = record.LeadSignals[k].data();
    double* re = state.TransformReal[k].data();
    double* im = state.TransformImag[k].data();
    CorrelateLead(x, state.WaveletTables, d, g, re, im, kernel);
  }
  CombineLeads(state.TransformReal, state.TransformImag, state.TransformMagnitude, kernel);

  if (scaleIndex >= 0 && scaleIndex < kScales) ExtractScaleFeatures(state, record, scaleIndex);
}

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex) {
  TransformAtScale(state, record, s, scaleIndex, CorrelationKernel::Fast);
}

}  // namespace wavelet
