#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "analysis/BasicAnalysis.h"
#include "analysis/Judgement.h"
#include "analysis/Features.h"
#include "analysis/Transform.h"
#include "support/Analysis.h"
#include "support/Records.h"

namespace wavelet {
namespace {

using testing::Decoded;
using testing::FreshState;
using testing::SameResults;

// The invariants every basic analysis must leave behind, whatever the input.
void ExpectInvariants(const AnalysisState& s) {
  ASSERT_GE(s.PeakListCount, 0);
  ASSERT_LT(s.PeakListCount, kPeakListCapacity);
  EXPECT_EQ(s.PeakList.PeakListLead[s.PeakListCount], -1);
  int counted[kLeads][kScales] = {};
  for (int i = 0; i < s.PeakListCount; ++i) {
    const int k = s.PeakList.PeakListLead[i];
    const int a = s.PeakList.PeakListScale[i];
    ASSERT_TRUE(k >= 0 && k < kLeads && a >= 0 && a < kScales);
    const int p = s.PeakList.PeakListPosition[i];
    ASSERT_TRUE(p >= 0 && p < kPositions);
    ++counted[k][a];
  }
  for (int k = 0; k < kLeads; ++k)
    for (int a = 0; a < kScales; ++a) EXPECT_EQ(s.Results.PeakCount[k][a], counted[k][a]);
  for (int j : {s.Results.AreaJudge, s.Results.CountJudge, s.Results.LastPeakJudge,
                s.Results.FqrsJudge, s.Results.Judge1, s.Results.Judge2})
    EXPECT_TRUE(j == 0 || j == 1);
}

TEST(BasicAnalysis, StartUpResultsAreZero) {
  auto state = FreshState();
  AnalysisResults zero{};
  zero.AreaThreshold = 96.0;
  zero.CountThreshold = 7;
  zero.LastPeakThreshold = 91.0;
  zero.FqrsThreshold = 140;
  EXPECT_EQ(std::memcmp(&state->Results, &zero, sizeof zero), 0);
  EXPECT_EQ(state->PlotDivisor, 40.0);
  EXPECT_EQ(state->ScaleTable[0], 3.25);
  EXPECT_EQ(state->ScaleTable[7], 1.5);
}

class CountingObserver : public BasicAnalysisObserver {
 public:
  explicit CountingObserver(const AnalysisState& s) : state(s) {}
  void ScaleDone(int a) override {
    events.push_back("scale " + std::to_string(a));
    for (int k = 0; k < kLeads; ++k) {
      EXPECT_EQ(state.Results.Area[k][a], state.Results.ScaleArea[k]);
    }
  }
  void ScalesDone() override { events.push_back("scales"); }
  void PeakListClosed() override {
    EXPECT_EQ(state.PeakList.PeakListLead[state.PeakListCount], -1);
    events.push_back("closed");
  }
  void RidgesFound() override {
    events.push_back("ridges");
    judge1AtRidges = state.Results.Judge1;
  }
  const AnalysisState& state;
  int judge1AtRidges = 0;
  std::vector<std::string> events;
};

TEST(BasicAnalysis, HooksComeInOrderWithTheAreaCopied) {
  auto state = FreshState();
  auto record = Decoded(MakeSampleRecord(7, 1));
  CountingObserver observer(*state);
  state->Results.Judge1 = state->Results.Judge2 = state->Results.AreaJudge = 7;
  RunBasicAnalysisSequence(*state, *record, observer);
  // The judgements are the last step, after the ridges: no stale flag survives.
  EXPECT_EQ(observer.judge1AtRidges, 7);
  AnalysisResults judged = state->Results;
  ComputeJudgements(judged);
  EXPECT_EQ(judged.Judge1, state->Results.Judge1);
  EXPECT_EQ(judged.Judge2, state->Results.Judge2);
  EXPECT_EQ(judged.AreaJudge, state->Results.AreaJudge);
  ASSERT_EQ(observer.events.size(), 11u);
  EXPECT_EQ(observer.events[0], "scale 0");
  EXPECT_EQ(observer.events[7], "scale 7");
  EXPECT_EQ(observer.events[8], "scales");
  EXPECT_EQ(observer.events[9], "closed");
  EXPECT_EQ(observer.events[10], "ridges");
  ExpectInvariants(*state);
  EXPECT_FALSE(state->WindowsClamped);
  // A sample beat has maxima, rises and falls to find.
  EXPECT_GT(state->Results.PeakCount[LeadM][0], 0);
  EXPECT_GT(state->Results.Area[LeadM][4], 0.0);
  EXPECT_GT(state->Results.FallPosition[LeadM][4], state->Results.RisePosition[LeadM][4]);
}

// Every record's results depend on that record alone: twice in a row, or after any
// other record, they are the same as on a fresh start.
TEST(BasicAnalysis, ResultsDependOnTheRecordAlone) {
  auto record = Decoded(MakeSampleRecord(7, 2));
  auto fresh = FreshState();
  AnalyseRecord(*fresh, *record);

  auto reused = FreshState();
  AnalyseRecord(*reused, *record);
  AnalyseRecord(*reused, *record);
  EXPECT_TRUE(SameResults(*fresh, *reused));

  // A flat record finds no rise or fall; it must not inherit the previous ones.
  auto flat = testing::EmptyRecord(310, 410);
  auto afterOther = FreshState();
  AnalyseRecord(*afterOther, *record);
  AnalyseRecord(*afterOther, *flat);
  auto flatFresh = FreshState();
  AnalyseRecord(*flatFresh, *flat);
  EXPECT_TRUE(SameResults(*afterOther, *flatFresh));
  EXPECT_EQ(afterOther->Results.RisePosition[LeadM][4], 0);
}

TEST(BasicAnalysis, ViewSweepsKeepTheBasicResults) {
  auto state = FreshState();
  auto record = Decoded(MakeSampleRecord(7, 4));
  AnalyseRecord(*state, *record);
  auto before = std::make_unique<AnalysisState>(*state);
  for (double b = 3.5; b > 1.5; b -= 0.08) TransformAtScale(*state, *record, b, -1);
  EXPECT_TRUE(SameResults(*before, *state));
}

// Records outside 290 <= onset < offset <= 607 are analysed on clamped windows: no read
// outside positions 0..399 (the sanitizer build checks that), sane results, a flag.
TEST(BasicAnalysis, OutOfRangeOnsetsAndOffsetsAreClampedAndFlagged) {
  const int cases[][2] = {{0, 400},   {289, 400}, {600, 700}, {65535, 65535}, {300, 650},
                          {400, 350}, {350, 350}, {0, 0},     {-5, 65535},    {310, 410}};
  for (const auto& c : cases) {
    auto state = FreshState();
    auto record = Decoded(MakeSampleRecord(7, 5));
    record->QrsOnset = c[0];
    record->QrsOffset = c[1];
    AnalyseRecord(*state, *record);
    SCOPED_TRACE(std::to_string(c[0]) + ".." + std::to_string(c[1]));
    ExpectInvariants(*state);
    const bool inRange = 290 <= c[0] && c[0] < c[1] && c[1] <= 607;
    EXPECT_EQ(state->WindowsClamped, !inRange);
    if (c[0] >= c[1]) {
      for (int k = 0; k < kLeads; ++k) {
        EXPECT_EQ(state->Results.CombinedPeakCount[k], 0);
        EXPECT_EQ(state->Results.PeakCount[k][0], 0);
        EXPECT_EQ(state->Results.Area[k][4], 0.0);
      }
    }
  }
}

TEST(BasicAnalysis, ExtremeSignalsFinishWithoutUndefinedConversions) {
  std::vector<std::unique_ptr<LoadedRecord>> records;
  auto steps = testing::EmptyRecord(300, 420);  // 32767 added every sample
  for (auto& lead : steps->LeadSignals)
    for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = 32767.0 * (n + 1);
  records.push_back(std::move(steps));
  auto flat = testing::EmptyRecord(300, 420);
  for (auto& lead : flat->LeadSignals) lead.fill(-32768.0);
  records.push_back(std::move(flat));
  records.push_back(testing::NoiseRecord(8, 32767.0 * 800));
  auto huge = testing::EmptyRecord(300, 420);
  for (auto& lead : huge->LeadSignals)
    for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = (n % 2 ? 1e305 : -1e305);
  records.push_back(std::move(huge));
  auto broken = testing::NoiseRecord(9, 100.0);
  broken->LeadSignals[0][400] = std::numeric_limits<double>::quiet_NaN();
  broken->LeadSignals[1][420] = std::numeric_limits<double>::infinity();
  records.push_back(std::move(broken));

  for (const auto& record : records) {
    auto state = FreshState();
    AnalyseRecord(*state, *record);
    ExpectInvariants(*state);
  }
}

}  // namespace
}  // namespace wavelet
