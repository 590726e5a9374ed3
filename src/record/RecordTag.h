#pragma once
// The tag with which records written by this program state their unit, sampling rate
// and source, in header bytes 0-139 (which the record load never reads). Records of
// the recorder hold zeros or its own texts there; the tag is recognised only by its
// magic, version and checksum, so such bytes never read as a tag.

#include <optional>
#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

struct RecordTag {
  double MicrovoltsPerUnit = kDefaultMicrovoltsPerUnit;
  int SamplingRateHz = kSamplingRateHz;
  std::string SourceName;  // the recording's file name, cut to fit its field
};

// The tag of a record, or nothing when bytes 0-139 hold none (or a damaged one).
std::optional<RecordTag> ReadRecordTag(const RecordBytes& bytes);

// Writes the tag into bytes 0-139; every other byte stays as it is.
void WriteRecordTag(RecordBytes& bytes, const RecordTag& tag);

}  // namespace wavelet
