// Which leads become X, Y and Z, Kors' reconstruction from the standard leads, the
// units, and the resampling to 1000 samples/s.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "acquisition/LeadChoice.h"
#include "acquisition/Resample.h"
#include "acquisition/Units.h"

namespace wavelet {
namespace {

using Labels = std::vector<std::string>;

TEST(LeadChoosing, FrankLeadsAreFoundUnderTheirUsualLabels) {
  for (const Labels& labels : {Labels{"i", "vx", "vy", "vz"}, Labels{"X", "Y", "Z"}, Labels{"Frank X", "frank y", "FRANK-Z"},
                               Labels{"lead x", "Lead Y", "ECG Z"}}) {
    const LeadChoiceOutcome choice = ChooseLeads(labels, {});
    ASSERT_TRUE(choice.Ok) << labels[0];
    EXPECT_EQ(choice.Value.Source, LeadSource::Frank);
    EXPECT_EQ(choice.Value.Channels.size(), 3u);
    EXPECT_EQ(choice.Value.Labels[2], labels.back());
  }
}

TEST(LeadChoosing, FrankLeadsWinOverStandardLeadsAndTheFirstOfTwoCounts) {
  const LeadChoiceOutcome choice =
      ChooseLeads({"I", "II", "V1", "V2", "V3", "V4", "V5", "V6", "vx", "vy", "vz", "X"}, {});
  ASSERT_TRUE(choice.Ok);
  EXPECT_EQ(choice.Value.Source, LeadSource::Frank);
  EXPECT_EQ(choice.Value.Channels, (std::vector<std::size_t>{8, 9, 10}));
}

TEST(LeadChoosing, EightStandardLeadsInAnyOrderWithoutTheDerivedOnes) {
  const LeadChoiceOutcome choice =
      ChooseLeads({"MDC_ECG_LEAD_V6", "V5", "v4", "V3", "V2", "V1", "II", "I"}, {});
  ASSERT_TRUE(choice.Ok) << choice.Reason;
  EXPECT_EQ(choice.Value.Source, LeadSource::Kors);
  EXPECT_EQ(choice.Value.Channels, (std::vector<std::size_t>{7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(choice.Value.Labels, (std::array<std::string, 3>{"Kors X", "Kors Y", "Kors Z"}));
}

TEST(LeadChoosing, WithoutEitherSetTheRefusalListsWhatWasFound) {
  const LeadChoiceOutcome choice = ChooseLeads({"I", "II", "III", "aVR", "V1", "V2", "V3", "V4", "V5"}, {});
  EXPECT_FALSE(choice.Ok);
  EXPECT_EQ(choice.Reason,
            "neither the Frank leads (vx, vy, vz or X, Y, Z) nor the standard leads I, II, V1-V6; "
            "found I, II, III, aVR, V1, V2, V3, V4, V5");
  EXPECT_EQ(ChooseLeads({}, {}).Reason,
            "neither the Frank leads (vx, vy, vz or X, Y, Z) nor the standard leads I, II, V1-V6; no leads at all");
}

TEST(LeadChoosing, CanonicalLabelsLeaveOtherLeadsAlone) {
  EXPECT_EQ(CanonicalLeadLabel(" vx "), "X");
  EXPECT_EQ(CanonicalLeadLabel("Frank X"), "X");
  EXPECT_EQ(CanonicalLeadLabel("III"), "III");
  EXPECT_EQ(CanonicalLeadLabel("aVR"), "AVR");
  EXPECT_EQ(CanonicalLeadLabel("Lead"), "LEAD");
  EXPECT_EQ(CanonicalLeadLabel("V"), "V");
}

TEST(KorsReconstruction, EachLeadWeighsByItsColumnOfTheMatrix) {
  // One microvolt in V6 alone, then in I alone: the V6 and the I columns.
  std::vector<std::vector<double>> leads = {{0, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {1, 0}};
  const std::array<std::vector<double>, 3> xyz = CombineLeads(LeadSource::Kors, leads);
  EXPECT_NEAR(xyz[0][0], 0.54, 1e-15);
  EXPECT_NEAR(xyz[1][0], 0.13, 1e-15);
  EXPECT_NEAR(xyz[2][0], 0.31, 1e-15);
  EXPECT_NEAR(xyz[0][1], 0.38, 1e-15);
  EXPECT_NEAR(xyz[1][1], -0.07, 1e-15);
  EXPECT_NEAR(xyz[2][1], 0.11, 1e-15);
}

TEST(PhysicalUnits, VoltagesInAnySpellingAndNothingElse) {
  EXPECT_EQ(MicrovoltsPerUnit("mV"), 1000.0);
  EXPECT_EQ(MicrovoltsPerUnit("MV"), 1000.0);
  EXPECT_EQ(MicrovoltsPerUnit("uV"), 1.0);
  EXPECT_EQ(MicrovoltsPerUnit("\xc2\xb5V"), 1.0);
  EXPECT_EQ(MicrovoltsPerUnit(" V "), 1e6);
  EXPECT_EQ(MicrovoltsPerUnit("nV"), 1e-3);
  for (const char* other : {"", "?", "mmHg", "degC", "mV2"}) EXPECT_FALSE(MicrovoltsPerUnit(other).has_value()) << other;
}

TEST(Resampling, A500HzSineBecomesTheSameSineAt1000Hz) {
  // 10 Hz at 500 samples/s for 4 s; compared away from the ends, where the filter
  // sees beyond the signal.
  std::vector<double> sine(2000);
  for (std::size_t n = 0; n < sine.size(); ++n) sine[n] = 1000.0 * std::sin(2 * std::numbers::pi * 10 * n / 500.0);
  const ResampleOutcome resampled = ResampleTo1000(sine, 500);
  ASSERT_TRUE(resampled.Ok) << resampled.Reason;
  ASSERT_EQ(resampled.Values.size(), 4000u);
  double worst = 0;
  for (std::size_t n = 200; n < 3800; ++n) {
    worst = std::max(worst, std::abs(resampled.Values[n] - 1000.0 * std::sin(2 * std::numbers::pi * 10 * n / 1000.0)));
  }
  EXPECT_LT(worst, 0.01);
  EXPECT_EQ(ResampledLength(37855, 800), 47319u);
  EXPECT_EQ(ResampleTo1000(sine, 1000).Values, sine);
  EXPECT_FALSE(ResampleTo1000(sine, 0).Ok);
}

}  // namespace
}  // namespace wavelet
