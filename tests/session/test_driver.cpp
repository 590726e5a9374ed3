// The analysis driver: the order of analysis and drawing, the two sweeps, and what the
// display-only sweeps leave alone. The pictures are fingerprints recorded from the
// agreed output of sample records.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "session/AnalysisDriver.h"
#include "support/Analysis.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::Fingerprint;
using testing::FreshState;
using testing::SameResults;

std::unique_ptr<LoadedRecord> Sample(int index) {
  return testing::Decoded(MakeSampleRecord(7, index));
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
  auto record = Sample(3);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->Display.DisplayMode = kDisplaySpectrogram;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.spectrogramRows, 25);
  EXPECT_EQ(hooks.mapRows, 0);
  EXPECT_TRUE(hooks.events.empty());
  state->Display.DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.mapRows, 134);
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"started", "finished"}));
}

TEST(DriverSweeps, MapIsTheAgreedPicture) {
  auto state = FreshState();
  auto record = Sample(5);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->Display.DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  // Recorded from the agreed output: 134 rows of both bands, the QRS and rise/fall
  // markers at zero and the ruler.
  const std::uint64_t expected[kLeads] = {0xd6f92480c08594b0ull, 0xb516341a3c21dc83ull,
                                          0xe14efc585ed0e2beull, 0x6464eb36a6d3e4abull};
  for (int lead = 0; lead < kLeads; ++lead)
    EXPECT_EQ(Fingerprint(images->Lead(lead)), expected[lead]) << lead;
}

TEST(DriverBasic, TwoRunsGiveIdenticalResultsAndImages) {
  auto state = FreshState();
  auto record = Sample(11);
  auto first = std::make_unique<LeadImages>();
  auto second = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  RunAnalysis(*state, *record, *first, {}, hooks);
  auto afterFirst = std::make_unique<AnalysisState>(*state);
  RunAnalysis(*state, *record, *second, {}, hooks);
  EXPECT_TRUE(SameResults(*afterFirst, *state));
  EXPECT_EQ(Fingerprint(*first), Fingerprint(*second));
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"sheet", "sheet"}));
  EXPECT_GT(state->PeakListCount, 0);
}

// The curves of each scale as it is transformed, the markers and the ruler, then the
// squares and the ridge lines as the options ask, over the figures of a plain analysis.
TEST(DriverBasic, DrawsInTheStatedOrderWithTheOptions) {
  const DisplaySettings cases[] = {
      {.Dots = true, .Lines = true}, {.Dots = false, .Lines = true}, {.Dots = true, .Lines = false}};
  // Recorded from the agreed output: [case][lead].
  const std::uint64_t expected[3][kLeads] = {
      {0xb0275ebf422d3883ull, 0x3e338b4d885e7346ull, 0x25955ac5524cf39cull, 0x395b3182f6c0665eull},
      {0x6b6058c286bf94d7ull, 0x3dea9cedaae35c51ull, 0xc273ffe2cbcc8b99ull, 0xa5714d923cef0f86ull},
      {0x0b36e53b6f506659ull, 0x1b5cfed5aa469ee1ull, 0xff624548d032fbf1ull, 0x3d6e02a304ce718dull}};
  for (int c = 0; c < 3; ++c) {
    auto state = FreshState();
    auto record = Sample(17);
    auto images = std::make_unique<LeadImages>();
    RecordingHooks hooks;
    RunAnalysis(*state, *record, *images, cases[c], hooks);
    EXPECT_TRUE(SameResults(*testing::AnalysedState(*record), *state));
    int ridges = 0;
    for (const auto& lead : state->RidgeFlags)
      for (int flag : lead) ridges += flag == 1;
    ASSERT_GT(state->PeakListCount, 0);
    ASSERT_GT(ridges, 0);  // so both overlays are really exercised
    for (int lead = 0; lead < kLeads; ++lead)
      EXPECT_EQ(Fingerprint(images->Lead(lead)), expected[c][lead])
          << "lead " << lead << " dots " << cases[c].Dots << " lines " << cases[c].Lines;
  }
}

TEST(DriverSweeps, LeaveTheLastBasicResultsUntouched) {
  auto state = FreshState();
  auto record = Sample(23);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  RunAnalysis(*state, *record, *images, {}, hooks);
  auto basic = std::make_unique<AnalysisState>(*state);
  basic->PeakListCount = 0;  // the one thing every analysis resets
  for (int mode : {kDisplaySpectrogram, kDisplayMap}) {
    state->Display.DisplayMode = mode;
    RunAnalysis(*state, *record, *images, {}, hooks);
    EXPECT_TRUE(SameResults(*basic, *state)) << mode;
  }
  EXPECT_EQ(hooks.events.back(), "finished");
}

TEST(DriverSweeps, MapBeforeAnyBasicAnalysisMarksRiseAndFallAtZero) {
  auto state = FreshState();
  auto record = Sample(29);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->Display.DisplayMode = kDisplayMap;
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
  auto record = testing::EmptyRecord(900, 900);
  auto images = std::make_unique<LeadImages>();
  RecordingHooks hooks;
  state->Display.DisplayMode = kDisplayMap;
  RunAnalysis(*state, *record, *images, {}, hooks);
  EXPECT_EQ(hooks.mapRows, 134);
  EXPECT_EQ(images->ImageW0.Pixel(200, 50), 0x000000u);
  EXPECT_EQ(images->ImageW0.Pixel(200, 200), 0x000000u);
}

}  // namespace
}  // namespace wavelet
