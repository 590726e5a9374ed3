#include "views/LatePotentialView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "views/PixelFont.h"

namespace wavelet {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kCurve = 0xFFFFFF;
constexpr Colour kAxis = 0x808080;
constexpr Colour kQrsMarker = 0x00FFFF;    // yellow
constexpr Colour kLasLine = 0x0000FF;      // red
constexpr Colour kShade = 0x402000;        // dark blue
constexpr Colour kNoiseBar = 0x00C000;     // green
constexpr Colour kTextColour = 0xFFFFFF;

// The plot: sample j at x = kLeft + j, microvolts upward from kBottom to kTop.
constexpr int kLeft = 64;
constexpr int kTop = 22;
constexpr int kBottom = 294;
constexpr double kMinimumTop = 50.0;

int SampleX(int sample) { return kLeft + sample; }

int HeightY(double microvolts, double axisTop) {
  const double fraction = std::clamp(microvolts / axisTop, 0.0, 1.0);
  return CanvasCoordinate(kBottom - fraction * (kBottom - kTop));
}

void Line(Canvas& image, int x1, int y1, int x2, int y2) {
  image.MoveTo(x1, y1);
  image.LineTo(x2, y2);
}

void DrawAxes(Canvas& image, double axisTop) {
  image.SetPenColour(kAxis);
  image.SetPenStyle(PenStyle::Solid);
  Line(image, kLeft - 1, kTop, kLeft - 1, kBottom + 1);
  Line(image, kLeft - 1, kBottom + 1, SampleX(kSamplesPerLead), kBottom + 1);
  const double step = axisTop / 5;
  for (int k = 0; k <= 5; ++k) {
    const double value = step * k;
    const int y = HeightY(value, axisTop);
    Line(image, kLeft - 5, y, kLeft - 1, y);
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    const std::string label = text;
    DrawPixelText(image, kLeft - 8 - PixelTextWidth(label), y - 3, label, kAxis);
  }
  DrawPixelText(image, 4, kTop - 2, "uV", kAxis);
  for (int ms = 0; ms <= kSamplesPerLead; ms += 50) {
    const int x = SampleX(ms);
    Line(image, x, kBottom + 1, x, kBottom + (ms % 100 == 0 ? 6 : 4));
    if (ms % 200 == 0) {
      const std::string label = std::to_string(ms) + (ms == kSamplesPerLead ? " ms" : "");
      const int width = PixelTextWidth(label);
      DrawPixelText(image, ms == kSamplesPerLead ? x - width + 2 : x - 2, kBottom + 8, label, kAxis);
    }
  }
}

}  // namespace

double LatePotentialAxisTop(const LatePotentialFigures& f) {
  const double largest = *std::max_element(f.Magnitude.begin(), f.Magnitude.end());
  if (!(largest > kMinimumTop)) return kMinimumTop;
  const double power = std::pow(10.0, std::floor(std::log10(largest)));
  for (double mantissa : {1.0, 2.0, 5.0, 10.0}) {
    if (mantissa * power >= largest) return mantissa * power;
  }
  return 10.0 * power;
}

void ClearLatePotentials(Canvas& image, std::string_view note) {
  image.SetBrushColour(kBlack);
  image.SetBrushStyle(BrushStyle::Solid);
  image.FillClipRect();
  DrawPixelText(image, (image.Width() - PixelTextWidth(note)) / 2, image.Height() / 2 - 3, note,
                kAxis);
}

void DrawLatePotentials(Canvas& image, const LatePotentialFigures& f, std::string_view summary,
                        std::string_view unitNote) {
  ClearLatePotentials(image, "");
  const double axisTop = LatePotentialAxisTop(f);
  if (f.QrsFound) {
    image.SetBrushColour(kShade);
    image.FillRect(SampleX(f.Offset - 39), kTop, SampleX(f.Offset) + 1, kBottom + 1);
  }
  DrawAxes(image, axisTop);

  image.SetPenColour(kNoiseBar);
  image.SetPenWidth(3);
  Line(image, SampleX(f.NoiseStart), kBottom - 2, SampleX(f.NoiseStart + 60), kBottom - 2);
  image.SetPenWidth(1);

  image.SetPenColour(kLasLine);
  image.SetPenStyle(PenStyle::Dotted);
  const int lasY = HeightY(kLasLevelUv, axisTop);
  Line(image, kLeft, lasY, SampleX(kSamplesPerLead), lasY);
  DrawPixelText(image, SampleX(kSamplesPerLead) - PixelTextWidth("40 uV"), lasY - 9, "40 uV", kLasLine);

  image.SetPenColour(kCurve);
  image.SetPenStyle(PenStyle::Solid);
  image.MoveTo(SampleX(0), HeightY(f.Magnitude[0], axisTop));
  for (int j = 1; j < kSamplesPerLead; ++j) image.LineTo(SampleX(j), HeightY(f.Magnitude[j], axisTop));

  if (f.QrsFound) {
    image.SetPenColour(kQrsMarker);
    image.SetPenStyle(PenStyle::Dotted);
    for (int sample : {f.Onset, f.Offset}) Line(image, SampleX(sample), kTop, SampleX(sample), kBottom + 1);
  }
  image.SetPenStyle(PenStyle::Solid);
  DrawPixelText(image, kLeft, 6, summary, kTextColour);
  DrawPixelText(image, image.Width() - PixelTextWidth(unitNote) - 4, 6, unitNote, kAxis);
}

}  // namespace wavelet
