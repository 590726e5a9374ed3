#pragma once
// The tag with which records written by this program state their unit, sampling rate
// and source, in header bytes 0-139 (which the record load never reads). Records of
// the recorder hold zeros or its own texts there; the tag is recognised only by its
// magic, version and checksum, so such bytes never read as a tag.
//
// Layout of bytes 0-139 (multi-byte numbers big-endian, as everywhere in the record):
//     0-7    magic 89 57 4C 54 47 0D 0A 1A: a first byte above 7F so that no plain
//            text starts with it, "WLTG", then CR LF and ^Z, which text conversions
//            and truncating readers would change
//     8      version, 1 or 2
//     9-16   microvolts per unit, an IEEE-754 double
//     17-20  sampling rate in Hz, unsigned 32 bits
//     21     length n of the source name in bytes, at most 114 (version 1) or 113 (2)
//     22-135 the source name, n bytes of UTF-8, then zeros
//     135    version 2 only: flags, bit 0 the sex not stated, bit 1 averaged with
//            warnings, the other bits 0 (in version 1 the name's last byte or a zero)
//     136-139 CRC-32 (zlib's) of bytes 0-135
// A tag is read only when the magic, version, checksum and zero padding are all as
// above, the unit is a finite number above 0 and the rate lies in 1..INT_MAX. A tag is
// written as version 1 when neither flag is set, so that such records keep the bytes
// that programs reading only version 1 take; a version-1 tag reads with both flags false.

#include <cstddef>
#include <optional>
#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

inline constexpr std::size_t kRecordTagSize = 140;
inline constexpr std::size_t kRecordTagNameBytes = 114;  // 113 in a version-2 tag

struct RecordTag {
  double MicrovoltsPerUnit = kDefaultMicrovoltsPerUnit;
  int SamplingRateHz = kSamplingRateHz;
  std::string SourceName;  // the recording's file name, cut to fit its field
  // The recording stated no sex: the header's sex byte holds the loader's default only.
  bool SexNotStated = false;
  // The averaging that made the record gave warnings (onset not placed, few beats...).
  bool AveragedWithWarnings = false;
};

// The tag of a record, or nothing when bytes 0-139 hold none (or a damaged one).
std::optional<RecordTag> ReadRecordTag(const RecordBytes& bytes);

// Writes the tag into bytes 0-139; every other byte stays as it is. A source name
// longer than its field is cut at the last UTF-8 character boundary that fits.
// Throws std::invalid_argument for a unit that is not a finite number above 0 or a
// rate below 1, which no reader would take.
void WriteRecordTag(RecordBytes& bytes, const RecordTag& tag);

// The unit of a record's samples: its tag's where it has one, else `setting`.
double RecordMicrovoltsPerUnit(const RecordBytes& bytes, double setting);

}  // namespace wavelet
