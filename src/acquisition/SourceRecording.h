#pragma once
// What a format reader hands on: the channels it read, already in microvolts at the
// recording's own rate, before the leads are chosen and resampled.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/LeadChoice.h"
#include "acquisition/RecordingParts.h"
#include "acquisition/Resample.h"
#include "acquisition/Text.h"

namespace wavelet {

struct SourceChannel {
  std::string Label;
  std::vector<double> Microvolts;
};

struct SourceRecording {
  double SamplingHz = 0;  // one rate for all channels
  std::vector<SourceChannel> Channels;
  RecordingPatient Patient;
  std::vector<std::string> Warnings;
  // The reader's choice of X, Y and Z among Channels, where it chose in this process
  // to read only those leads; else the facade chooses among the channels it was given.
  std::optional<LeadChoice> Choice;
};

// The rates a reader accepts: anything an ECG recorder uses, and nothing whose
// length at 1000 samples/s could not be computed.
inline constexpr double kLowestHz = 1.0;
inline constexpr double kHighestHz = 1e6;
inline constexpr const char* kRateRangeText = "1 Hz to 1 MHz";

// The one admission of a recording's rate and length, whichever reader asks: the rate
// within the range above, and `frames` frames of `perFrame` samples each at `hz` no
// longer than `limit` samples, as recorded or at 1000 samples/s.
inline bool RateAdmitted(double hz) { return hz >= kLowestHz && hz <= kHighestHz; }
inline bool LengthAdmitted(std::uint64_t frames, std::uint64_t perFrame, double hz, std::size_t limit) {
  return perFrame != 0 && frames <= limit / perFrame &&
         ResampledLength(static_cast<std::size_t>(frames * perFrame), hz) <= limit;
}
inline std::string RateRefusal(double hz) {
  return "the sampling rate " + NumberText(hz) + " Hz is outside " + kRateRangeText;
}
inline std::string LengthRefusal(std::size_t limit) {
  return "the recording is longer than the limit of " + std::to_string(limit) + " samples at 1000 Hz";
}

}  // namespace wavelet
