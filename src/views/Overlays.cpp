#include "views/Overlays.h"

#include "analysis/Judgement.h"
#include "base/TimeRuler.h"

namespace wavelet {

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kQrsMarkerColour = 0x808080;
constexpr Colour kRiseFallColour = 0x008000;

// A sample index as an x of the lead images.
int SampleColumn(int sample) {
  return CanvasCoordinate(static_cast<double>(sample) - kFirstTransformSample);
}

void SetOverlayPen(Canvas& image, Colour colour, PenStyle style) {
  image.SetPenColour(colour);
  image.SetPenStyle(style);
  image.SetBrushColour(kBlack);
  image.SetBrushStyle(BrushStyle::Clear);
}

void FullHeightLine(Canvas& image, int x) {
  image.MoveTo(x, 0);
  image.LineTo(x, kLeadImageHeight);
}

}  // namespace

void ClearLeadImages(LeadImages& images) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    image.SetBrushColour(kBlack);
    image.SetPenColour(kWhite);
    image.SetBrushStyle(BrushStyle::Solid);
    image.FillClipRect();
  }
}

void DrawQrsMarkers(LeadImages& images, const LoadedRecord& record) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    SetOverlayPen(image, kQrsMarkerColour, PenStyle::Dotted);
    FullHeightLine(image, SampleColumn(record.QrsOnset));
    FullHeightLine(image, SampleColumn(record.QrsOffset));
  }
}

void DrawRiseFallMarkers(LeadImages& images, const AnalysisState& state) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    SetOverlayPen(image, kRiseFallColour, PenStyle::Dotted);
    FullHeightLine(image, state.Results.RisePosition[lead][kJudgedScaleIndex]);
    FullHeightLine(image, state.Results.FallPosition[lead][kJudgedScaleIndex]);
  }
}

void DrawWaterfallQrsMarkers(LeadImages& images, const LoadedRecord& record) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    SetOverlayPen(image, kWhite, PenStyle::Solid);
    for (int sample : {record.QrsOnset, record.QrsOffset}) {
      const int x = SampleColumn(sample);
      image.MoveTo(x, 285);
      image.LineTo(x + 50, 235);
    }
  }
}

void DrawTimeRuler(LeadImages& images) {
  for (int lead = 0; lead < kLeads; ++lead) {
    Canvas& image = images.Lead(lead);
    SetOverlayPen(image, kWhite, PenStyle::Solid);
    for (int k = 0; k < kTimeRulerTicks; ++k) {
      const TimeRulerTick tick = TimeRulerTickAt(k);
      image.SetPenWidth(tick.Weight);
      image.MoveTo(kTimeRulerTickSpacing * k, kLeadImageHeight);
      image.LineTo(kTimeRulerTickSpacing * k, kLeadImageHeight - tick.Length);
    }
    image.SetPenWidth(1);
  }
}

}  // namespace wavelet
