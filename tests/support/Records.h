#pragma once
// The one way tests build records: header fields and samples through the encoder, or
// the sample generator's records, decoded as a load decodes them. Only the in-memory
// records at the end hold what no record file can (fractions, values past 16 bits,
// NaN), for the analysis's guards.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "record/RecordEncoder.h"
#include "record/RecordFormat.h"
#include "record/SampleRecords.h"

namespace wavelet::testing {

// Every header field set: YAMADA TARO, ID-000123, 1998/04/17 09:45, 63, F, 171 cm,
// 68 kg, race -3, averaging count 250, QRS 312..418.
RecordFields TypicalFields();

// Record `index` (from 1) of a work list: "PATIENT <index>", ID <1000 + index>, QRS
// onset 300..315 and offset 100..120 later.
RecordFields NumberedFields(int index);
// A plausible signal-averaged beat: a QRS of three Gaussian waves per lead and a T
// wave, in units of 0.1 microvolt, times `gain`; `variant` changes amplitudes, and
// odd variants add late potentials around the offset.
LeadSamples BeatSamples(int variant, int onset, int offset, double gain = 1.0);
// NumberedFields(index) with the beat of its own number.
RecordBytes NumberedRecord(int index);

// `bytes` decoded as a load decodes them (off the stack, as the state is).
std::unique_ptr<LoadedRecord> Decoded(const RecordBytes& bytes);

// Writes `bytes` as the whole file `path`.
void WriteRecord(const std::string& path, const RecordBytes& bytes);

// Sample records 0..count-1 of `seed` written into `directory` under their sample
// names, which are returned.
std::vector<std::string> WriteSampleRecords(const std::string& directory, int count,
                                            std::uint64_t seed);

// No signal, only the QRS onset and offset.
std::unique_ptr<LoadedRecord> EmptyRecord(int onset = 300, int offset = 400);
// Uniform noise in (-amplitude, amplitude), fractions included.
std::unique_ptr<LoadedRecord> NoiseRecord(unsigned seed, double amplitude, int onset = 300,
                                          int offset = 420);

}  // namespace wavelet::testing
