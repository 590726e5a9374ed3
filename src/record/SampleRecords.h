#pragma once
// Plausible synthetic signal-averaged records for demos, tests and benchmarks.

#include <cstdint>
#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

// What a sample record was built with (for tests that want to know).
struct SampleRecordInfo {
  int QrsOnset = 0;
  int QrsOffset = 0;
  bool LatePotentials = false;
};

// Record `index` (0-based) of the set made from `seed`: the same seed and index give
// the same bytes on every machine. 1 kHz sampling, 0.1 microvolt per unit.
RecordBytes MakeSampleRecord(std::uint64_t seed, int index, SampleRecordInfo* info = nullptr);

// "P0001.R01" for index 0.
std::string SampleRecordName(int index);

}  // namespace wavelet
