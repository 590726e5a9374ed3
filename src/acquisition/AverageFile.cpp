#include "acquisition/AverageFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <system_error>

#include "acquisition/RecordingFile.h"
#include "acquisition/Text.h"
#include "base/AtomicFile.h"
#include "base/FixedDecimals.h"
#include "output/CsvWriter.h"
#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/RecordTag.h"

namespace wavelet {
namespace {

constexpr const char* kTableName = "averaging.csv";
// Far beyond any folder's table (a row is about 150 bytes), small enough to read whole.
constexpr std::uint64_t kLargestTable = 256u << 20;

std::string Whole(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// A std::string, where GCC 12 warns falsely about assigning a literal into a cell.
std::string Flag(bool on) { return std::string(1, on ? '1' : '0'); }

bool Exists(const std::string& path) {
  struct stat entry {};
  return ::lstat(path.c_str(), &entry) == 0;
}

bool Missing(const std::string& path) {
  struct stat entry {};
  return ::lstat(path.c_str(), &entry) != 0 && errno == ENOENT;
}

// The tag holds the source's file name cut to its field at a character boundary.
bool SameSource(const std::string& tagged, const std::string& fileName) {
  if (tagged == fileName) return true;
  return fileName.size() > kRecordTagNameBytes && tagged.size() + 4 > kRecordTagNameBytes &&
         fileName.compare(0, tagged.size(), tagged) == 0;
}

// The record this recording made under its stem alone, where `target` is not there.
std::string EarlierRecordOf(const std::string& recordingPath, const std::string& target) {
  const std::filesystem::path recording(recordingPath);
  const std::filesystem::path earlier =
      std::filesystem::path(target).parent_path() / (recording.stem().string() + ".R01");
  if (earlier == std::filesystem::path(target) || !Missing(target)) return target;
  RecordBytes bytes{};
  if (!ReadRecordFile(earlier.string(), bytes).Ok) return target;
  const std::optional<RecordTag> tag = ReadRecordTag(bytes);
  if (!tag || !SameSource(tag->SourceName, recording.filename().string())) return target;
  return earlier.string();
}

// With Replace, a recording that gives no record takes the record it would have
// replaced with it: the table says it gave none, so nothing may analyse the old one
// as if it were this recording's.
void RemoveEarlierRecord(AverageFileResult& result) {
  const std::string& path = result.RecordPath;
  struct stat entry {};
  if (::lstat(path.c_str(), &entry) != 0) return;
  const std::string named = "; its earlier record [" + path + "] ";
  if (!S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) {
    result.ErrorText += named + "is no file and is left as it is";
  } else if (::unlink(path.c_str()) == 0) {
    result.RemovedEarlier = true;
    result.ErrorText += named + "is removed";
  } else {
    result.ErrorText += named + "is left, as it could not be removed: " + ReasonOf(errno);
  }
}

AverageFileResult Failed(AverageFileResult result, FailureKind kind, std::string text) {
  result.Ok = false;
  result.Kind = kind;
  result.ErrorText = std::move(text);
  return result;
}

AverageFileResult Averaged(const std::string& recordingPath, const AverageFileRequest& request,
                           DeferredRenames* renames, AverageFileResult result) {
  const std::string& recordPath = result.RecordPath;
  const Loaded<Recording> read = ReadRecording(recordingPath, request.Read);
  if (!read.Ok) return Failed(std::move(result), read.Kind, read.ErrorText);
  result.Read = true;
  result.Leads = read.Value.Leads;
  result.SourceSamplingHz = read.Value.SourceSamplingHz;
  result.Warnings = read.Value.Warnings;
  const Loaded<AveragedRecord> averaged = AverageRecording(read.Value, request.Averaging);
  result.Summary = averaged.Value.Summary;
  result.Warnings.insert(result.Warnings.end(), averaged.Value.Warnings.begin(), averaged.Value.Warnings.end());
  if (!averaged.Ok) return Failed(std::move(result), averaged.Kind, "[" + recordingPath + "]: " + averaged.ErrorText);
  auto file = renames != nullptr ? std::make_unique<AtomicFileWriter>(recordPath, *renames)
                                 : std::make_unique<AtomicFileWriter>(recordPath);
  file->Write(std::string_view(reinterpret_cast<const char*>(averaged.Value.Record.data()),
                               averaged.Value.Record.size()));
  const Outcome written = file->Commit();
  if (!written.Ok) return Failed(std::move(result), written.Kind, written.Message());
  result.Written = true;
  return result;
}

}  // namespace

std::string RecordNameOf(const std::string& recordingPath) {
  const std::filesystem::path path(recordingPath);
  const std::string name = path.filename().string();
  return (EndsWithIgnoringCase(name, ".hea") ? path.stem().string() : name) + ".R01";
}

std::vector<std::string> RecordNamesOf(const std::vector<std::string>& recordingPaths) {
  std::vector<std::string> names;
  for (const std::string& path : recordingPaths) names.push_back(RecordNameOf(path));
  return names;
}

AverageFileResult AverageRecordingFile(const std::string& recordingPath,
                                       const std::string& recordPath,
                                       const AverageFileRequest& request,
                                       DeferredRenames* renames) {
  AverageFileResult result;
  result.RecordPath = EarlierRecordOf(recordingPath, recordPath);
  if (!request.Replace && Exists(result.RecordPath)) {
    const std::string text = "[" + result.RecordPath + "] exists already and is not replaced";
    return Failed(std::move(result), FailureKind::Exists, text);
  }
  result = Averaged(recordingPath, request, renames, std::move(result));
  if (!result.Written && request.Replace) RemoveEarlierRecord(result);
  return result;
}

std::vector<std::string> AveragingTitles() {
  return {"file",           "source",    "leads",     "sampling_hz", "beats_found",
          "beats_kept",     "rejected_ectopic", "rejected_noisy", "noise_uv", "qrs_onset",
          "qrs_offset",     "fqrs_ms",   "rms40_uv",  "las40_ms",    "late_potentials",
          "qrs_guarded"};
}

std::vector<std::string> AveragingCells(const std::string& source, const AverageFileResult& r) {
  static const std::size_t kColumns = AveragingTitles().size();
  std::vector<std::string> cells(kColumns);
  cells[0] = r.Written ? std::filesystem::path(r.RecordPath).filename().string() : std::string();
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
    cells[14] = Flag(s.LatePotentials);
    cells[15] = Flag(s.QrsGuarded);
  }
  return cells;
}

namespace {

// A row's file cell names a record of the folder: a plain name the window lists, of a
// regular file there.
bool IsRecordIn(const std::string& folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
      !MatchesRecordPattern(name)) {
    return false;
  }
  std::error_code error;
  return std::filesystem::is_regular_file(JoinPath(folder, name), error);
}

struct WindowOrder {
  bool operator()(const std::string& a, const std::string& b) const { return RecordNameBefore(a, b); }
};
using NamedRows = std::map<std::string, std::vector<std::string>, WindowOrder>;

// The rows of the folder's table whose records are still there, by the table's own
// titles (an earlier version's table has fewer columns, and a trailing comma).
Outcome ReadEarlierRows(const std::string& folder, const std::string& path, NamedRows& rows) {
  if (Missing(path)) return Outcome::Success();
  const std::string cannot = "Cannot update [" + path + "]";
  std::string text;
  if (const Outcome read = ReadSmallFile(path, kLargestTable, text); !read.Ok) {
    return Outcome::Failure(FailureKind::Failed, cannot, "it cannot be read (" + read.Reason + "), so it is left as it is");
  }
  const std::vector<std::vector<std::string>> table = CsvRows(text);
  const std::vector<std::string> titles = AveragingTitles();
  if (table.empty() || table[0].size() < 2 || table[0][0] != titles[0] || table[0][1] != titles[1]) {
    return Outcome::Failure(FailureKind::NotARecord, cannot,
                            "it is no averaging table (its first line is not the table's titles), so it is "
                            "left as it is");
  }
  std::vector<std::size_t> columnOf(titles.size(), table[0].size());
  for (std::size_t t = 0; t < titles.size(); ++t) {
    for (std::size_t c = 0; c < table[0].size(); ++c) {
      if (table[0][c] == titles[t]) columnOf[t] = c;
    }
  }
  for (std::size_t r = 1; r < table.size(); ++r) {
    std::vector<std::string> cells(titles.size());
    for (std::size_t t = 0; t < titles.size(); ++t) {
      if (columnOf[t] < table[r].size()) cells[t] = table[r][columnOf[t]];
    }
    if (IsRecordIn(folder, cells[0])) rows[cells[0]] = std::move(cells);
  }
  return Outcome::Success();
}

}  // namespace

Outcome UpdateAveragingTable(const std::string& folder, std::span<const std::string> sources,
                             std::span<const AverageFileResult> results) {
  const std::string path = JoinPath(folder, kTableName);
  NamedRows named;
  const Outcome earlier = ReadEarlierRows(folder, path, named);
  if (!earlier.Ok) return earlier;
  std::vector<std::vector<std::string>> unnamed;
  for (std::size_t i = 0; i < results.size() && i < sources.size(); ++i) {
    AverageFileResult result = results[i];
    const std::string name = std::filesystem::path(result.RecordPath).filename().string();
    if (result.Kind == FailureKind::Exists) {
      // A record made before its figures were kept in the table: its name alone.
      if (!named.contains(name) && IsRecordIn(folder, name)) {
        named[name] = std::vector<std::string>(AveragingTitles().size());
        named[name][0] = name;
      }
      continue;
    }
    // A record whose rename failed when its run put the records in place is not there.
    if (result.Written && !IsRecordIn(folder, name)) result.Written = false;
    std::vector<std::string> cells = AveragingCells(sources[i], result);
    if (result.Written) {
      named[name] = std::move(cells);
    } else {
      unnamed.push_back(std::move(cells));
    }
  }
  AtomicFileWriter file(path);
  file.Write(CsvTableLine(AveragingTitles()));
  for (const auto& [name, cells] : named) file.Write(CsvTableLine(cells));
  for (const std::vector<std::string>& cells : unnamed) file.Write(CsvTableLine(cells));
  return file.Commit();
}

}  // namespace wavelet
