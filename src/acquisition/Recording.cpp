#include "acquisition/Recording.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "acquisition/BiosigRecord.h"
#include "acquisition/LeadChoice.h"
#include "acquisition/Resample.h"

#include "acquisition/SourceRecording.h"
#include "acquisition/Text.h"
#include "acquisition/WfdbRecord.h"
#include "record/RecordFileName.h"
#include "record/RecordFile.h"

namespace wavelet {
namespace {

// The WFDB header first, then the formats read through libbiosig: EDF, EDF+, BDF, GDF,
// SCP-ECG, HL7 aECG (XML) and ISHNE (.ecg).
constexpr std::array<const char*, 8> kRecordingExtensions = {".hea", ".edf", ".bdf", ".gdf",
                                                             ".scp", ".xml", ".ecg", ".hl7"};

bool IsWfdbHeader(std::string_view name) { return EndsWithIgnoringCase(name, kRecordingExtensions[0]); }

bool IsBiosigFile(std::string_view name) {
  return std::any_of(kRecordingExtensions.begin() + 1, kRecordingExtensions.end(),
                     [&](const char* extension) { return EndsWithIgnoringCase(name, extension); });
}

// Checks what every reader leaves to the end: a rate and a length within bounds, one
// length for all channels, numbers only.
bool CheckChannels(const SourceRecording& source, std::size_t limit, std::string& reason) {
  if (source.Channels.empty() || source.Channels.front().Microvolts.empty()) {
    reason = "the recording holds no samples";
    return false;
  }
  if (!RateAdmitted(source.SamplingHz)) {
    reason = RateRefusal(source.SamplingHz);
    return false;
  }
  if (!LengthAdmitted(source.Channels.front().Microvolts.size(), 1, source.SamplingHz, limit)) {
    reason = LengthRefusal(limit);
    return false;
  }
  for (const SourceChannel& channel : source.Channels) {
    if (channel.Microvolts.size() != source.Channels.front().Microvolts.size()) {
      reason = "its leads differ in length";
      return false;
    }
    if (!std::all_of(channel.Microvolts.begin(), channel.Microvolts.end(), [](double v) { return std::isfinite(v); })) {
      reason = "lead '" + channel.Label + "' holds samples that are no numbers (gaps or overflows)";
      return false;
    }
  }
  return true;
}

// Chooses X, Y and Z among the channels a reader returned and brings them to 1000 Hz.
Loaded<Recording> Finish(const std::string& path, SourceRecording source, const ReadOptions& options) {
  Loaded<LeadChoice> choice;
  if (source.Choice) {
    choice = std::move(*source.Choice);
  } else {
    std::vector<std::string> labels;
    for (const SourceChannel& channel : source.Channels) labels.push_back(channel.Label);
    choice = ChooseLeads(labels, options);
    if (!choice.Ok) return Refusal(CannotReadText(path, choice.ErrorText));
  }
  // Each channel is moved at its last use; only a lead named twice is copied.
  const std::vector<std::size_t>& picks = choice.Value.Channels;
  std::vector<std::vector<double>> chosen;
  for (std::size_t i = 0; i < picks.size(); ++i) {
    std::vector<double>& samples = source.Channels[picks[i]].Microvolts;
    const bool usedAgain = std::find(picks.begin() + static_cast<std::ptrdiff_t>(i) + 1, picks.end(), picks[i]) != picks.end();
    chosen.push_back(usedAgain ? samples : std::move(samples));
  }
  if (choice.Value.Source == LeadSource::Kors) {
    std::vector<std::string> leadLabels;
    for (std::size_t pick : picks) leadLabels.push_back(source.Channels[pick].Label);
    const KorsLeadCheck check = CheckKorsLeads(chosen, leadLabels, source.SamplingHz);
    if (!check.Refusal.empty()) return Refusal(CannotReadText(path, check.Refusal));
    if (!check.Warning.empty()) source.Warnings.push_back("the standard leads of [" + path + "] " + check.Warning);
  }
  source.Channels.clear();
  std::array<std::vector<double>, 3> xyz = CombineLeads(choice.Value.Source, chosen);

  Recording recording;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    Loaded<std::vector<double>> resampled = ResampleTo1000(std::move(xyz[axis]), source.SamplingHz);
    if (!resampled.Ok) return Outcome::Failure(resampled.Kind, CannotReadText(path, resampled.ErrorText));
    recording.Microvolts[axis] = std::move(resampled.Value);
  }
  recording.Source = path;
  recording.SamplingHz = kSamplingRateHz;
  recording.SourceSamplingHz = source.SamplingHz;
  recording.Leads = choice.Value.Source;
  recording.LeadLabels = choice.Value.Labels;
  recording.Patient = std::move(source.Patient);
  recording.Warnings = std::move(source.Warnings);
  return recording;
}

}  // namespace

std::span<const char* const> RecordingExtensions() { return kRecordingExtensions; }

Loaded<Recording> ReadRecording(const std::string& path, const ReadOptions& options) {
  Loaded<SourceRecording> source = IsWfdbHeader(path) ? ReadWfdbRecord(path, options) : ReadThroughBiosig(path, options);
  if (!source.Ok) return std::move(static_cast<Outcome&>(source));
  std::string reason;
  if (!CheckChannels(source.Value, options.MaxSamples, reason)) return Refusal(CannotReadText(path, reason));
  return Finish(path, std::move(source.Value), options);
}

std::vector<std::string> ListRecordings(const std::string& directory, std::vector<std::string>* notFiles) {
  std::vector<std::string> names;
  std::vector<std::string> others;
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(directory), error);
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!IsWfdbHeader(name) && !IsBiosigFile(name)) continue;
    std::error_code kind;
    (it->is_regular_file(kind) ? names : others).push_back(name);
  }
  const auto paths = [&](std::vector<std::string>& list) {
    SortRecordNames(list);
    std::vector<std::string> joined;
    for (const std::string& name : list) joined.push_back(JoinPath(directory, name));
    return joined;
  };
  if (notFiles != nullptr) *notFiles = paths(others);
  return paths(names);
}

}  // namespace wavelet
