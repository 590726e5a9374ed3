#pragma once
// Building the bytes of a record from header fields and samples (for tests and the
// sample generator; the program itself never writes records).

#include <cstdint>
#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

// Texts are stored as they are, ended by a zero byte when shorter than their field.
// The name field overlaps the first three bytes of the ID: a name of 21 characters
// or more loses its tail to the ID, as in real records.
struct RecordFields {
  std::string PatientName, PatientId, Month, Day, Year, Hour, Minute, Age, Height,
      Weight;
  std::uint8_t Sex = 0;
  std::int8_t Race = 0;
  int AveragingCount = 0, QrsOnset = 0, QrsOffset = 0;
};

// Throws std::invalid_argument when a sample is not a whole number or a delta
// does not fit 16 bits (also for a text longer than its field or a count outside
// 0..65535).
RecordBytes EncodeRecord(const RecordFields&, const LeadSamples& samples);

}  // namespace wavelet
