#pragma once
// The header (.hea) of a WFDB record: one record line, one line per signal, and
// '#' comment lines anywhere, with LF or CR LF line ends.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/RecordingParts.h"
#include "base/Outcome.h"

namespace wavelet {

struct WfdbSignal {
  std::string FileName;
  int Format = 0;
  int SamplesPerFrame = 1;
  int Skew = 0;
  std::uint64_t ByteOffset = 0;
  double Gain = 200;       // adu per physical unit; the WFDB default where absent or 0
  bool Uncalibrated = false;  // the header gave no gain, or 0
  std::int64_t Baseline = 0;  // the adu of 0 units; defaults to AdcZero
  std::string Units;          // "" where absent (millivolts by the format's rule)
  int AdcResolution = 0;
  std::int64_t AdcZero = 0;
  std::optional<std::int64_t> InitialValue;
  std::optional<std::int64_t> Checksum;
  std::string Description;  // the signal's label; may hold blanks
};

struct WfdbHeader {
  std::string RecordName;
  double FrameHz = 250;                     // the WFDB default where absent
  std::optional<std::uint64_t> FrameCount;  // absent or 0: as many as the data hold
  std::string BaseTime;                     // as written, e.g. "10:00:00"
  std::string BaseDate;                     // as written, e.g. "01/10/1990"
  std::vector<WfdbSignal> Signals;
  std::vector<std::string> Comments;  // the text after '#', trimmed
  bool CrLf = false;
};

// Refuses, saying which line and what is wrong, what this reader cannot use: no record line, too few signal lines, fields
// that are not numbers, multi-segment records.
Loaded<WfdbHeader> ParseWfdbHeader(std::string_view text);

// The patient fields a header holds: the base date and time of the record line, and
// comments of the form "key: value" for age, sex (or gender), height, weight and the
// ECG date (day/month/year), as PTB writes them.
RecordingPatient PatientFromWfdbHeader(const WfdbHeader& header);

// "dd/mm/yyyy" as "yyyy-mm-dd"; "" when it is no such date.
std::string WfdbDateAsIso(std::string_view date);

}  // namespace wavelet
