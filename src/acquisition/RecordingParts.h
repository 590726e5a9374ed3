#pragma once
// What the readers of every format share with the facade above them (Recording.h):
// the patient fields, where X, Y and Z came from, and what the caller asks of a read.
// The readers include this and never the facade, so they sit below it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace wavelet {

// What the recording says about the patient; a field the recording lacks stays blank.
struct RecordingPatient {
  std::string Name, Id;
  std::string Sex;            // "M", "F" or ""
  std::string BirthDate;      // yyyy-mm-dd or ""
  std::string RecordingDate;  // yyyy-mm-dd or ""
  std::string RecordingTime;  // hh:mm or ""
  std::optional<int> AgeYears, HeightCm, WeightKg;
};

// Frank: the recording holds the orthogonal leads themselves. Kors: X, Y and Z were
// reconstructed from the standard leads I, II and V1-V6.
enum class LeadSource { Frank, Kors };

struct ReadOptions {
  // The labels to take as X, Y and Z, in this order, instead of looking for the Frank
  // leads or the standard leads (any case).
  std::optional<std::array<std::string, 3>> LeadNames;
  // A longer recording is refused, so memory stays bounded: one day at 1000 samples/s.
  std::size_t MaxSamples = 24u * 3600u * 1000u;
};

}  // namespace wavelet
