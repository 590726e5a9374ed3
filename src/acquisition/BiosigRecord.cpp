#include "acquisition/BiosigRecord.h"

#include "base/CompanionProgram.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "acquisition/ReaderStream.h"
#include "acquisition/RecordingFile.h"
#include "acquisition/Text.h"
#include "acquisition/Units.h"

namespace wavelet {
namespace {

// X, Y, Z or the eight standard leads: all a reader ever sends.
constexpr std::size_t kMaxReaderChannels = 8;


std::string Bracketed(const std::string& path) { return "[" + path + "]"; }

Loaded<SourceRecording> FromStream(const std::string& path, StreamContent content) {
  SourceRecording record;
  for (StreamChannel& channel : content.Channels) {
    if (record.Channels.empty()) record.SamplingHz = channel.Hz;
    if (channel.Hz != record.SamplingHz) return Refusal(CannotReadText(path, "its leads differ in sampling rate"));
    const std::optional<double> unit = MicrovoltsPerUnit(channel.Unit);
    if (!unit) {
      return Refusal(CannotReadText(path, "lead '" + channel.Label + "' is in '" + channel.Unit + "', not a voltage"));
    }
    for (double& value : channel.Values) value *= *unit;
    record.Channels.push_back({std::move(channel.Label), std::move(channel.Values)});
  }
  record.Patient = std::move(content.Patient);
  record.Warnings = std::move(content.Warnings);
  return record;
}

}  // namespace

std::string FindRecordingReaderProgram() { return FindCompanionProgram(kRecordingReaderProgram); }

std::vector<std::string> ReaderArguments(const std::string& path, const ReadOptions& options) {
  std::vector<std::string> arguments{path, std::to_string(options.MaxSamples)};
  if (options.LeadNames) {
    arguments.push_back("--leads");
    arguments.insert(arguments.end(), options.LeadNames->begin(), options.LeadNames->end());
  }
  return arguments;
}

std::size_t ReaderOutputLimit(const ReadOptions& options) {
  // Each channel's samples, with room for its frame, label and unit; then the rest.
  constexpr std::size_t kFrameRoom = 16u << 10;
  if (options.MaxSamples > (SIZE_MAX / 2 - kFrameRoom) / kMaxReaderChannels / sizeof(double)) return SIZE_MAX / 2;
  return kMaxReaderChannels * (options.MaxSamples * sizeof(double) + kFrameRoom) + (1u << 20);
}

Loaded<SourceRecording> SourceFromReaderRun(const std::string& path, const ChildRun& run, const ReadOptions& options) {
  switch (run.How) {
    case ChildRun::End::NotStarted:
      return Outcome::Failure(FailureKind::Failed, CannotReadText(path, std::string("the reader program ") +
                                                                          kRecordingReaderProgram + " could not be started"));
    case ChildRun::End::Crashed:
      return Refusal("libbiosig crashed while reading " + Bracketed(path) + " (signal " +
                     std::to_string(run.Signal) + ")");
    case ChildRun::End::TimedOut:
      return Refusal("libbiosig took longer than " + std::to_string(kReaderTimeLimit.count() / 1000) +
                     " s over " + Bracketed(path) + ": refused as a hang");
    case ChildRun::End::TooMuchOutput:
      return Refusal(CannotReadText(path, "the reader sent more data than the sample limit allows"));
    case ChildRun::End::Exited:
      break;
  }
  Loaded<StreamContent> stream = DecodeReaderStream(run.Output, kMaxReaderChannels, options.MaxSamples);
  if (stream.Ok && stream.Value.Refusal) return Refusal(CannotReadText(path, *stream.Value.Refusal));
  if (!stream.Ok || run.ExitStatus != 0) {
    const std::string why = !stream.Ok ? stream.ErrorText : "exit status " + std::to_string(run.ExitStatus);
    return Refusal(CannotReadText(path, "the reader failed (" + why + ")"));
  }
  return FromStream(path, std::move(stream.Value));
}

Loaded<SourceRecording> ReadThroughBiosig(const std::string& path, const ReadOptions& options) {
  // Checked here first, so that a pipe or a missing file is refused at once with the
  // system's reason rather than after the reader's time limit.
  FileDescriptor file;
  std::uint64_t size = 0;
  if (const Outcome opened = OpenRegularFile(path, file, size); !opened.Ok) {
    return Outcome::Failure(opened.Kind, CannotReadText(path, opened.Reason));
  }
  const std::string program = FindRecordingReaderProgram();
  if (program.empty()) {
    return Outcome::Failure(FailureKind::Failed, CannotReadText(path, std::string("the reader program ") +
                                                                        kRecordingReaderProgram +
                                                                        " is not installed beside this program"));
  }
  const ChildRun run = RunChild(program, ReaderArguments(path, options), kReaderTimeLimit, ReaderOutputLimit(options));
  return SourceFromReaderRun(path, run, options);
}

}  // namespace wavelet
