#include "views/MapView.h"

#include <cmath>
#include <cstdlib>

#include "base/Truncate.h"

namespace wavelet {

namespace {

constexpr int kLastRampEntry = kColourRampSize - 1;

int ClampedEntry(double value) { return TruncateToInt(value, 0, kLastRampEntry); }

}  // namespace

int MapMagnitudeEntry(double magnitude) {
  // Zero has no logarithm; the clamp's lower end is the natural colour for it.
  if (!(magnitude > 0.0)) return 0;
  return ClampedEntry(50.0 * std::log(magnitude));
}

int MapPhaseEntry(double cosinePart, double sinePart) {
  if (cosinePart == 0.0 && sinePart == 0.0) return 0;  // a zero point has no phase
  if (std::isnan(cosinePart) || std::isnan(sinePart)) return 0;
  const double pi = 4.0 * std::atan(1.0);
  const double phase = std::atan2(cosinePart, sinePart);
  const int c = TruncateToInt((phase + pi) * 128.0 / pi);
  return ClampedEntry(std::abs(c - 128));
}

void DrawMapRow(LeadImages& images, const AnalysisState& state, int row) {
  if (row < 0 || row >= kMapPhaseBandTop) return;  // the bands must not overlap
  const auto& ramp = state.ColourRamp;
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    std::uint32_t* magnitudeRow = image.MutableRow(row);
    std::uint32_t* phaseRow = image.MutableRow(row + kMapPhaseBandTop);
    const auto& magnitude = state.TransformMagnitude[lead];
    const auto& real = state.TransformReal[lead];
    const auto& imag = state.TransformImag[lead];
    for (int x = 0; x < kPositions; ++x) {
      magnitudeRow[x] = ramp[MapMagnitudeEntry(magnitude[x])];
      phaseRow[x] = ramp[MapPhaseEntry(real[x], imag[x])];
    }
  }
}

}  // namespace wavelet
