#pragma once
// The stream the reader program sends its parent, in the frames every helper program
// uses (base/CompanionProgram.h): a refusal or warnings, the patient, the channels,
// then the end frame. The parent trusts nothing in it: every length is checked
// against what is left and against the limits it was started with.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/RecordingParts.h"
#include "base/Outcome.h"

namespace wavelet {

// Writers (the reader program); false when the parent has gone away.
bool WriteRefusal(int fd, std::string_view reason);
bool WriteWarning(int fd, std::string_view warning);
bool WritePatient(int fd, const RecordingPatient& patient);
// The samples in the channel's physical unit, `unit` as the file names it.
bool WriteChannel(int fd, std::string_view label, std::string_view unit, double hz, std::span<const double> values);
// The last frame: without it the stream is incomplete, whatever came before.
bool WriteEnd(int fd);

struct StreamChannel {
  std::string Label;
  std::string Unit;
  double Hz = 0;
  std::vector<double> Values;
};

struct StreamContent {
  std::optional<std::string> Refusal;  // the reader's reason for refusing the file
  RecordingPatient Patient;
  std::vector<StreamChannel> Channels;
  std::vector<std::string> Warnings;
};

// The failure's text says what is malformed. At most `maxChannels` channels of at most `maxSamples` samples each.
Loaded<StreamContent> DecodeReaderStream(std::string_view bytes, std::size_t maxChannels, std::size_t maxSamples);

}  // namespace wavelet
