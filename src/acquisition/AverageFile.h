#pragma once
// One recording turned into a record file in a folder: read, averaged, written
// atomically, never over an existing record unless asked to. The averaging tool and
// the window's import both come through here, so they make the same records.

#include <span>
#include <string>
#include <vector>

#include "acquisition/AveragedRecord.h"
#include "acquisition/Recording.h"
#include "base/AtomicFile.h"

namespace wavelet {

struct AverageFileRequest {
  ReadOptions Read;
  AveragingOptions Averaging;
  // Write over a record of the same name; a recording that then gives no record
  // removes it, so no earlier record is left to be analysed as this recording's.
  bool Replace = false;
};

// Not Ok: ErrorText says why there is no record (and names the recording); the kind
// is Exists where a record of that name is there already and is not replaced.
struct AverageFileResult : Outcome {
  std::string RecordPath;    // where the record goes
  bool Read = false;         // the recording could be read
  bool Written = false;      // the record was written
  bool RemovedEarlier = false;  // not written, with Replace: the earlier record was removed
  LeadSource Leads = LeadSource::Frank;
  double SourceSamplingHz = 0.0;
  AveragingSummary Summary;  // meaningful once Read
  std::vector<std::string> Warnings;
};

// The record file name of a recording, whatever else is in the run: a WFDB record's
// name (its header's file name without ".hea"), any other recording's whole file name
// ("0000050.ECG.edf"), and ".R01", so the window lists it among the records. Two files
// of one folder never share a name this way (an EDF and an SCP copy of one recording
// included), so one run's records never replace each other.
std::string RecordNameOf(const std::string& recordingPath);
// RecordNameOf of each.
std::vector<std::string> RecordNamesOf(const std::vector<std::string>& recordingPaths);

// With `renames`, the record is renamed into place with the run's others (one sync for
// them all) instead of on its own. Where `recordPath` does not exist but its folder
// holds a record this recording made under its stem alone ("0000050.ECG.R01", as records
// of EDF, SCP and aECG files were named before), that record keeps its name: it is
// the one found there already, or replaced; RecordPath says which file it is.
AverageFileResult AverageRecordingFile(const std::string& recordingPath,
                                       const std::string& recordPath,
                                       const AverageFileRequest& request,
                                       DeferredRenames* renames = nullptr);

// The averaging table's title row and one recording's cells: the record's file name
// (blank where it gave none), the source, and blanks past the beat counts where there
// is no record.
std::vector<std::string> AveragingTitles();
std::vector<std::string> AveragingCells(const std::string& source, const AverageFileResult& result);

// Brings FOLDER/averaging.csv up to date with one run (the averaging tool's or the
// window's import), so that it describes the folder's records however many runs
// filled it: a row for each record of the table or of the run that is still in the
// folder, the run's new rows in place of those of the records they replace (a record
// found there already and not replaced keeps its row), sorted by record name as the
// window lists records; then the run's recordings that gave no record, in run order,
// with an empty file cell. Rows of earlier runs without a record are dropped: they
// described a failure of their run, which has nothing left in the folder to check
// them against, while this run's say what just failed. A table of an earlier version
// (a trailing comma, fewer columns) is read by its titles. Written atomically; a
// file of that name that is no averaging table, or cannot be read, is left as it is
// and the outcome says so.
Outcome UpdateAveragingTable(const std::string& folder, std::span<const std::string> sources,
                             std::span<const AverageFileResult> results);

}  // namespace wavelet
