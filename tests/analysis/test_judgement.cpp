#include <gtest/gtest.h>

#include "analysis/Judgement.h"
#include "support/Analysis.h"

namespace wavelet {
namespace {

AnalysisResults StartUpResults() { return testing::FreshState()->Results; }

TEST(Judgement, ThresholdsOnBothSides) {
  AnalysisResults r = StartUpResults();
  r.Area[LeadM][4] = 95999.9;
  r.PeakCount[LeadM][0] = 7;
  r.CombinedLastPeak[LeadM] = 91;
  r.Fqrs[LeadM][4] = 140;
  ComputeJudgements(r);
  EXPECT_EQ(r.AreaJudge, 1);
  EXPECT_EQ(r.CountJudge, 1);
  EXPECT_EQ(r.LastPeakJudge, 1);
  EXPECT_EQ(r.FqrsJudge, 1);

  r.Area[LeadM][4] = 96001.0;
  r.PeakCount[LeadM][0] = 6;
  r.PeakCount[LeadM][4] = 99;  // plays no part
  r.CombinedLastPeak[LeadM] = 90;
  r.Fqrs[LeadM][4] = 139;
  ComputeJudgements(r);
  EXPECT_EQ(r.AreaJudge, 0);
  EXPECT_EQ(r.CountJudge, 0);
  EXPECT_EQ(r.LastPeakJudge, 0);
  EXPECT_EQ(r.FqrsJudge, 0);
  EXPECT_EQ(r.Judge1, 0);
  EXPECT_EQ(r.Judge2, 0);
}

TEST(Judgement, TwoOutOfThreeVotes) {
  AnalysisResults r = StartUpResults();
  r.Area[LeadM][4] = 1000.0;  // area 1
  r.PeakCount[LeadM][0] = 8;  // count 1
  r.CombinedLastPeak[LeadM] = -40;
  r.Fqrs[LeadM][4] = 0;
  ComputeJudgements(r);
  EXPECT_EQ(r.Judge1, 1);
  EXPECT_EQ(r.Judge2, 1);

  r.PeakCount[LeadM][0] = 0;
  r.CombinedLastPeak[LeadM] = 100;  // last 1, area 1: judge 1 only
  ComputeJudgements(r);
  EXPECT_EQ(r.Judge1, 1);
  EXPECT_EQ(r.Judge2, 0);

  r.Fqrs[LeadM][4] = 150;  // now fqrs 1 too
  ComputeJudgements(r);
  EXPECT_EQ(r.Judge2, 1);
}

}  // namespace
}  // namespace wavelet
