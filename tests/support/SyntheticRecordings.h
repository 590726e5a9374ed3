#pragma once
// Recordings built from a known beat, for the averaging: the beat of BeatSamples (in
// microvolts, with its late potentials) repeated at a varying RR interval, with the
// disturbances a real recording brings, each at a stated size.

#include <cstdint>
#include <vector>

#include "acquisition/Recording.h"
#include "record/RecordFormat.h"

namespace wavelet::testing {

// The beat every normal complex of a synthetic recording has, in microvolts: its QRS
// (BeatSamples' onset and offset) runs from sample kSyntheticOnset to
// kSyntheticOffset, and it is zero at both ends.
inline constexpr int kSyntheticOnset = 300;
inline constexpr int kSyntheticOffset = 400;
LeadSamples SyntheticBeat(double gain = 1.0);

struct RecordingRecipe {
  double Seconds = 60.0;
  double RrMs = 850.0;       // RR intervals are uniform in RrMs +- RrSpreadMs
  double RrSpreadMs = 80.0;
  double Gain = 1.0;         // of the beat
  double NoiseUv = 10.0;     // white Gaussian noise, per lead
  double HumUv = 0.0;        // 50 Hz mains, amplitude
  double WanderUv = 0.0;     // baseline wander at 0.23 Hz (and half as much at 0.07 Hz)
  int PrematureEvery = 0;    // every n-th complex comes early (0.6 RR) with another shape
  int BurstEvery = 0;        // every n-th complex has a muscle burst after its T wave
  double BurstUv = 80.0;     // standard deviation of the burst's noise
  std::uint32_t Seed = 1;
};

struct SyntheticRecording {
  Recording Value;
  std::vector<long> Onsets;          // of the normal complexes (QRS onset samples)
  std::vector<long> PrematureOnsets;  // of the premature ones
  std::vector<long> BurstOnsets;      // the normal complexes with a burst
};

SyntheticRecording MakeRecording(const RecordingRecipe& recipe);

}  // namespace wavelet::testing
