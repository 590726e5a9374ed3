#include "record/RecordEncoder.h"

#include <cmath>
#include <stdexcept>

#include "base/Truncate.h"

namespace wavelet {
namespace {

void PutText(RecordBytes& bytes, std::size_t offset, std::size_t length, const std::string& text,
             const char* what) {
  if (text.size() > length) {
    throw std::invalid_argument(std::string(what) + " is longer than its field");
  }
  for (std::size_t i = 0; i < length; ++i) {
    bytes[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
  }
}

void PutUnsigned16(RecordBytes& bytes, std::size_t offset, int value, const char* what) {
  if (value < 0 || value > 65535) {
    throw std::invalid_argument(std::string(what) + " does not fit 16 bits");
  }
  bytes[offset] = static_cast<std::uint8_t>(value >> 8);
  bytes[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
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
  PutText(bytes, 140, 24, fields.PatientName, "the patient name");
  PutText(bytes, 161, 12, fields.PatientId, "the patient ID");
  PutText(bytes, 174, 2, fields.Month, "the month");
  bytes[176] = '/';
  PutText(bytes, 177, 2, fields.Day, "the day");
  bytes[179] = '/';
  PutText(bytes, 180, 2, fields.Year, "the year");
  bytes[182] = ' ';
  PutText(bytes, 183, 2, fields.Hour, "the hour");
  bytes[185] = ':';
  PutText(bytes, 186, 2, fields.Minute, "the minute");
  PutText(bytes, 189, 3, fields.Age, "the age");
  bytes[193] = fields.Sex;
  PutText(bytes, 194, 3, fields.Height, "the height");
  PutText(bytes, 198, 3, fields.Weight, "the weight");
  bytes[202] = static_cast<std::uint8_t>(fields.Race);
  PutUnsigned16(bytes, 219, fields.AveragingCount, "the averaging count");
  PutUnsigned16(bytes, 221, fields.QrsOnset, "the QRS onset");
  PutUnsigned16(bytes, 223, fields.QrsOffset, "the QRS offset");

  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    const auto& leadSamples = samples[static_cast<std::size_t>(lead)];
    double previous = 0.0;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double sample = leadSamples[static_cast<std::size_t>(j)];
      if (!std::isfinite(sample) || sample != std::trunc(sample)) {
        throw std::invalid_argument("a sample is not a whole number");
      }
      PutSigned16(bytes, 225 + 1600 * static_cast<std::size_t>(lead) + 2 * static_cast<std::size_t>(j),
                  j == 0 ? sample : sample - previous);
      previous = sample;
    }
  }
  return bytes;
}

}  // namespace wavelet
