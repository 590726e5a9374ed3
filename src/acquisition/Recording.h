#pragma once
// A raw multi-lead recording in an open format, reduced to the three orthogonal leads
// X, Y and Z in microvolts at 1000 samples/s: the input of the averaging that turns a
// recording into a signal-averaged record.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "acquisition/RecordingParts.h"
#include "base/Outcome.h"

namespace wavelet {

struct Recording {
  std::string Source;        // the file it came from (for a WFDB record: the header)
  double SamplingHz = 1000;  // after resampling: always 1000
  double SourceSamplingHz = 1000;  // as recorded, before resampling
  LeadSource Leads = LeadSource::Frank;
  std::array<std::string, 3> LeadLabels;          // the labels used for X, Y, Z
  std::array<std::vector<double>, 3> Microvolts;  // X, Y, Z at 1000 samples/s, in uV
  RecordingPatient Patient;
  // What was odd but readable, e.g. "zero checksum in the header of ...".
  std::vector<std::string> Warnings;
};

// ErrorText names the file and the reason; the kind tells a file that cannot be
// opened (missing, not a file, not permitted) from one that is no usable recording.
Loaded<Recording> ReadRecording(const std::string& path, const ReadOptions& options = {});

// The paths of a directory's recordings, sorted by name as record files are: WFDB
// records once each (by their .hea), and the files whose extension is one of the
// formats read through libbiosig (.edf, .bdf, .gdf, .scp, .xml, .ecg, .hl7; any case).
// An unreadable directory lists nothing. Entries named like recordings that are no
// regular files (a folder "x.hea", a broken link, a pipe) are left out and, with
// `notFiles`, their paths given there in the same order, so they can be named.
std::vector<std::string> ListRecordings(const std::string& directory, std::vector<std::string>* notFiles = nullptr);

// The extensions ListRecordings takes, lower case with their dot (".hea", ".edf", ...),
// for a file dialog's filter.
std::span<const char* const> RecordingExtensions();

}  // namespace wavelet
