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
    const Loaded<LeadChoice> choice = ChooseLeads(labels, {});
    ASSERT_TRUE(choice.Ok) << labels[0];
    EXPECT_EQ(choice.Value.Source, LeadSource::Frank);
    EXPECT_EQ(choice.Value.Channels.size(), 3u);
    EXPECT_EQ(choice.Value.Labels[2], labels.back());
  }
}

TEST(LeadChoosing, FrankLeadsWinOverStandardLeadsAndTheFirstOfTwoCounts) {
  const Loaded<LeadChoice> choice =
      ChooseLeads({"I", "II", "V1", "V2", "V3", "V4", "V5", "V6", "vx", "vy", "vz", "X"}, {});
  ASSERT_TRUE(choice.Ok);
  EXPECT_EQ(choice.Value.Source, LeadSource::Frank);
  EXPECT_EQ(choice.Value.Channels, (std::vector<std::size_t>{8, 9, 10}));
}

TEST(LeadChoosing, EightStandardLeadsInAnyOrderWithoutTheDerivedOnes) {
  const Loaded<LeadChoice> choice =
      ChooseLeads({"MDC_ECG_LEAD_V6", "V5", "v4", "V3", "V2", "V1", "II", "I"}, {});
  ASSERT_TRUE(choice.Ok) << choice.ErrorText;
  EXPECT_EQ(choice.Value.Source, LeadSource::Kors);
  EXPECT_EQ(choice.Value.Channels, (std::vector<std::size_t>{7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(choice.Value.Labels, (std::array<std::string, 3>{"Kors X", "Kors Y", "Kors Z"}));
}

TEST(LeadChoosing, WithoutEitherSetTheRefusalListsWhatWasFound) {
  const Loaded<LeadChoice> choice = ChooseLeads({"I", "II", "III", "aVR", "V1", "V2", "V3", "V4", "V5"}, {});
  EXPECT_FALSE(choice.Ok);
  EXPECT_EQ(choice.ErrorText,
            "neither the Frank leads (vx, vy, vz or X, Y, Z) nor the standard leads I, II, V1-V6; "
            "found I, II, III, aVR, V1, V2, V3, V4, V5");
  EXPECT_EQ(ChooseLeads({}, {}).ErrorText,
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

// Eight standard leads at 100 Hz over three seconds, each with one pulse a second of
// `microvolts[lead]` (0 for none) in the seconds `beating` marks.
std::vector<std::vector<double>> PulsedLeads(const std::array<double, 8>& microvolts,
                                             const std::array<int, 3>& beating = {1, 1, 1}) {
  std::vector<std::vector<double>> leads(8, std::vector<double>(300, 0.0));
  for (std::size_t lead = 0; lead < 8; ++lead) {
    for (std::size_t second = 0; second < 3; ++second) {
      if (beating[second] != 0) leads[lead][second * 100 + 40] = microvolts[lead];
    }
  }
  return leads;
}

TEST(KorsLeadChecks, FlatOrZeroLeadsRefuseAndSwingsBeyondAFewMillivoltsWarnByName) {
  const std::vector<std::string> labels = {"I", "II", "V1", "V2", "V3", "V4", "V5", "V6"};
  const std::array<double, 8> healthy = {1000, 1200, -900, 1500, 2000, 1800, 1400, 1100};
  KorsLeadCheck check = CheckKorsLeads(PulsedLeads(healthy), labels, 100.0);
  EXPECT_EQ(check.Refusal, "");
  EXPECT_EQ(check.Warning, "");

  check = CheckKorsLeads(PulsedLeads({1000, 1200, 0, 0, 0, 0, 0, 0}), labels, 100.0);
  EXPECT_EQ(check.Refusal, "leads V1, V2, V3, V4, V5, V6 are all zero, so Kors' regression cannot make X, Y and Z "
                           "from the eight standard leads");

  // A constant 15 uV (no swing at all), and a lead that beats in one second of three.
  std::vector<std::vector<double>> leads = PulsedLeads(healthy);
  leads[3].assign(300, 15.0);
  leads[4] = PulsedLeads(healthy, {0, 1, 0})[4];
  EXPECT_EQ(CheckKorsLeads(leads, labels, 100.0).Refusal,
            "leads V2, V3 are flat, so Kors' regression cannot make X, Y and Z from the eight standard leads");
  leads = PulsedLeads(healthy);
  leads[5].assign(300, 0.0);
  EXPECT_EQ(CheckKorsLeads(leads, labels, 100.0).Refusal,
            "lead V4 is all zero, so Kors' regression cannot make X, Y and Z from the eight standard leads");

  // Lead I at six times its size, as a wrong stated resolution gives it; 5 mV still passes.
  check = CheckKorsLeads(PulsedLeads({6700, 5000, -900, 1500, 2000, 1800, 1400, -7240}), labels, 100.0);
  EXPECT_EQ(check.Refusal, "");
  EXPECT_EQ(check.Warning, "swing beyond an ECG's few millivolts in a typical second (I 6.7 mV, V6 7.2 mV): the "
                           "file's stated unit or resolution may be wrong; X, Y and Z were made from them as stated");
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
  const Loaded<std::vector<double>> resampled = ResampleTo1000(sine, 500);
  ASSERT_TRUE(resampled.Ok) << resampled.ErrorText;
  ASSERT_EQ(resampled.Value.size(), 4000u);
  double worst = 0;
  for (std::size_t n = 200; n < 3800; ++n) {
    worst = std::max(worst, std::abs(resampled.Value[n] - 1000.0 * std::sin(2 * std::numbers::pi * 10 * n / 1000.0)));
  }
  EXPECT_LT(worst, 0.01);
  EXPECT_EQ(ResampledLength(37855, 800), 47319u);
  EXPECT_EQ(ResampleTo1000(sine, 1000).Value, sine);
  EXPECT_FALSE(ResampleTo1000(sine, 0).Ok);
}

}  // namespace
}  // namespace wavelet
