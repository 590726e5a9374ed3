// The analysis driver: the order of analysis and drawing, the two sweeps, and what the
// display-only sweeps leave alone.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "session/AnalysisDriver.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/Transform.h"
#include "views/BasicView.h"
#include "views/MapView.h"
#include "views/Overlays.h"
#include "views/SpectrogramView.h"

namespace wavelet {
namespace {

// The state is large: keep it off the stack.
std::unique_ptr<AnalysisState> FreshState() {
  auto state = std::make_unique<AnalysisState>();
  InitialiseAnalysisState(*state);
  return state;
}

std::unique_ptr<LoadedRecord> EmptyRecord(int onset, int offset) {
  auto record = std::make_unique<LoadedRecord>();
  record->QrsOnset = onset;
  record->QrsOffset = offset;
  return record;
}

// A beat: a QRS of a few lobes, a T wave, small late wiggles after the offset and a
// little noise, in whole numbers as decoded records hold.
std::unique_ptr<LoadedRecord> RealisticRecord(unsigned seed) {
  auto record = EmptyRecord(310, 410);
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 2.0);
  for (int k = 0; k < kRecordedLeads; ++k) {
    const double gain = 800.0 + 300.0 * k;
    for (int n = 0; n < kSamplesPerLead; ++n) {
      const double u = (n - 310) / 100.0;
      double v = gain * std::exp(-std::pow((u - 0.35) / 0.12, 2)) * (k == 1 ? -1.0 : 1.0);
      v -= 0.4 * gain * std::exp(-std::pow((u - 0.6) / 0.08, 2));
      v += 30.0 * std::sin(0.9 * (n - 410)) * std::exp(-std::pow((n - 425) / 12.0, 2));
      v += 200.0 * std::exp(-std::pow((n - 590) / 60.0, 2));
      record->LeadSignals[k][n] = std::round(v + noise(random));
    }
  }
  return record;
}

class RecordingHooks : public AnalysisDriverHooks {
 public:
  std::vector<std::string> events;
  int mapRows = 0;
  int spectrogramRows = 0;
  void MapStarted() override { events.push_back("started"); }
  void MapRowDone(int rows) override {
    EXPECT_EQ(rows, mapRows + 1);
    mapRows = rows;
  }
  void MapFinished() override { events.push_back("finished"); }
  void SpectrogramRowDone(int rows) override {
    EXPECT_EQ(rows, spectrogramRows + 1);
    spectrogramRows = rows;
  }
  void ShowCalculationData() override { events.push_back("sheet"); }
};

bool SameImages(const LeadImages& a, const LeadImages& b) {
  for (int i = 0; i < kImageCount; ++i) {
    const Canvas& x = a.Lead(i);
    const Canvas& y = b.Lead(i);
    if (std::memcmp(x.Pixels(), y.Pixels(), sizeof(std::uint32_t) * x.Width() * x.Height()))
      return false;
  }
  return true;
}

bool SameResults(const AnalysisState& a, const AnalysisState& b) {
  return std::memcmp(&a.Results, &b.Results, sizeof a.Results) == 0 &&
         a.PeakFlags == b.PeakFlags && a.RidgeFlags == b.RidgeFlags &&
         a.PeakList.PeakListLead == b.PeakList.PeakListLead &&
         a.PeakList.PeakListPosition == b.PeakList.PeakListPosition &&
         a.PeakList.PeakListHeight == b.PeakList.PeakListHeight;
}

TEST(DriverSweeps, TwentyFiveAndOneHundredThirtyFourRowsAsDirectSteps) {
  const auto spectrogram = SweepScales(kSpectrogramStep);
  const auto map = SweepScales(kMapStep);
  ASSERT_EQ(spectrogram.size(), 25u);
  ASSERT_EQ(map.size(), 134u);
  for (int n = 0; n < 25; ++n) EXPECT_NEAR(spectrogram[n], 3.5 - 0.08 * n, 1e-12);
  for (int n = 0; n < 134; ++n) EXPECT_NEAR(map[n], 3.5 - 0.015 * n, 1e-12);
  EXPECT_NEAR(spectrogram.back(), 1.58, 1e-12);
  EXPECT_NEAR(map.back(), 1.505, 1e-12);

  auto state = FreshState();
  auto record = RealisticRecord(3);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->DisplayMode = kDisplaySpectrogram;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.spectrogramRows, 25);
  EXPECT_EQ(hooks.mapRows, 0);
  EXPECT_TRUE(hooks.events.empty());
  state->DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.mapRows, 134);
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"started", "finished"}));
}

// The map drawn by the driver equals the map built row by row from the transform.
TEST(DriverSweeps, MapRowsAreTheTransformsOfTheSweep) {
  auto state = FreshState();
  auto record = RealisticRecord(5);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);

  auto reference = FreshState();
  auto expected = std::make_unique<LeadImages>();
  ClearLeadImages(*expected);
  int row = 0;
  for (double b : SweepScales(kMapStep)) {
    TransformAtScale(*reference, *record, b, -1);
    DrawMapRow(*expected, *reference, row++);
  }
  DrawQrsMarkers(*expected, *record);
  DrawRiseFallMarkers(*expected, *reference);
  DrawTimeRuler(*expected);
  for (int lead = 0; lead < kLeads; ++lead)
    EXPECT_EQ(std::memcmp(images->Lead(lead).Pixels(), expected->Lead(lead).Pixels(),
                          400 * 300 * 4), 0) << lead;
}

TEST(DriverBasic, TwoRunsGiveIdenticalResultsAndImages) {
  auto state = FreshState();
  auto record = RealisticRecord(11);
  auto first = std::make_unique<LeadImages>();
  auto second = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  RunAnalysis(*state, *record, *first, {}, hooks);
  auto afterFirst = std::make_unique<AnalysisState>(*state);
  RunAnalysis(*state, *record, *second, {}, hooks);
  EXPECT_TRUE(SameResults(*afterFirst, *state));
  EXPECT_TRUE(SameImages(*first, *second));
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"sheet", "sheet"}));
  EXPECT_GT(state->PeakListCount, 0);
}

// The driver's picture is the analysis's figures drawn in the stated order; the same
// drawing done by hand from a silent analysis must match pixel for pixel.
TEST(DriverBasic, DrawsInTheStatedOrderWithTheOptions) {
  for (DriverOptions options : {DriverOptions{true, true}, DriverOptions{false, true},
                                DriverOptions{true, false}}) {
    auto state = FreshState();
    auto record = RealisticRecord(17);
    auto images = std::make_unique<LeadImages>();
    RecordingHooks hooks;
    RunAnalysis(*state, *record, *images, options, hooks);

    auto reference = FreshState();
    auto expected = std::make_unique<LeadImages>();
    ClearLeadImages(*expected);
    AnalyseRecord(*reference, *record);  // final figures for squares and ridges
    auto perScale = FreshState();
    for (int a = 0; a < kScales; ++a) {
      TransformAtScale(*perScale, *record, perScale->ScaleTable[a], a);
      DrawScaleCurves(*expected, *perScale, a);
    }
    DrawQrsMarkers(*expected, *record);
    DrawRiseFallMarkers(*expected, *reference);
    DrawTimeRuler(*expected);
    if (options.Dots) DrawPeakDots(*expected, *reference);
    if (options.Lines) DrawRidgeLines(*expected, *reference);
    EXPECT_TRUE(SameResults(*reference, *state));
    int ridges = 0;
    for (const auto& lead : reference->RidgeFlags)
      for (int flag : lead) ridges += flag == 1;
    ASSERT_GT(reference->PeakListCount, 0);
    ASSERT_GT(ridges, 0);  // so both overlays are really exercised
    for (int lead = 0; lead < kLeads; ++lead)
      EXPECT_EQ(std::memcmp(images->Lead(lead).Pixels(), expected->Lead(lead).Pixels(),
                            400 * 300 * 4), 0)
          << "lead " << lead << " dots " << options.Dots << " lines " << options.Lines;
  }
}

TEST(DriverSweeps, LeaveTheLastBasicResultsUntouched) {
  auto state = FreshState();
  auto record = RealisticRecord(23);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  RunAnalysis(*state, *record, *images, {}, hooks);
  auto basic = std::make_unique<AnalysisState>(*state);
  for (int mode : {kDisplaySpectrogram, kDisplayMap}) {
    state->DisplayMode = mode;
    RunAnalysis(*state, *record, *images, {}, hooks);
    EXPECT_TRUE(SameResults(*basic, *state)) << mode;
    EXPECT_EQ(state->PeakListCount, 0);  // the one thing every analysis resets
  }
  EXPECT_EQ(hooks.events.back(), "finished");
}

TEST(DriverSweeps, MapBeforeAnyBasicAnalysisMarksRiseAndFallAtZero) {
  auto state = FreshState();
  auto record = RealisticRecord(29);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  for (int lead = 0; lead < kLeads; ++lead) {
    const Canvas& c = images->Lead(lead);
    // Dotted: rows with y % 6 < 3 are on; the gaps show the black bands beneath.
    for (int y : {138, 139, 140, 288, 289, 290}) EXPECT_EQ(c.Pixel(0, y), 0x008000u) << y;
    for (int y : {141, 142, 143, 291}) EXPECT_EQ(c.Pixel(0, y), 0x000000u) << y;
  }
}

TEST(DriverSweeps, ZeroRecordMapCompletesBlack) {
  auto state = FreshState();
  auto record = EmptyRecord(900, 900);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.mapRows, 134);
  EXPECT_EQ(images->ImageW0.Pixel(200, 50), 0x000000u);
  EXPECT_EQ(images->ImageW0.Pixel(200, 200), 0x000000u);
}

}  // namespace
}  // namespace wavelet
