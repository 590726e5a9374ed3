#include "record/RecordEncoder.h"

#include <cmath>
#include <stdexcept>

#include "base/Truncate.h"
#include "record/RecordLayout.h"

namespace wavelet {

using namespace record_layout;

namespace {

void PutText(RecordBytes& bytes, RecordField field, const std::string& text, const char* what) {
  if (text.size() > field.Length) {
    throw std::invalid_argument(std::string(what) + " is longer than its field");
  }
  for (std::size_t i = 0; i < field.Length; ++i) {
    bytes[field.Offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
  }
}

void PutUnsigned16(RecordBytes& bytes, RecordField field, int value, const char* what) {
  if (value < 0 || value > 65535) {
    throw std::invalid_argument(std::string(what) + " does not fit 16 bits");
  }
  bytes[field.Offset] = static_cast<std::uint8_t>(value >> 8);
  bytes[field.Offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

void PutSigned16(RecordBytes& bytes, std::size_t offset, double value) {
  if (!(value >= -32768.0 && value <= 32767.0)) {
    throw std::invalid_argument("a sample delta does not fit 16 bits");
  }
  const auto word = static_cast<std::uint16_t>(TruncateToInt(value, -32768, 32767));
  bytes[offset] = static_cast<std::uint8_t>(word >> 8);
  bytes[offset + 1] = static_cast<std::uint8_t>(word & 0xFF);
}

}  // namespace

RecordBytes EncodeRecord(const RecordFields& fields, const LeadSamples& samples) {
  RecordBytes bytes{};
  // The ID goes in after the name: the two fields share bytes 161..163.
  PutText(bytes, kPatientName, fields.PatientName, "the patient name");
  PutText(bytes, kPatientId, fields.PatientId, "the patient ID");
  PutText(bytes, kMonth, fields.Month, "the month");
  bytes[kMonth.End()] = '/';
  PutText(bytes, kDay, fields.Day, "the day");
  bytes[kDay.End()] = '/';
  PutText(bytes, kYear, fields.Year, "the year");
  bytes[kYear.End()] = ' ';
  PutText(bytes, kHour, fields.Hour, "the hour");
  bytes[kHour.End()] = ':';
  PutText(bytes, kMinute, fields.Minute, "the minute");
  PutText(bytes, kAge, fields.Age, "the age");
  bytes[kSex.Offset] = fields.Sex;
  PutText(bytes, kHeight, fields.Height, "the height");
  PutText(bytes, kWeight, fields.Weight, "the weight");
  bytes[kRace.Offset] = static_cast<std::uint8_t>(fields.Race);
  PutUnsigned16(bytes, kAveragingCount, fields.AveragingCount, "the averaging count");
  PutUnsigned16(bytes, kQrsOnset, fields.QrsOnset, "the QRS onset");
  PutUnsigned16(bytes, kQrsOffset, fields.QrsOffset, "the QRS offset");

  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    const auto& leadSamples = samples[static_cast<std::size_t>(lead)];
    double previous = 0.0;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double sample = leadSamples[static_cast<std::size_t>(j)];
      if (!std::isfinite(sample) || sample != std::trunc(sample)) {
        throw std::invalid_argument("a sample is not a whole number");
      }
      PutSigned16(bytes, LeadValueOffset(lead, j), j == 0 ? sample : sample - previous);
      previous = sample;
    }
  }
  return bytes;
}

}  // namespace wavelet
