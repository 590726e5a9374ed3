#pragma once
// Turning the bytes of a record into the texts and samples a load shows and keeps.

#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

// The header as the window shows it and a batch writes it, field by field; the file
// name (the eleventh text) is not in the record and is added by the caller.
struct RecordHeaderTexts {
  std::string PatientId, PatientName, Sex, Age, Height, Weight, Race, AveragingCount,
      Date, Time;
};

RecordHeaderTexts DecodeHeaderTexts(const RecordBytes&);

// Rebuilds LeadSignals, QrsOnset, QrsOffset and AveragingCount from RecordBuffer.
void DecodeRecordInto(LoadedRecord&);

}  // namespace wavelet
