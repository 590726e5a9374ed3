#include "record/RecordDecoder.h"

#include <cstdint>

#include "record/RecordLayout.h"

namespace wavelet {

using namespace record_layout;

namespace {

// A text field ends at its length or at its first zero byte; bytes are kept as they
// are (no trimming, no conversion).
std::string TextField(const RecordBytes& bytes, RecordField field) {
  std::string text;
  for (std::size_t i = 0; i < field.Length; ++i) {
    const std::uint8_t byte = bytes[field.Offset + i];
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

int Unsigned16(const RecordBytes& bytes, RecordField field) {
  return bytes[field.Offset] * 256 + bytes[field.Offset + 1];
}

int Signed16(const RecordBytes& bytes, std::size_t offset) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]));
}

// The date and time are built from single bytes and then read as one text, so a zero
// byte anywhere among them ends the text there.
std::string EndAtZero(std::string text) {
  const auto zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

RecordHeaderTexts DecodeHeaderTexts(const RecordBytes& bytes) {
  RecordHeaderTexts texts;
  texts.PatientId = TextField(bytes, kPatientId);
  texts.PatientName = TextField(bytes, kPatientName);
  texts.Sex = std::string(1, bytes[kSex.Offset] == 0 ? 'M' : 'F');
  texts.Age = TextField(bytes, kAge);
  texts.Height = TextField(bytes, kHeight);
  texts.Weight = TextField(bytes, kWeight);
  texts.Race = std::to_string(static_cast<int>(static_cast<std::int8_t>(bytes[kRace.Offset])));
  texts.AveragingCount = std::to_string(Unsigned16(bytes, kAveragingCount));

  auto ch = [&](std::size_t offset) { return static_cast<char>(bytes[offset]); };
  // Two-digit years below "8" belong to this century; the byte is unsigned, so
  // anything from 0x80 up reads as the last century.
  const std::string century = bytes[kYear.Offset] < '8' ? "20" : "19";
  std::string date = century;
  date += {ch(kYear.Offset), ch(kYear.Offset + 1), '/', ch(kMonth.Offset), ch(kMonth.Offset + 1),
           '/', ch(kDay.Offset), ch(kDay.Offset + 1)};
  texts.Date = EndAtZero(std::move(date));
  texts.Time = EndAtZero(std::string{ch(kHour.Offset), ch(kHour.Offset + 1), ':',
                                     ch(kMinute.Offset), ch(kMinute.Offset + 1)});
  return texts;
}

void DecodeRecordInto(LoadedRecord& record) {
  const RecordBytes& bytes = record.RecordBuffer;
  record.AveragingCount = Unsigned16(bytes, kAveragingCount);
  record.QrsOnset = Unsigned16(bytes, kQrsOnset);
  record.QrsOffset = Unsigned16(bytes, kQrsOffset);
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    auto& samples = record.LeadSignals[static_cast<std::size_t>(lead)];
    double sum = 0.0;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double value = Signed16(bytes, LeadValueOffset(lead, j));
      sum = j == 0 ? value : sum + value;
      samples[static_cast<std::size_t>(j)] = sum;
    }
  }
}

}  // namespace wavelet
