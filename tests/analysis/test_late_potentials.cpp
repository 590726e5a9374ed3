// Expected figures were computed apart, with the same rule on the same samples in
// Python (scipy.signal.butter(4, ..., output='sos'), sosfilt from sosfilt_zi times the
// first sample, the backward half reversed), and pasted here.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "analysis/Butterworth.h"
#include "analysis/LatePotentials.h"
#include "support/Records.h"

namespace wavelet {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The amplitude of a unit sine at `hz` after the filter, over the last whole second
// of four (the start-up has long died away by then).
double MeasuredGain(const ButterworthSections& sections, double hz) {
  std::vector<double> x(4000), y(4000);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = std::sin(2.0 * kPi * hz * i / 1000.0 + 0.3);
  FilterFromSteadyState(sections, x, y, FilterDirection::Forward);
  double squares = 0.0;
  for (std::size_t i = 3000; i < y.size(); ++i) squares += y[i] * y[i];
  return std::sqrt(2.0 * squares / 1000.0);
}

// The pre-warped Butterworth magnitude 1 / sqrt(1 + r^8) with r the ratio of tan(pi f / fs).
double ExpectedGain(double hz, double cutoffHz, bool highPass) {
  const double r = std::tan(kPi * hz / 1000.0) / std::tan(kPi * cutoffHz / 1000.0);
  return 1.0 / std::sqrt(1.0 + std::pow(highPass ? 1.0 / r : r, 8));
}

TEST(Butterworth, FollowsTheButterworthResponseWithMinus3DbAtTheCutoff) {
  const auto high = ButterworthHighPass(40.0, 1000.0);
  const auto low = ButterworthLowPass(250.0, 1000.0);
  EXPECT_NEAR(MeasuredGain(high, 40.0), 1.0 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(MeasuredGain(low, 250.0), 1.0 / std::sqrt(2.0), 1e-9);
  for (double hz : {10.0, 25.0, 80.0, 200.0}) {
    EXPECT_NEAR(MeasuredGain(high, hz), ExpectedGain(hz, 40.0, true), 1e-9) << hz;
  }
  for (double hz : {60.0, 200.0, 330.0, 450.0}) {
    EXPECT_NEAR(MeasuredGain(low, hz), ExpectedGain(hz, 250.0, false), 1e-9) << hz;
  }
  EXPECT_THROW(ButterworthLowPass(500.0, 1000.0), std::invalid_argument);
  EXPECT_THROW(ButterworthHighPass(0.0, 1000.0), std::invalid_argument);
}

TEST(Butterworth, StartsInTheSteadyStateOfTheFirstSampleInEitherDirection) {
  const std::vector<double> constant(300, 7.5);
  std::vector<double> y(300);
  for (auto direction : {FilterDirection::Forward, FilterDirection::Backward}) {
    FilterFromSteadyState(ButterworthHighPass(40.0, 1000.0), constant, y, direction);
    for (double value : y) ASSERT_NEAR(value, 0.0, 1e-12);
    FilterFromSteadyState(ButterworthLowPass(250.0, 1000.0), constant, y, direction);
    for (double value : y) ASSERT_NEAR(value, 7.5, 1e-12);
  }
  // Backward, the run starts in the steady state of the last sample: a step at the
  // front reaches only the samples it comes before in the run (1 and 0).
  std::vector<double> step(300, 1.0);
  step[0] = step[1] = 5.0;
  FilterFromSteadyState(ButterworthHighPass(40.0, 1000.0), step, y, FilterDirection::Backward);
  for (std::size_t i = 2; i < y.size(); ++i) ASSERT_NEAR(y[i], 0.0, 1e-12) << i;
  EXPECT_GT(std::abs(y[1]), 0.5);
}

struct Expected {
  int Split, Peak, NoiseStart;
  double ThresholdUv;
  int Onset, Offset;
  double Rms40Uv;
  int Las40Ms;
  bool Fqrsd, Rms40, Las40, LatePotentials;
};

void ExpectFigures(const LatePotentialFigures& f, const Expected& e) {
  ASSERT_TRUE(f.QrsFound);
  EXPECT_EQ(std::tie(f.Split, f.Peak, f.NoiseStart, f.Onset, f.Offset, f.Las40Ms),
            std::tie(e.Split, e.Peak, e.NoiseStart, e.Onset, e.Offset, e.Las40Ms));
  EXPECT_EQ(f.FqrsdMs, e.Offset - e.Onset);
  EXPECT_NEAR(f.ThresholdUv, e.ThresholdUv, 1e-12);
  EXPECT_NEAR(f.Rms40Uv, e.Rms40Uv, 1e-11);
  EXPECT_EQ(std::tie(f.FqrsdAbnormal, f.Rms40Abnormal, f.Las40Abnormal, f.LatePotentials),
            std::tie(e.Fqrsd, e.Rms40, e.Las40, e.LatePotentials));
}

TEST(LatePotentials, FiguresOfTheDemoRecords) {
  const Expected expected[] = {
      {358, 323, 720, 1.232154497025405, 302, 419, 15.235848515741344, 83, 1, 1, 1, 1},
      {354, 356, 720, 0.80898535396101035, 304, 421, 60.400629148350575, 22, 1, 0, 0, 0},
      {372, 356, 20, 1.0628098742660734, 328, 427, 27.937546346926606, 21, 0, 0, 0, 0},
      {371, 347, 20, 1.4787914905233865, 316, 443, 23.138156273596504, 28, 1, 0, 0, 0},
      {374, 347, 720, 0.9140112411327852, 330, 460, 11.105235043778633, 66, 1, 1, 1, 1},
      {354, 364, 20, 1.3955278436916361, 319, 405, 116.23008364237566, 17, 0, 0, 0, 0},
      {360, 338, 720, 1.0242201483768791, 311, 417, 56.569322276302103, 22, 0, 0, 0, 0},
      {366, 332, 720, 1.3366557837126831, 308, 443, 34.494807487871874, 33, 1, 0, 0, 0},
      {394, 409, 720, 1.2227756573371535, 341, 458, 31.943108529642032, 33, 1, 0, 0, 0},
      {346, 369, 720, 1.4497390567656101, 302, 410, 48.087727394953916, 23, 0, 0, 0, 0},
      {348, 352, 720, 1.5800271170252014, 297, 397, 39.671167799700591, 25, 0, 0, 0, 0},
      {366, 381, 20, 1.3606026340597541, 304, 426, 16.564595360343606, 41, 1, 1, 1, 1},
  };
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const auto record = testing::Decoded(MakeSampleRecord(1, i));
    ExpectFigures(ComputeLatePotentials(record->LeadSignals, 0.1), expected[i]);
  }
}

// An encoder-made beat with QRS 300..offset and the little noise averaging leaves
// (up to 0.4 uV at 0.1 uV per unit).
LeadSamples NoisyBeat(int variant, int offset) {
  LeadSamples beat = testing::BeatSamples(variant, 300, offset);
  std::mt19937 random(static_cast<unsigned>(variant));
  for (auto& lead : beat)
    for (double& x : lead) x += static_cast<int>(random() % 9) - 4;
  return testing::Decoded(EncodeRecord(testing::TypicalFields(), beat))->LeadSignals;
}

TEST(LatePotentials, FiguresOfEncodedBeatsInTheirUnit) {
  const LeadSamples normal = NoisyBeat(2, 370);
  const LeadSamples late = NoisyBeat(1, 380);  // a 15 uV tail around the offset
  ExpectFigures(ComputeLatePotentials(normal, 0.1),
                {334, 339, 720, 0.56827191928478582, 299, 377, 49.530862329157657, 22, 0, 0, 0, 0});
  // Two flags out of three, the duration within its limit.
  ExpectFigures(ComputeLatePotentials(late, 0.1),
                {339, 347, 20, 0.5341558779711395, 299, 400, 19.527024259920839, 48, 0, 1, 1, 1});
  ExpectFigures(ComputeLatePotentials(late, 0.2),
                {339, 347, 20, 1.068311755942279, 299, 400, 39.054048519841679, 31, 0, 0, 0, 0});
  EXPECT_EQ(ComputeLatePotentials(late, 0.2).MicrovoltsPerUnit, 0.2);
}

// The QRS on a mean magnitude made by hand: 0 outside, 10 from `onset` to 400, the
// peak at 350, threshold 1.
struct HandMadeMean {
  std::array<double, kSamplesPerLead> m{};
  explicit HandMadeMean(int onset) {
    for (int i = onset; i <= 400; ++i) m[i] = 10.0;
  }
  QrsEdges Edges(int peak = 350) const { return FindQrsEdges(m, peak, 1.0); }
};

TEST(LatePotentials, TheSecondLookTakesAnOnsetMoreThan20SamplesLater) {
  // A shoulder between the threshold and twice it, 20 or 21 samples long.
  for (const auto& [shoulder, onset] : {std::pair{20, 280}, std::pair{21, 300}}) {
    HandMadeMean mean(300);
    for (int i = 300 - shoulder; i < 300; ++i) mean.m[i] = 1.5;
    const QrsEdges e = mean.Edges();
    ASSERT_TRUE(e.Found);
    EXPECT_EQ(e.Onset, onset) << shoulder;
    EXPECT_EQ(e.OnsetGuarded, onset == 300);
    EXPECT_EQ(e.Offset, 400);
  }
}

TEST(LatePotentials, AValleyUnderThreeThresholdsPartsAWaveFarBeforeThePeak) {
  // The onset 100 or 101 samples before the peak, a valley of 2.5 at 300.
  for (const auto& [onset, moved] : {std::pair{250, false}, std::pair{249, true}}) {
    HandMadeMean mean(onset);
    mean.m[300] = 2.5;
    const QrsEdges e = mean.Edges();
    ASSERT_TRUE(e.Found);
    EXPECT_EQ(e.Onset, moved ? 301 : onset) << onset;
    EXPECT_EQ(e.OnsetGuarded, moved);
  }
  // Exactly three thresholds parts nothing; of equal valleys the one nearest the peak.
  HandMadeMean level(200);
  level.m[280] = 3.0;
  EXPECT_EQ(level.Edges().Onset, 200);
  HandMadeMean ties(200);
  ties.m[260] = ties.m[290] = 2.0;
  ties.m[341] = 0.5;  // 9 samples before the peak: nearer than the valley looks
  EXPECT_EQ(ties.Edges().Onset, 291);
  // The valley looks no further than 100 samples before the peak.
  HandMadeMean far(200);
  far.m[249] = 0.5;
  EXPECT_EQ(far.Edges().Onset, 200);
  // A guarded QRS shorter than 40 ms is not found.
  HandMadeMean shortened(200);
  shortened.m[370] = 0.5;
  EXPECT_FALSE(shortened.Edges(380).Found);
}

TEST(LatePotentials, NoQrsWhereNothingStandsOutOfTheNoise) {
  const LatePotentialFigures flat = ComputeLatePotentials(testing::EmptyRecord()->LeadSignals, 0.1);
  EXPECT_FALSE(flat.QrsFound);
  EXPECT_EQ(flat.Split, 150);  // the first of equals, everywhere
  EXPECT_EQ(flat.Peak, 150);
  EXPECT_EQ(flat.NoiseStart, 20);
  EXPECT_FALSE(ComputeLatePotentials(testing::NoiseRecord(5, 200.0)->LeadSignals, 0.1).QrsFound);
  // Without any noise the threshold is 0, and no mean of magnitudes lies below it.
  const auto clean = testing::Decoded(testing::NumberedRecord(1));
  const LatePotentialFigures f = ComputeLatePotentials(clean->LeadSignals, 0.1);
  EXPECT_EQ(f.ThresholdUv, 0.0);
  EXPECT_FALSE(f.QrsFound);

  const LeadSamples beat = NoisyBeat(2, 370);
  for (double unit : {0.0, -0.1, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_FALSE(ComputeLatePotentials(beat, unit).QrsFound) << unit;
  }
  LeadSamples broken = beat;
  broken[1][500] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(ComputeLatePotentials(broken, 0.1).QrsFound);
  broken[1][500] = 0.0;
  broken[1][30] = broken[1][750] = 1e300;  // finite, but the noise overflows
  EXPECT_FALSE(ComputeLatePotentials(broken, 0.1).QrsFound);
}

}  // namespace
}  // namespace wavelet
