#pragma once
// The signal-averaged record: a fixed 5025-byte file, and what a load keeps of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace wavelet {

inline constexpr std::size_t kRecordSize = 5025;
inline constexpr int kSamplesPerLead = 800;
inline constexpr int kRecordedLeads = 3;  // X, Y, Z
// Samples are 1 ms apart: the analysis windows and the rulers are in samples = ms.
inline constexpr int kSamplingRateHz = 1000;
// A record does not state its amplitude unit; this is the one at which real
// recordings meet the wavelet thresholds (a record's own tag wins over it).
inline constexpr double kDefaultMicrovoltsPerUnit = 0.1;
// The raw traces of the screen and the page draw in millivolts of that unit.
inline constexpr double kDefaultMillivoltsPerUnit = 0.0001;

using RecordBytes = std::array<std::uint8_t, kRecordSize>;
using LeadSamples = std::array<std::array<double, kSamplesPerLead>, kRecordedLeads>;

// Everything one load of a record keeps; one instance lives as long as the window.
struct LoadedRecord {
  RecordBytes RecordBuffer{};
  LeadSamples LeadSignals{};
  int QrsOnset = 0;
  int QrsOffset = 0;
  int AveragingCount = 0;
  std::string RecordPath;
};

}  // namespace wavelet
