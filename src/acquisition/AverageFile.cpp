#include "acquisition/AverageFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>

#include "base/AtomicFile.h"
#include "base/FixedDecimals.h"

namespace wavelet {
namespace {

std::string Whole(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

}  // namespace

std::string RecordNameOf(const std::string& recordingPath) {
  return std::filesystem::path(recordingPath).stem().string() + ".R01";
}

std::vector<std::string> RecordNamesOf(const std::vector<std::string>& recordingPaths) {
  std::map<std::string, int> uses;
  for (const std::string& path : recordingPaths) ++uses[RecordNameOf(path)];
  std::vector<std::string> names;
  for (const std::string& path : recordingPaths) {
    const std::string name = RecordNameOf(path);
    names.push_back(uses[name] > 1 ? std::filesystem::path(path).filename().string() + ".R01" : name);
  }
  return names;
}

AverageFileResult AverageRecordingFile(const std::string& recordingPath,
                                       const std::string& recordPath,
                                       const AverageFileRequest& request,
                                       DeferredRenames* renames) {
  AverageFileResult result;
  result.RecordPath = recordPath;
  struct stat existing {};
  if (!request.Replace && ::lstat(recordPath.c_str(), &existing) == 0) {
    result.ErrorText = "[" + recordPath + "] exists already and is not replaced";
    result.Exists = true;
    return result;
  }
  const RecordingOutcome read = ReadRecording(recordingPath, request.Read);
  if (!read.Ok) {
    result.ErrorText = read.ErrorText;
    return result;
  }
  result.Read = true;
  result.Leads = read.Value.Leads;
  result.SourceSamplingHz = read.Value.SourceSamplingHz;
  result.Warnings = read.Value.Warnings;
  const AveragingOutcome averaged = AverageRecording(read.Value, request.Averaging);
  result.Summary = averaged.Summary;
  result.Warnings.insert(result.Warnings.end(), averaged.Warnings.begin(), averaged.Warnings.end());
  if (!averaged.Ok) {
    result.ErrorText = "[" + recordingPath + "]: " + averaged.ErrorText;
    return result;
  }
  auto file = renames != nullptr ? std::make_unique<AtomicFileWriter>(recordPath, *renames)
                                 : std::make_unique<AtomicFileWriter>(recordPath);
  file->Write(std::string_view(reinterpret_cast<const char*>(averaged.Record.data()),
                               averaged.Record.size()));
  const Outcome written = file->Commit();
  if (!written.Ok) {
    result.ErrorText = written.Message();
    return result;
  }
  result.Written = true;
  return result;
}

std::vector<std::string> AveragingTitles() {
  return {"file",           "source",    "leads",     "sampling_hz", "beats_found",
          "beats_kept",     "rejected_ectopic", "rejected_noisy", "noise_uv", "qrs_onset",
          "qrs_offset",     "fqrs_ms",   "rms40_uv",  "las40_ms",    "late_potentials"};
}

std::vector<std::string> AveragingCells(const std::string& recordName, const std::string& source,
                                        const AverageFileResult& r) {
  static const std::size_t kColumns = AveragingTitles().size();
  std::vector<std::string> cells(kColumns);
  cells[0] = r.Written ? recordName : std::string();
  cells[1] = source;
  if (!r.Read) return cells;
  const AveragingSummary& s = r.Summary;
  cells[2] = r.Leads == LeadSource::Kors ? "kors" : "frank";
  cells[3] = Whole(r.SourceSamplingHz);
  cells[4] = std::to_string(s.BeatsFound);
  cells[5] = std::to_string(s.BeatsKept);
  cells[6] = std::to_string(s.RejectedEctopic);
  cells[7] = std::to_string(s.RejectedNoisy);
  if (!r.Written) return cells;
  cells[8] = FixedDecimals(s.NoiseUv, 3);
  if (s.QrsFound) {
    cells[9] = std::to_string(s.QrsOnset);
    cells[10] = std::to_string(s.QrsOffset);
    cells[11] = std::to_string(s.FqrsMs);
    cells[12] = FixedDecimals(s.Rms40Uv, 2);
    cells[13] = std::to_string(s.Las40Ms);
    cells[14] = s.LatePotentials ? "1" : "0";
  }
  return cells;
}

}  // namespace wavelet
