#pragma once
// One recording turned into a record file in a folder: read, averaged, written
// atomically, never over an existing record unless asked to. The averaging tool and
// the window's import both come through here, so they make the same records.

#include <string>
#include <vector>

#include "acquisition/AveragedRecord.h"
#include "acquisition/Recording.h"
#include "base/AtomicFile.h"

namespace wavelet {

struct AverageFileRequest {
  ReadOptions Read;
  AveragingOptions Averaging;
  bool Replace = false;  // write over a record of the same name
};

struct AverageFileResult {
  std::string RecordPath;    // where the record goes
  bool Read = false;         // the recording could be read
  bool Written = false;      // the record was written
  bool Exists = false;       // not written: a record of that name is there already
  std::string ErrorText;     // why there is no record (names the recording)
  LeadSource Leads = LeadSource::Frank;
  double SourceSamplingHz = 0.0;
  AveragingSummary Summary;  // meaningful once Read
  std::vector<std::string> Warnings;
};

// The record file name of a recording: its file name without the extension (a WFDB
// record's name) and ".R01", so the window lists it among the records.
std::string RecordNameOf(const std::string& recordingPath);

// Record names for a run's recordings: two recordings that would share one keep their
// whole file names ("x.edf.R01", "x.scp.R01"), so no record of the run replaces another.
std::vector<std::string> RecordNamesOf(const std::vector<std::string>& recordingPaths);

// With `renames`, the record is renamed into place with the run's others (one sync for
// them all) instead of on its own.
AverageFileResult AverageRecordingFile(const std::string& recordingPath,
                                       const std::string& recordPath,
                                       const AverageFileRequest& request,
                                       DeferredRenames* renames = nullptr);

// The averaging table's title row and one recording's cells (blanks past the source
// where there is no record).
std::vector<std::string> AveragingTitles();
std::vector<std::string> AveragingCells(const std::string& recordName, const std::string& source,
                                        const AverageFileResult& result);

}  // namespace wavelet
