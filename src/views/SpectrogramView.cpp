#include "views/SpectrogramView.h"

#include <cmath>

namespace wavelet {

namespace {

constexpr Colour kWaterfallColour = 0x00FFFF;

}  // namespace

void DrawWaterfallRow(LeadImages& images, const AnalysisState& state, int row) {
  const int shift = kWaterfallStep * row;
  const double zeroLine = 285.0 - shift;
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    image.SetPenColour(kWaterfallColour);
    image.SetPenStyle(PenStyle::Solid);
    const auto& magnitude = state.TransformMagnitude[lead];
    auto yOf = [&](int x) {
      return CanvasCoordinate(
          zeroLine - std::trunc(magnitude[x] / state.PlotDivisor * state.Display.SelectedScale));
    };
    image.MoveTo(shift, yOf(0));
    for (int x = 1; x < kPositions; ++x) image.LineTo(x + shift, yOf(x));
  }
}

}  // namespace wavelet
