// The study's statistics on small cases whose values were worked out independently:
// the Wilson limits by scipy (binomtest(...).proportion_ci(method="wilson")), the
// kappa by hand, the AUC and DeLong's variance from the full pair matrix in numpy.

#include <gtest/gtest.h>

#include "cohort/Statistics.h"

namespace wavelet::cohort {
namespace {

TEST(WilsonInterval, MatchesScipyIncludingTheBounds) {
  struct Case {
    int successes, trials;
    double low, high;
  };
  for (const Case& c : {Case{11, 14, 0.5241076941, 0.9242861329}, Case{13, 27, 0.3074322698, 0.6601438425},
                        Case{0, 5, 0.0, 0.4344824648}, Case{5, 5, 0.5655175352, 1.0}}) {
    const std::optional<Proportion> p = WilsonProportion(c.successes, c.trials);
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->Value, static_cast<double>(c.successes) / c.trials);
    EXPECT_NEAR(p->Wilson.Low, c.low, 1e-8) << c.successes << "/" << c.trials;
    EXPECT_NEAR(p->Wilson.High, c.high, 1e-8) << c.successes << "/" << c.trials;
  }
  EXPECT_FALSE(WilsonProportion(0, 0));  // no trials: undefined, not 0
}

TEST(CohenKappa, TextbookCaseAndTheUndefinedOnes) {
  // 50 items: observed agreement 0.7, chance 0.5 x 0.6 + 0.5 x 0.4 = 0.5.
  EXPECT_NEAR(*CohenKappa(20, 5, 10, 15), 0.4, 1e-12);
  EXPECT_NEAR(*CohenKappa(10, 0, 0, 10), 1.0, 1e-12);
  EXPECT_NEAR(*CohenKappa(0, 10, 10, 0), -1.0, 1e-12);
  EXPECT_FALSE(CohenKappa(0, 0, 0, 0));
  EXPECT_FALSE(CohenKappa(7, 0, 0, 0));  // both say yes throughout: chance agreement 1
}

TEST(MannWhitneyAuc, TiesCountHalfAndDeLongMatchesThePairMatrix) {
  const std::optional<AucEstimate> auc = MannWhitneyAuc({3, 5, 5, 7}, {1, 3, 5});
  ASSERT_TRUE(auc && auc->Variance && auc->Confidence);
  EXPECT_NEAR(auc->Auc, 9.5 / 12, 1e-12);
  EXPECT_NEAR(*auc->Variance, 0.033564814815, 1e-11);
  EXPECT_NEAR(auc->Confidence->Low, 0.432587488811, 1e-9);
  EXPECT_DOUBLE_EQ(auc->Confidence->High, 1.0);  // clipped

  // A figure lower in the positive group lies below one half; all equal is exactly a half.
  EXPECT_NEAR(MannWhitneyAuc({1, 2}, {3, 4})->Auc, 0.0, 1e-12);
  const std::optional<AucEstimate> equal = MannWhitneyAuc({2, 2, 2}, {2, 2});
  EXPECT_DOUBLE_EQ(equal->Auc, 0.5);
  EXPECT_DOUBLE_EQ(*equal->Variance, 0.0);
  // One record in a group: an AUC, but no variance and no interval.
  EXPECT_FALSE(MannWhitneyAuc({4}, {1, 2})->Variance);
  EXPECT_FALSE(MannWhitneyAuc({}, {1, 2}));
}

TEST(OrderStatistics, MediansQuartilesAndRocPoints) {
  EXPECT_DOUBLE_EQ(*Median({4, 1, 3, 2}), 2.5);
  EXPECT_DOUBLE_EQ(*Median({9, 1, 5}), 5);
  EXPECT_FALSE(Median({}));
  EXPECT_DOUBLE_EQ(*Quantile({10, 1, 3, 2, 4}, 0.25), 2.0);
  EXPECT_DOUBLE_EQ(*Quantile({1, 2}, 0.5), 1.5);
  // Thresholds 3, 2, 1 in turn; the tie at 2 moves both rates at once.
  const std::vector<std::pair<double, double>> expected{{0, 0}, {0, 0.5}, {0.5, 1}, {1, 1}};
  EXPECT_EQ(RocPoints({3, 2}, {2, 1}), expected);
  EXPECT_TRUE(RocPoints({1}, {}).empty());
}

}  // namespace
}  // namespace wavelet::cohort
