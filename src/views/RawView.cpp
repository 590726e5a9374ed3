#include "views/RawView.h"

#include <cmath>

namespace wavelet {

namespace {

constexpr Colour kLeadColours[kRecordedLeads] = {0x00FF00, 0xFFFF00, 0xFF00FF};
constexpr Colour kMarkerColour = 0x808080;
constexpr int kMarkerEnd = 300;  // below the image: the canvas clips

}  // namespace

void DrawRawSignal(Canvas& image, const LoadedRecord& record, int scrollBar2Position) {
  const int gain = DisplayGain(scrollBar2Position);
  image.FillClipRect();
  image.SetPenStyle(PenStyle::Solid);
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    image.SetPenColour(kLeadColours[lead]);
    const double baseline = 150 - 50 * lead;
    const auto& samples = record.LeadSignals[lead];
    auto yOf = [&](int j) {
      return CanvasCoordinate(baseline - std::trunc(samples[j] * kDefaultMillivoltsPerUnit * gain));
    };
    image.MoveTo(0, yOf(0));
    for (int j = 0; j < kSamplesPerLead; ++j) image.LineTo(j, yOf(j));
  }
  image.SetPenColour(kMarkerColour);
  image.SetPenStyle(PenStyle::Dotted);
  for (int marker : {record.QrsOnset, record.QrsOffset}) {
    image.MoveTo(marker, 0);
    image.LineTo(marker, kMarkerEnd);
  }
}

}  // namespace wavelet
