#include "support/SyntheticRecordings.h"

#include <cmath>
#include <numbers>
#include <random>

#include "support/Records.h"

namespace wavelet::testing {
namespace {

constexpr double kTenthMicrovolt = 0.1;  // BeatSamples' unit
constexpr double kPrematureRr = 0.6;
constexpr long kBurstFrom = 180;  // after the QRS onset: past the T wave's peak
constexpr long kBurstTo = 330;

LeadSamples InMicrovolts(LeadSamples beat) {
  for (auto& lead : beat)
    for (double& v : lead) v *= kTenthMicrovolt;
  return beat;
}

// Aberrant: 40 ms wider, with other proportions between the leads; its QRS
// correlates about 0.9 with the normal one, clearly less than normal beats do
// with each other.
LeadSamples PrematureBeat(double gain) {
  return InMicrovolts(BeatSamples(2, kSyntheticOnset, kSyntheticOffset + 40, gain));
}

void AddBeat(Recording& r, const LeadSamples& beat, long start) {
  for (std::size_t l = 0; l < 3; ++l)
    for (std::size_t j = 0; j < kSamplesPerLead; ++j) r.Microvolts[l][static_cast<std::size_t>(start) + j] += beat[l][j];
}

}  // namespace

LeadSamples SyntheticBeat(double gain) {
  return InMicrovolts(BeatSamples(1, kSyntheticOnset, kSyntheticOffset, gain));
}

SyntheticRecording MakeRecording(const RecordingRecipe& recipe) {
  SyntheticRecording out;
  Recording& r = out.Value;
  r.Source = "/data/synthetic/s0001.hea";
  r.LeadLabels = {"vx", "vy", "vz"};
  const auto length = static_cast<std::size_t>(recipe.Seconds * kSamplingRateHz);
  for (auto& lead : r.Microvolts) lead.assign(length, 0.0);

  std::mt19937 random(recipe.Seed);
  std::uniform_real_distribution<double> rr(recipe.RrMs - recipe.RrSpreadMs, recipe.RrMs + recipe.RrSpreadMs);
  std::normal_distribution<double> gauss(0.0, 1.0);
  const LeadSamples normal = SyntheticBeat(recipe.Gain);
  const LeadSamples premature = PrematureBeat(recipe.Gain);
  long start = 0;
  for (int k = 1; start + kSamplesPerLead <= static_cast<long>(length); ++k) {
    const long onset = start + kSyntheticOnset;
    if (recipe.PrematureEvery > 0 && k % recipe.PrematureEvery == 0) {
      AddBeat(r, premature, start);
      out.PrematureOnsets.push_back(onset);
    } else {
      AddBeat(r, normal, start);
      out.Onsets.push_back(onset);
      if (recipe.BurstEvery > 0 && k % recipe.BurstEvery == 0 &&
          onset + kBurstTo < static_cast<long>(length)) {
        out.BurstOnsets.push_back(onset);
        for (auto& lead : r.Microvolts)
          for (long i = onset + kBurstFrom; i < onset + kBurstTo; ++i)
            lead[static_cast<std::size_t>(i)] += recipe.BurstUv * gauss(random);
      }
    }
    const bool nextEarly = recipe.PrematureEvery > 0 && (k + 1) % recipe.PrematureEvery == 0;
    start += std::lround(rr(random) * (nextEarly ? kPrematureRr : 1.0));
  }

  const double tau = 2.0 * std::numbers::pi / kSamplingRateHz;
  for (std::size_t l = 0; l < 3; ++l) {
    for (std::size_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(i);
      r.Microvolts[l][i] += recipe.NoiseUv * gauss(random) +
                            recipe.HumUv * std::sin(tau * 50.0 * t + static_cast<double>(l)) +
                            recipe.WanderUv * std::sin(tau * 0.23 * t + 2.0 * static_cast<double>(l)) +
                            0.5 * recipe.WanderUv * std::sin(tau * 0.07 * t);
    }
  }
  return out;
}

}  // namespace wavelet::testing
