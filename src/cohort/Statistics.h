#pragma once
// The statistics of a study of yes/no criteria and continuous figures against a
// known group: proportions with Wilson score intervals, Cohen's kappa, the
// Mann-Whitney AUC with DeLong's variance, medians, quartiles and ROC points.
// Undefined values (an empty denominator) are nothing, never a number.

#include <optional>
#include <utility>
#include <vector>

namespace wavelet::cohort {

// The normal quantile of a two-sided 95 % interval.
inline constexpr double kZ95 = 1.959964;

struct Interval {
  double Low = 0.0;
  double High = 0.0;
};

struct Proportion {
  double Value = 0.0;
  Interval Wilson;
};

// successes / trials with its Wilson score interval; nothing for 0 trials.
std::optional<Proportion> WilsonProportion(int successes, int trials, double z = kZ95);

// Cohen's kappa of two raters over the same items, from the four counts: both yes,
// first yes only, second yes only, both no. Nothing when there are no items or the
// chance agreement is 1 (both raters say one thing throughout).
std::optional<double> CohenKappa(int bothYes, int firstOnly, int secondOnly, int bothNo);

struct AucEstimate {
  double Auc = 0.0;
  // DeLong's variance of the estimate; nothing with fewer than two of either group.
  std::optional<double> Variance;
  // Auc -/+ z * sqrt(Variance), clipped to 0..1.
  std::optional<Interval> Confidence;
};

// P(positive > negative) + 0.5 P(equal) over all pairs; nothing when a group is empty.
std::optional<AucEstimate> MannWhitneyAuc(const std::vector<double>& positive,
                                          const std::vector<double>& negative, double z = kZ95);

// The middle value (the mean of the two middle ones for an even count).
std::optional<double> Median(std::vector<double> values);

// The q-quantile (0..1) interpolated between order statistics at (n - 1) q.
std::optional<double> Quantile(std::vector<double> values, double q);

// The ROC curve of "positive when the figure is at least t" over every t: points
// (1 - specificity, sensitivity) from (0, 0) to (1, 1); empty when a group is empty.
std::vector<std::pair<double, double>> RocPoints(const std::vector<double>& positive,
                                                 const std::vector<double>& negative);

}  // namespace wavelet::cohort
