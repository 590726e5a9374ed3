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
