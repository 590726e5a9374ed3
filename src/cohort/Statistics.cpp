#include "cohort/Statistics.h"

#include <algorithm>
#include <cmath>

namespace wavelet::cohort {

std::optional<Proportion> WilsonProportion(int successes, int trials, double z) {
  if (trials <= 0) return std::nullopt;
  const double n = trials;
  const double p = successes / n;
  const double z2 = z * z;
  const double denominator = 1.0 + z2 / n;
  const double centre = (p + z2 / (2.0 * n)) / denominator;
  const double half = z / denominator * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n));
  return Proportion{p, {std::max(0.0, centre - half), std::min(1.0, centre + half)}};
}

std::optional<double> CohenKappa(int bothYes, int firstOnly, int secondOnly, int bothNo) {
  const double n = static_cast<double>(bothYes) + firstOnly + secondOnly + bothNo;
  if (n <= 0) return std::nullopt;
  const double observed = (bothYes + bothNo) / n;
  const double firstYes = (bothYes + firstOnly) / n;
  const double secondYes = (bothYes + secondOnly) / n;
  const double chance = firstYes * secondYes + (1.0 - firstYes) * (1.0 - secondYes);
  if (chance >= 1.0) return std::nullopt;
  return (observed - chance) / (1.0 - chance);
}

namespace {

// For each value: the count of `others` below it plus half the count equal to it.
std::vector<double> PlacementCounts(const std::vector<double>& values, std::vector<double> others) {
  std::sort(others.begin(), others.end());
  std::vector<double> counts;
  counts.reserve(values.size());
  for (const double v : values) {
    const auto low = std::lower_bound(others.begin(), others.end(), v);
    const auto high = std::upper_bound(low, others.end(), v);
    counts.push_back(static_cast<double>(low - others.begin()) + 0.5 * static_cast<double>(high - low));
  }
  return counts;
}

double SampleVariance(const std::vector<double>& values) {
  double mean = 0.0;
  for (const double v : values) mean += v;
  mean /= static_cast<double>(values.size());
  double sum = 0.0;
  for (const double v : values) sum += (v - mean) * (v - mean);
  return sum / static_cast<double>(values.size() - 1);
}

}  // namespace

std::optional<AucEstimate> MannWhitneyAuc(const std::vector<double>& positive,
                                          const std::vector<double>& negative, double z) {
  if (positive.empty() || negative.empty()) return std::nullopt;
  const double m = static_cast<double>(positive.size());
  const double n = static_cast<double>(negative.size());
  // DeLong's structural components: each positive's share of negatives below it, and
  // each negative's share of positives above it.
  std::vector<double> v10 = PlacementCounts(positive, negative);
  std::vector<double> v01 = PlacementCounts(negative, positive);
  double wins = 0.0;
  for (double& v : v10) {
    wins += v;
    v /= n;
  }
  for (double& v : v01) v = (m - v) / m;
  AucEstimate estimate;
  estimate.Auc = wins / (m * n);
  if (positive.size() >= 2 && negative.size() >= 2) {
    const double variance = SampleVariance(v10) / m + SampleVariance(v01) / n;
    estimate.Variance = variance;
    const double half = z * std::sqrt(variance);
    estimate.Confidence = Interval{std::max(0.0, estimate.Auc - half), std::min(1.0, estimate.Auc + half)};
  }
  return estimate;
}

std::optional<double> Quantile(std::vector<double> values, double q) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const double at = (static_cast<double>(values.size()) - 1.0) * q;
  const std::size_t below = static_cast<std::size_t>(std::floor(at));
  const std::size_t above = std::min(values.size() - 1, below + 1);
  const double fraction = at - static_cast<double>(below);
  return values[below] + (values[above] - values[below]) * fraction;
}

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  const std::size_t half = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
  const double upper = values[half];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half));
  return (lower + upper) / 2.0;
}

std::vector<std::pair<double, double>> RocPoints(const std::vector<double>& positive,
                                                 const std::vector<double>& negative) {
  if (positive.empty() || negative.empty()) return {};
  std::vector<std::pair<double, bool>> all;
  all.reserve(positive.size() + negative.size());
  for (const double v : positive) all.emplace_back(v, true);
  for (const double v : negative) all.emplace_back(v, false);
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::pair<double, double>> points{{0.0, 0.0}};
  double truePositives = 0.0;
  double falsePositives = 0.0;
  // Lowering the threshold past each distinct value takes in all records of it.
  for (std::size_t i = 0; i < all.size();) {
    const double value = all[i].first;
    for (; i < all.size() && all[i].first == value; ++i) {
      (all[i].second ? truePositives : falsePositives) += 1.0;
    }
    points.emplace_back(falsePositives / static_cast<double>(negative.size()),
                        truePositives / static_cast<double>(positive.size()));
  }
  return points;
}

}  // namespace wavelet::cohort
