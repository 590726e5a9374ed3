#pragma once
// A recording averaged into the bytes of a signal-averaged record: the averaged beat
// through the record encoder, the averaging count and the late-potential QRS in the
// header, the patient's fields, and the tag stating unit, rate and source, whether the
// recording stated no sex and whether the reading or the averaging gave warnings.

#include <optional>
#include <string>
#include <vector>

#include "acquisition/Averaging.h"
#include "acquisition/Recording.h"
#include "record/RecordEncoder.h"
#include "record/RecordFormat.h"

namespace wavelet {

// Summary and Warnings say how far the averaging got, also where it made no record.
struct AveragedRecord {
  AveragingSummary Summary;
  RecordBytes Record{};
  LeadSamples Microvolts{};  // the averaged beat the record holds in whole units
  std::vector<std::string> Warnings;
};

// Never throws for any recording or options: whatever cannot be made into a record
// comes back not Ok, with the reason, and with the Value's Summary and Warnings.
Loaded<AveragedRecord> AverageRecording(const Recording& recording, const AveragingOptions& options);

// The smallest unit of the series 1, 2, 5 times a power of ten, above `unit`, at
// which every lead's first sample and every step between neighbours fits 16 bits;
// nothing when `microvolts` already fits at `unit` or no unit up to 1 V fits.
std::optional<double> UnitThatFits(const LeadSamples& microvolts, double unit);

// The patient's header fields: name (at most 20 bytes, so that the ID which shares
// the field's tail never shows in it) and ID cut at a character boundary, the date as
// month, day and two year digits, the time, age, sex (0 male, 1 female), height and
// weight; a field the recording lacks or holds in another form stays blank. The sex
// byte has no blank: an unknown sex is written as 0 and said in `warnings` (the record's
// tag, written by AverageRecording, says the sex is not stated).
RecordFields PatientFields(const RecordingPatient& patient, std::vector<std::string>& warnings);

}  // namespace wavelet
