#pragma once
// Records and state for the analysis tests, built in memory.

#include <cmath>
#include <memory>
#include <random>

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet::testing {

// The state is large (hundreds of kilobytes): keep it off the stack.
inline std::unique_ptr<AnalysisState> FreshState() {
  auto state = std::make_unique<AnalysisState>();
  InitialiseAnalysisState(*state);
  return state;
}

inline std::unique_ptr<LoadedRecord> EmptyRecord(int onset = 300, int offset = 400) {
  auto record = std::make_unique<LoadedRecord>();
  record->QrsOnset = onset;
  record->QrsOffset = offset;
  return record;
}

// A signal-averaged beat: a QRS of a few lobes between onset and offset, a slow T wave,
// small late wiggles after the offset and a little noise, in microvolt-like units.
inline std::unique_ptr<LoadedRecord> RealisticRecord(unsigned seed, int onset = 310,
                                                     int offset = 410) {
  auto record = EmptyRecord(onset, offset);
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 2.0);
  const double width = offset - onset;
  for (int k = 0; k < kRecordedLeads; ++k) {
    const double gain = 800.0 + 300.0 * k;
    for (int n = 0; n < kSamplesPerLead; ++n) {
      const double u = (n - onset) / width;
      double v = 0.0;
      v += gain * std::exp(-std::pow((u - 0.35) / 0.12, 2)) * (k == 1 ? -1.0 : 1.0);
      v -= 0.4 * gain * std::exp(-std::pow((u - 0.6) / 0.08, 2));
      v += 0.15 * gain * std::exp(-std::pow((u - 0.15) / 0.05, 2));
      v += 30.0 * std::sin(0.9 * (n - offset)) * std::exp(-std::pow((n - offset - 15) / 12.0, 2));
      v += 200.0 * std::exp(-std::pow((n - offset - 180) / 60.0, 2));
      // Whole numbers, as decoded records hold.
      record->LeadSignals[k][n] = std::round(v + noise(random));
    }
  }
  return record;
}

inline std::unique_ptr<LoadedRecord> NoiseRecord(unsigned seed, double amplitude, int onset = 300,
                                                 int offset = 420) {
  auto record = EmptyRecord(onset, offset);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
  for (auto& lead : record->LeadSignals)
    for (double& x : lead) x = uniform(random);
  return record;
}

}  // namespace wavelet::testing
