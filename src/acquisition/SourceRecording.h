#pragma once
// What a format reader hands on: the channels it read, already in microvolts at the
// recording's own rate, before the leads are chosen and resampled.

#include <string>
#include <vector>

#include "acquisition/Recording.h"

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
};

// The rates a reader accepts: anything an ECG recorder uses, and nothing whose
// length at 1000 samples/s could not be computed.
inline constexpr double kLowestHz = 1.0;
inline constexpr double kHighestHz = 1e6;

}  // namespace wavelet
