#include "record/RecordDecoder.h"

#include <cstdint>

namespace wavelet {
namespace {

constexpr std::size_t kNameOffset = 140, kNameLength = 24;
constexpr std::size_t kIdOffset = 161, kIdLength = 12;
constexpr std::size_t kMonthOffset = 174, kDayOffset = 177, kYearOffset = 180;
constexpr std::size_t kHourOffset = 183, kMinuteOffset = 186;
constexpr std::size_t kAgeOffset = 189, kSexOffset = 193, kHeightOffset = 194;
constexpr std::size_t kWeightOffset = 198, kRaceOffset = 202;
constexpr std::size_t kAveragingOffset = 219, kOnsetOffset = 221, kOffsetOffset = 223;
constexpr std::size_t kSamplesOffset = 225;
constexpr std::size_t kLeadBytes = 2 * kSamplesPerLead;

// A text field ends at its length or at its first zero byte; bytes are kept as they
// are (no trimming, no conversion).
std::string TextField(const RecordBytes& bytes, std::size_t offset, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t byte = bytes[offset + i];
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

int Unsigned16(const RecordBytes& bytes, std::size_t offset) {
  return bytes[offset] * 256 + bytes[offset + 1];
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
  texts.PatientId = TextField(bytes, kIdOffset, kIdLength);
  texts.PatientName = TextField(bytes, kNameOffset, kNameLength);
  texts.Sex = std::string(1, bytes[kSexOffset] == 0 ? 'M' : 'F');
  texts.Age = TextField(bytes, kAgeOffset, 3);
  texts.Height = TextField(bytes, kHeightOffset, 3);
  texts.Weight = TextField(bytes, kWeightOffset, 3);
  texts.Race = std::to_string(static_cast<int>(static_cast<std::int8_t>(bytes[kRaceOffset])));
  texts.AveragingCount = std::to_string(Unsigned16(bytes, kAveragingOffset));

  auto ch = [&](std::size_t offset) { return static_cast<char>(bytes[offset]); };
  // Two-digit years below "8" belong to this century; the byte is unsigned, so
  // anything from 0x80 up reads as the last century.
  const std::string century = bytes[kYearOffset] < '8' ? "20" : "19";
  std::string date = century;
  date += {ch(kYearOffset), ch(kYearOffset + 1), '/', ch(kMonthOffset), ch(kMonthOffset + 1),
           '/', ch(kDayOffset), ch(kDayOffset + 1)};
  texts.Date = EndAtZero(std::move(date));
  texts.Time = EndAtZero(std::string{ch(kHourOffset), ch(kHourOffset + 1), ':',
                                     ch(kMinuteOffset), ch(kMinuteOffset + 1)});
  return texts;
}

void DecodeRecordInto(LoadedRecord& record) {
  const RecordBytes& bytes = record.RecordBuffer;
  record.AveragingCount = Unsigned16(bytes, kAveragingOffset);
  record.QrsOnset = Unsigned16(bytes, kOnsetOffset);
  record.QrsOffset = Unsigned16(bytes, kOffsetOffset);
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    const std::size_t base = kSamplesOffset + kLeadBytes * static_cast<std::size_t>(lead);
    auto& samples = record.LeadSignals[static_cast<std::size_t>(lead)];
    double sum = 0.0;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double value = Signed16(bytes, base + 2 * static_cast<std::size_t>(j));
      sum = j == 0 ? value : sum + value;
      samples[static_cast<std::size_t>(j)] = sum;
    }
  }
}

}  // namespace wavelet
