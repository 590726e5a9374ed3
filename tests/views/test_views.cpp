// The pixels of the five images: raw view, basic view, spectrogram, map, overlays.

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/AnalysisState.h"
#include "views/LatePotentialView.h"
#include "views/BasicView.h"
#include "base/ColourTables.h"
#include "views/LeadImages.h"
#include "views/MapView.h"
#include "views/Overlays.h"
#include "views/RawView.h"
#include "views/SpectrogramView.h"

namespace wavelet {
namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kGrey = 0x808080;
constexpr Colour kDarkGreen = 0x008000;
constexpr Colour kPurple = 0x800080;
constexpr Colour kYellow = 0x00FFFF;

struct Fixture {
  AnalysisState state;
  LoadedRecord record;
  LeadImages images;
  Fixture() {
    InitialiseAnalysisState(state);
    InitialiseImages(images);
    ClearLeadImages(images);
  }
};

int CountColour(const Canvas& c, Colour colour) {
  int n = 0;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) n += c.Pixel(x, y) == colour;
  return n;
}

TEST(StartUp, ImagesAreBlackWithWhitePenAndBlackBrush) {
  LeadImages images;
  InitialiseImages(images);
  for (int i = 0; i < kImageCount; ++i) {
    const Canvas& c = images.Lead(i);
    EXPECT_EQ(CountColour(c, kBlack), c.Width() * c.Height());
    EXPECT_EQ(c.PenColour(), kWhite);
    EXPECT_EQ(c.BrushColour(), kBlack);
    EXPECT_EQ(c.GetBrushStyle(), BrushStyle::Solid);
  }
  EXPECT_EQ(images.ImageW4.Width(), 800);
  EXPECT_EQ(images.ImageW0.Height(), 300);
  EXPECT_THROW(images.Lead(5), std::out_of_range);
}

TEST(ColourTables, RampAndScaleColours) {
  std::array<Colour, kColourRampSize> ramp{};
  FillColourRamp(ramp);
  const std::pair<int, Colour> samples[] = {
      {0, 0x000000},   {64, 0x800000},  {127, 0xFE0000}, {128, 0xFF0000},
      {191, 0x817E00}, {255, 0x01FE00}, {256, 0x00FF00}, {383, 0x00FFFE},
      {384, 0x00FFFF}, {447, 0x0081FF}, {511, 0x0001FF}};
  for (auto [entry, colour] : samples) EXPECT_EQ(ramp[entry], colour) << entry;
  std::array<Colour, kScaleColourCount> scales{};
  FillScaleColours(scales);
  EXPECT_EQ(scales[0], 0x00FFFFu);
  EXPECT_EQ(scales[7], 0x0000FFu);
}

TEST(RawView, TruncatesTowardZeroAtTheGain) {
  Fixture f;
  f.record.LeadSignals[0].fill(33333.0);   // X: 99 pixels above 150
  f.record.LeadSignals[1].fill(-33333.0);  // Y: 99 pixels below 100
  f.record.QrsOnset = f.record.QrsOffset = 900;
  DrawRawSignal(f.images.ImageW4, f.record, kScrollBar2Initial);
  const Canvas& c = f.images.ImageW4;
  EXPECT_EQ(c.Pixel(0, 51), 0x00FF00u);
  EXPECT_EQ(c.Pixel(798, 51), 0x00FF00u);
  EXPECT_EQ(c.Pixel(799, 51), kBlack);  // the last point is a line's end point
  EXPECT_EQ(CountColour(c, 0x00FF00), 799);
  EXPECT_EQ(c.Pixel(400, 199), 0xFFFF00u);
  EXPECT_EQ(c.Pixel(400, 50), 0xFF00FFu);  // Z all zero: on its baseline

  DrawRawSignal(f.images.ImageW4, f.record, 99);  // gain 1: 3 pixels
  EXPECT_EQ(c.Pixel(400, 147), 0x00FF00u);
  EXPECT_EQ(CountColour(c, 0x00FF00), 799);  // the old drawing is gone
  DrawRawSignal(f.images.ImageW4, f.record, 0);  // gain 100: X at 150 - 333, clipped
  EXPECT_EQ(CountColour(c, 0x00FF00), 0);
  EXPECT_EQ(c.GetPenStyle(), PenStyle::Dotted);
  EXPECT_EQ(c.PenColour(), kGrey);
}

TEST(RawView, DottedGreyMarkersPaintTheirGapsBlack) {
  Fixture f;
  f.record.QrsOnset = 300;
  f.record.QrsOffset = 800;  // outside the image: nothing
  DrawRawSignal(f.images.ImageW4, f.record, kScrollBar2Initial);
  const Canvas& c = f.images.ImageW4;
  for (int y = 0; y < 200; ++y) EXPECT_EQ(c.Pixel(300, y), y % 6 < 3 ? kGrey : kBlack) << y;
  EXPECT_EQ(CountColour(c, kGrey), 101);  // 33 periods of 6 and two more
  EXPECT_EQ(c.Pixel(300, 100), kBlack);  // a gap over the cyan trace
}

TEST(BasicView, CurvesStandOnTheirZeroLines) {
  Fixture f;
  for (int a = 0; a < kScales; ++a) DrawScaleCurves(f.images, f.state, a);
  for (int lead = 0; lead < kLeads; ++lead) {
    const Canvas& c = f.images.Lead(lead);
    for (int a = 0; a < kScales; ++a) {
      EXPECT_EQ(c.Pixel(0, 285 - 15 * a), f.state.ScaleColours[a]);
      EXPECT_EQ(c.Pixel(398, 285 - 15 * a), f.state.ScaleColours[a]);
      EXPECT_EQ(c.Pixel(399, 285 - 15 * a), kBlack);
    }
    EXPECT_EQ(c.PenWidth(), 1);
  }
}

TEST(BasicView, MagnitudesScaleWithSelectedScaleAndTruncate) {
  for (auto [selected, lift] : {std::pair{1.0, 9}, std::pair{6.0, 59}}) {
    Fixture f;
    f.state.Display.SelectedScale = selected;
    f.state.TransformMagnitude[2].fill(399.9);
    f.state.TransformMagnitude[3].fill(1e300);  // far off the top: nothing, no overflow
    DrawScaleCurves(f.images, f.state, 0);
    EXPECT_EQ(f.images.ImageW2.Pixel(200, 285 - lift), 0x00FFFFu) << selected;
    EXPECT_EQ(CountColour(f.images.ImageW2, 0x00FFFF), 399);
    EXPECT_EQ(CountColour(f.images.ImageW3, 0x00FFFF), 0);
  }
}

TEST(BasicView, PeakSquaresAreTwoByTwoAboveTheirScale) {
  Fixture f;
  ClearAnalysisAccumulators(f.state);
  DrawPeakDots(f.images, f.state);  // empty list: the first entry is -1
  for (int lead = 0; lead < kLeads; ++lead)
    EXPECT_EQ(CountColour(f.images.Lead(lead), kWhite), 0);
  auto& list = f.state.PeakList;
  list.PeakListPosition[0] = 100;
  list.PeakListHeight[0] = 10;
  list.PeakListLead[0] = 1;
  list.PeakListScale[0] = 0;
  list.PeakListLead[1] = -1;
  DrawTimeRuler(f.images);  // leaves the pen width at 1 for the squares
  const int rulerWhite = CountColour(f.images.ImageW1, kWhite);
  DrawPeakDots(f.images, f.state);
  const Canvas& c = f.images.ImageW1;
  for (int x : {99, 100})
    for (int y : {264, 265}) EXPECT_EQ(c.Pixel(x, y), kWhite) << x << "," << y;
  EXPECT_EQ(CountColour(c, kWhite), rulerWhite + 4);
  EXPECT_EQ(CountColour(f.images.ImageW0, kWhite), rulerWhite);
  EXPECT_EQ(c.GetBrushStyle(), BrushStyle::Solid);
  EXPECT_EQ(c.BrushColour(), kWhite);
}

TEST(BasicView, RidgeLinesOnlyFromColumnTwoToThreeNinetySeven) {
  Fixture f;
  for (int x : {0, 1, 2, 200, 397, 398, 399}) f.state.RidgeFlags[0][x] = 1;
  f.state.RidgeFlags[1][50] = 2;  // only a 1 marks a ridge
  f.images.ImageW0.SetPixel(200, 4, 0x123456);
  DrawRidgeLines(f.images, f.state);
  const Canvas& c = f.images.ImageW0;
  for (int x : {0, 1, 398, 399}) EXPECT_EQ(c.Pixel(x, 0), kBlack) << x;
  for (int x : {2, 200, 397}) EXPECT_EQ(c.Pixel(x, 0), kPurple) << x;
  EXPECT_EQ(c.Pixel(200, 4), 0x123456u);  // a gap of a clear brush is left alone
  EXPECT_EQ(CountColour(c, kPurple), 3 * 150);
  EXPECT_EQ(CountColour(f.images.ImageW1, kPurple), 0);
  EXPECT_EQ(c.GetBrushStyle(), BrushStyle::Clear);
}

TEST(Spectrogram, ZeroMagnitudesGiveTwentyFiveShiftedFlatLines) {
  Fixture f;
  for (int n = 0; n < 25; ++n) DrawWaterfallRow(f.images, f.state, n);
  const Canvas& c = f.images.ImageW3;
  EXPECT_EQ(c.Pixel(0, 285), kYellow);
  EXPECT_EQ(c.Pixel(398, 285), kYellow);
  EXPECT_EQ(c.Pixel(399, 285), kBlack);
  EXPECT_EQ(c.Pixel(47, 237), kBlack);
  EXPECT_EQ(c.Pixel(48, 237), kYellow);
  EXPECT_EQ(c.Pixel(399, 237), kYellow);
  for (int n = 0; n < 25; ++n) EXPECT_EQ(c.Pixel(2 * n, 285 - 2 * n), kYellow) << n;
  int total = 0;
  for (int n = 0; n < 25; ++n) total += std::min(399, 400 - 2 * n);
  EXPECT_EQ(CountColour(c, kYellow), total);
}

TEST(MapView, MagnitudeEntries) {
  EXPECT_EQ(MapMagnitudeEntry(1.0), 0);
  EXPECT_EQ(MapMagnitudeEntry(2.0), 34);
  EXPECT_EQ(MapMagnitudeEntry(10.0), 115);
  EXPECT_EQ(MapMagnitudeEntry(30000.0), 511);
  EXPECT_EQ(MapMagnitudeEntry(0.5), 0);
  EXPECT_EQ(MapMagnitudeEntry(0.0), 0);
  EXPECT_EQ(MapMagnitudeEntry(std::nan("")), 0);
  EXPECT_EQ(MapMagnitudeEntry(INFINITY), 511);
}

TEST(MapView, PhaseEntries) {
  EXPECT_EQ(MapPhaseEntry(0.0, 1.0), 0);                                  // phase 0
  EXPECT_EQ(MapPhaseEntry(-std::sin(0.001), std::cos(0.001)), 1);         // -0.001
  EXPECT_EQ(MapPhaseEntry(1.0, 0.0), 64);                                 // PI/2
  EXPECT_EQ(MapPhaseEntry(-1.0, 0.0), 64);                                // -PI/2
  EXPECT_EQ(MapPhaseEntry(1e-300, -1.0), 128);                            // ~PI
  EXPECT_EQ(MapPhaseEntry(0.0, 0.0), 0);                                  // no phase
  EXPECT_EQ(MapPhaseEntry(-0.0, -0.0), 0);
}

TEST(MapView, RowsGoIntoBothBandsAndTheGapsStayBlack) {
  Fixture f;
  for (int lead = 0; lead < kLeads; ++lead) {
    f.state.TransformMagnitude[lead].fill(2.0);
    f.state.TransformReal[lead].fill(1.0);
  }
  for (int n = 0; n < 134; ++n) DrawMapRow(f.images, f.state, n);
  for (int lead = 0; lead < kLeads; ++lead) {
    const Canvas& c = f.images.Lead(lead);
    EXPECT_EQ(c.Pixel(0, 0), 0x440000u);
    EXPECT_EQ(c.Pixel(399, 133), 0x440000u);
    EXPECT_EQ(c.Pixel(0, 150), 0x800000u);
    EXPECT_EQ(c.Pixel(399, 283), 0x800000u);
    EXPECT_EQ(CountColour(c, 0x440000), 134 * 400);
    EXPECT_EQ(CountColour(c, 0x800000), 134 * 400);
    for (int y : {134, 149, 284, 299}) EXPECT_EQ(c.Pixel(200, y), kBlack) << y;
  }
  Fixture zero;  // all-zero transform (no record yet): black, no failure
  DrawMapRow(zero.images, zero.state, 0);
  EXPECT_EQ(CountColour(zero.images.ImageW0, kBlack), 400 * 300);
  DrawMapRow(zero.images, f.state, 150);  // would overrun the phase band: ignored
  EXPECT_EQ(CountColour(zero.images.ImageW0, kBlack), 400 * 300);
}

TEST(Overlays, ClearLeavesWhitePenAndSolidBlackBrush) {
  Fixture f;
  f.images.ImageW2.SetPixel(5, 5, kWhite);
  f.images.ImageW2.SetBrushStyle(BrushStyle::Clear);
  ClearLeadImages(f.images);
  EXPECT_EQ(CountColour(f.images.ImageW2, kBlack), 400 * 300);
  EXPECT_EQ(f.images.ImageW2.PenColour(), kWhite);
  EXPECT_EQ(f.images.ImageW2.GetBrushStyle(), BrushStyle::Solid);
}

TEST(Overlays, QrsMarkersAndDiagonalsAtOnset300Offset420) {
  Fixture f;
  f.record.QrsOnset = 300;
  f.record.QrsOffset = 420;
  DrawQrsMarkers(f.images, f.record);
  const Canvas& c = f.images.ImageW1;
  for (int y = 0; y < 300; ++y) {
    EXPECT_EQ(c.Pixel(40, y), y % 6 < 3 ? kGrey : kBlack);
    EXPECT_EQ(c.Pixel(160, y), y % 6 < 3 ? kGrey : kBlack);
  }
  EXPECT_EQ(CountColour(c, kGrey), 300);
  EXPECT_EQ(c.GetBrushStyle(), BrushStyle::Clear);

  ClearLeadImages(f.images);
  DrawWaterfallQrsMarkers(f.images, f.record);
  for (int k = 0; k < 50; ++k) {
    EXPECT_EQ(c.Pixel(40 + k, 285 - k), kWhite);
    EXPECT_EQ(c.Pixel(160 + k, 285 - k), kWhite);
  }
  EXPECT_EQ(c.Pixel(90, 235), kBlack);
  EXPECT_EQ(CountColour(c, kWhite), 100);

  Fixture early;
  early.record.QrsOnset = 259;
  early.record.QrsOffset = 660;
  DrawQrsMarkers(early.images, early.record);
  EXPECT_EQ(CountColour(early.images.ImageW0, kGrey), 0);
}

TEST(Overlays, RiseFallMarkersComeFromScaleIndexFour) {
  Fixture f;  // nothing analysed yet: both at x = 0
  DrawRiseFallMarkers(f.images, f.state);
  for (int lead = 0; lead < kLeads; ++lead) {
    EXPECT_EQ(f.images.Lead(lead).Pixel(0, 0), kDarkGreen);
    EXPECT_EQ(CountColour(f.images.Lead(lead), kDarkGreen), 150);
  }
  f.state.Results.RisePosition[2][4] = 30;
  f.state.Results.FallPosition[2][4] = 250;
  f.state.Results.RisePosition[2][3] = 77;
  ClearLeadImages(f.images);
  DrawRiseFallMarkers(f.images, f.state);
  EXPECT_EQ(f.images.ImageW2.Pixel(30, 1), kDarkGreen);
  EXPECT_EQ(f.images.ImageW2.Pixel(250, 2), kDarkGreen);
  EXPECT_EQ(CountColour(f.images.ImageW2, kDarkGreen), 300);
}

TEST(Overlays, TimeRulerTicksAndPenWidthBackToOne) {
  Fixture f;
  DrawTimeRuler(f.images);
  const Canvas& c = f.images.ImageW0;
  // x = 400: the 3-pixel pen reaches only column 399, rows 293..299.
  for (int y = 293; y < 300; ++y) EXPECT_EQ(c.Pixel(399, y), kWhite) << y;
  EXPECT_EQ(c.Pixel(399, 292), kBlack);
  EXPECT_EQ(c.Pixel(398, 299), kBlack);
  // x = 390: width 1, length 3, rows 298..299.
  EXPECT_EQ(c.Pixel(390, 298), kWhite);
  EXPECT_EQ(c.Pixel(390, 297), kBlack);
  EXPECT_EQ(c.Pixel(391, 299), kBlack);
  // x = 50: width 2 (columns 50, 51), length 5, rows 296..299.
  EXPECT_EQ(c.Pixel(51, 296), kWhite);
  EXPECT_EQ(c.Pixel(52, 299), kBlack);
  EXPECT_EQ(c.Pixel(50, 295), kBlack);
  // x = 0: width 3 covers columns 0 and 1.
  EXPECT_EQ(c.Pixel(1, 293), kWhite);
  EXPECT_EQ(c.Pixel(2, 299), kBlack);
  // 32 short ticks of 2 pixels, 4 mid ticks of 2 x 4, x = 100..300 of 3 x 7,
  // x = 0 and x = 400 of 2 x 7 and 1 x 7.
  EXPECT_EQ(CountColour(c, kWhite), 32 * 2 + 4 * 8 + 3 * 21 + 14 + 7);
  for (int lead = 0; lead < kLeads; ++lead) EXPECT_EQ(f.images.Lead(lead).PenWidth(), 1);
}

}  // namespace
}  // namespace wavelet

namespace wavelet {
namespace {

// The picture's axis reaches the largest magnitude at a 1-2-5 step and always shows
// the 40 uV line; the last 40 ms of the QRS are shaded, and nothing after the offset.
TEST(LatePotentialView, AxisTopAndShadedTail) {
  LatePotentialFigures f;
  EXPECT_EQ(LatePotentialAxisTop(f), 50.0);
  f.Magnitude[300] = 113.0;
  EXPECT_EQ(LatePotentialAxisTop(f), 200.0);
  f.Magnitude[300] = 1000.0;
  EXPECT_EQ(LatePotentialAxisTop(f), 1000.0);
  f.Magnitude[300] = 1001.0;
  EXPECT_EQ(LatePotentialAxisTop(f), 2000.0);

  f.QrsFound = true;
  f.Onset = 300;
  f.Offset = 400;
  f.NoiseStart = 20;
  Canvas image(kLatePotentialImageWidth, kLatePotentialImageHeight);
  DrawLatePotentials(image, f, "", "");
  const int left = 64;  // the plot's sample 0
  EXPECT_EQ(image.Pixel(left + 361, 150), Colour(0x402000));
  EXPECT_EQ(image.Pixel(left + 360, 150), Colour(0x000000));
  EXPECT_EQ(image.Pixel(left + 402, 150), Colour(0x000000));
  EXPECT_EQ(image.Pixel(left + 400, 150), Colour(0x00FFFF));  // the offset, dotted
}

}  // namespace
}  // namespace wavelet
