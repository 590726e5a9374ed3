#pragma once
// Where each field lies in the 5025 bytes of a record; the decoder and the encoder
// both read their offsets from here.

#include <cstddef>

#include "record/RecordFormat.h"

namespace wavelet {

struct RecordField {
  std::size_t Offset;
  std::size_t Length;
  constexpr std::size_t End() const { return Offset + Length; }
};

namespace record_layout {

// Texts end at their length or at their first zero byte. The name overlaps the first
// three bytes of the ID, as in real records.
inline constexpr RecordField kPatientName{140, 24};
inline constexpr RecordField kPatientId{161, 12};
// Two characters each, followed by a separator: "/" after the month and the day,
// " " after the year, ":" after the hour.
inline constexpr RecordField kMonth{174, 2};
inline constexpr RecordField kDay{177, 2};
inline constexpr RecordField kYear{180, 2};
inline constexpr RecordField kHour{183, 2};
inline constexpr RecordField kMinute{186, 2};
inline constexpr RecordField kAge{189, 3};
inline constexpr RecordField kSex{193, 1};  // 0 male, anything else female
inline constexpr RecordField kHeight{194, 3};
inline constexpr RecordField kWeight{198, 3};
inline constexpr RecordField kRace{202, 1};  // signed
// Unsigned 16-bit big-endian.
inline constexpr RecordField kAveragingCount{219, 2};
inline constexpr RecordField kQrsOnset{221, 2};
inline constexpr RecordField kQrsOffset{223, 2};
// Leads X, Y, Z one after the other, each 800 signed 16-bit big-endian values: the
// first sample, then the differences from the previous sample.
inline constexpr std::size_t kLeadBytes = 2 * kSamplesPerLead;
inline constexpr RecordField kLeadData{225, kRecordedLeads * kLeadBytes};
static_assert(kLeadData.End() == kRecordSize);

// The offset of value j of lead `lead` (0 = X).
constexpr std::size_t LeadValueOffset(int lead, int j) {
  return kLeadData.Offset + kLeadBytes * static_cast<std::size_t>(lead) +
         2 * static_cast<std::size_t>(j);
}

}  // namespace record_layout
}  // namespace wavelet
