// The one conversion to int, on the edges every former caller relied on: the page
// and peak heights (the int range), canvas coordinates (+-2^30) and ramp entries
// (0..511).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/Truncate.h"

namespace wavelet {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kLimit = 1 << 30;

TEST(TruncateToInt, TowardZeroNanToZeroAndHeldAtTheBounds) {
  struct Row {
    double Value;
    int Lowest, Highest, Expected;
  };
  const Row rows[] = {
      {std::nan(""), kIntLowest, kIntHighest, 0},
      {kInf, kIntLowest, kIntHighest, kIntHighest},
      {-kInf, kIntLowest, kIntHighest, kIntLowest},
      {-0.5, kIntLowest, kIntHighest, 0},
      {0.999, kIntLowest, kIntHighest, 0},
      {-99.999, kIntLowest, kIntHighest, -99},
      {2147483646.5, kIntLowest, kIntHighest, 2147483646},
      {2147483647.0, kIntLowest, kIntHighest, kIntHighest},
      {2147483647.5, kIntLowest, kIntHighest, kIntHighest},
      {2147483648.0, kIntLowest, kIntHighest, kIntHighest},
      {-2147483647.5, kIntLowest, kIntHighest, -2147483647},
      {-2147483648.0, kIntLowest, kIntHighest, kIntLowest},
      {-2147483648.5, kIntLowest, kIntHighest, kIntLowest},
      {-2147483649.0, kIntLowest, kIntHighest, kIntLowest},
      {1e300, kIntLowest, kIntHighest, kIntHighest},
      {kLimit - 0.5, -kLimit, kLimit, kLimit - 1},
      {kLimit + 0.5, -kLimit, kLimit, kLimit},
      {-kLimit - 0.5, -kLimit, kLimit, -kLimit},
      {-kInf, -kLimit, kLimit, -kLimit},
      {std::nan(""), -kLimit, kLimit, 0},
      {-0.5, 0, 511, 0},
      {510.999, 0, 511, 510},
      {511.0, 0, 511, 511},
      {kInf, 0, 511, 511},
      {std::nan(""), 0, 511, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TruncateToInt(row.Value, row.Lowest, row.Highest), row.Expected)
        << row.Value << " in " << row.Lowest << ".." << row.Highest;
  }
  EXPECT_EQ(TruncateToInt(-2147483647.9), -2147483647);  // the default bounds: the int range

  const std::int64_t wide = std::int64_t{1} << 40;
  EXPECT_EQ(SaturateToInt(wide), kIntHighest);
  EXPECT_EQ(SaturateToInt(-wide), kIntLowest);
  EXPECT_EQ(SaturateToInt(std::int64_t{kIntLowest}), kIntLowest);
  EXPECT_EQ(SaturateToInt(std::int64_t{kIntHighest} + 1), kIntHighest);
  EXPECT_EQ(SaturateToInt(-7, 3, 397), 3);
  EXPECT_EQ(SaturateToInt(400, 3, 397), 397);
  EXPECT_EQ(SaturateToInt(200, 3, 397), 200);
}

}  // namespace
}  // namespace wavelet
