#include "views/BasicView.h"

#include <cmath>

#include "analysis/Ridges.h"

namespace wavelet {

namespace {

constexpr Colour kPeakColour = 0xFFFFFF;
constexpr Colour kRidgeColour = 0x800080;

}  // namespace

void DrawScaleCurves(LeadImages& images, const AnalysisState& state, int scaleIndex) {
  if (scaleIndex < 0 || scaleIndex >= kScales) return;
  const double zeroLine = 285 - 15 * scaleIndex;
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    image.SetPenColour(state.ScaleColours[scaleIndex]);
    image.SetPenStyle(PenStyle::Solid);
    const auto& magnitude = state.TransformMagnitude[lead];
    auto yOf = [&](int x) {
      return CanvasCoordinate(
          zeroLine - std::trunc(magnitude[x] / state.PlotDivisor * state.Display.SelectedScale));
    };
    image.MoveTo(0, yOf(0));
    for (int x = 1; x < kPositions; ++x) image.LineTo(x, yOf(x));
  }
}

void DrawPeakDots(LeadImages& images, const AnalysisState& state) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    image.SetPenColour(kPeakColour);
    image.SetPenStyle(PenStyle::Solid);
    image.SetBrushColour(kPeakColour);
    image.SetBrushStyle(BrushStyle::Solid);
  }
  const PeakListData& list = state.PeakList;
  for (int n = 0; n < kPeakListCapacity && list.PeakListLead[n] != -1; ++n) {
    const int lead = list.PeakListLead[n];
    if (lead < 0 || lead >= kLeads) continue;  // not an entry the analysis makes
    const int x = CanvasCoordinate(list.PeakListPosition[n]);
    const int y = CanvasCoordinate(300.0 - list.PeakListHeight[n] * state.Display.SelectedScale -
                                   (15.0 * list.PeakListScale[n] + 15.0));
    images.Lead(lead).Rectangle(x - 1, y - 1, x + 1, y + 1);
  }
}

void DrawRidgeLines(LeadImages& images, const AnalysisState& state) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    image.SetPenColour(kRidgeColour);
    image.SetPenStyle(PenStyle::Dotted);
    image.SetBrushColour(kRidgeColour);
    image.SetBrushStyle(BrushStyle::Clear);
    for (int x = kFirstRidgeColumn; x <= kLastRidgeColumn; ++x) {
      if (state.RidgeFlags[lead][x] != 1) continue;
      image.MoveTo(x, 0);
      image.LineTo(x, kLeadImageHeight);
    }
  }
}

}  // namespace wavelet
