#include "acquisition/AveragedRecord.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "acquisition/Text.h"
#include "record/RecordLayout.h"
#include "record/RecordTag.h"

namespace wavelet {
namespace {

constexpr double kLowestStored = -32768.0;
constexpr double kHighestStored = 32767.0;
// 1, 2, 5 times a power of ten, written out so that each is the double of its text.
constexpr std::array<double, 30> kUnitSeries = {
    0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0,
    2.0,   5.0,   10.0,  20.0, 50.0, 100.0, 200.0, 500.0, 1e3, 2e3,
    5e3,   1e4,   2e4,   5e4,  1e5, 2e5,   5e5,   1e6,   2e6, 5e6};
// Keeps the name's last byte before the ID's first: a longer name would show the
// ID's first three characters after it.
constexpr std::size_t kNameBytes = record_layout::kPatientId.Offset - record_layout::kPatientName.Offset - 1;
constexpr int kLargestThreeDigits = 999;

bool Stored(double value) { return value >= kLowestStored && value <= kHighestStored; }

// The record holds each lead's first sample and then the steps between neighbours.
bool FitsSixteenBits(const LeadSamples& units) {
  for (const auto& lead : units) {
    if (!Stored(lead[0])) return false;
    for (std::size_t j = 1; j < lead.size(); ++j) {
      if (!Stored(lead[j] - lead[j - 1])) return false;
    }
  }
  return true;
}

double LargestStoredMicrovolts(const LeadSamples& microvolts) {
  double largest = 0.0;
  for (const auto& lead : microvolts) {
    largest = std::max(largest, std::fabs(lead[0]));
    for (std::size_t j = 1; j < lead.size(); ++j) largest = std::max(largest, std::fabs(lead[j] - lead[j - 1]));
  }
  return largest;
}

std::string UnitError(const LeadSamples& microvolts, double unit) {
  std::string text = "the averaged beat does not fit the record's 16-bit samples at " + NumberText(unit) +
                     " uV per unit (a first sample or a step between neighbours of " +
                     NumberText(std::round(LargestStoredMicrovolts(microvolts) * 10.0) / 10.0) + " uV); ";
  const std::optional<double> fits = UnitThatFits(microvolts, unit);
  return text + (fits ? NumberText(*fits) + " uV per unit fits" : "no unit up to 5 V fits");
}

// The longest prefix of at most `bytes` bytes that does not split a UTF-8 character.
std::string CutAtCharacter(const std::string& text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t length = bytes;
  while (length > 0 && (static_cast<std::uint8_t>(text[length]) & 0xC0) == 0x80) --length;
  return text.substr(0, length);
}

bool Digits(const std::string& text, std::size_t from, std::size_t count) {
  for (std::size_t i = from; i < from + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int TwoDigits(const std::string& text, std::size_t from) {
  return (text[from] - '0') * 10 + (text[from + 1] - '0');
}

void PutDate(const std::string& date, RecordFields& fields) {
  if (date.size() != 10 || !Digits(date, 0, 4) || date[4] != '-' || !Digits(date, 5, 2) ||
      date[7] != '-' || !Digits(date, 8, 2)) {
    return;
  }
  const int month = TwoDigits(date, 5);
  const int day = TwoDigits(date, 8);
  if (month < 1 || month > 12 || day < 1 || day > 31) return;
  fields.Month = date.substr(5, 2);
  fields.Day = date.substr(8, 2);
  fields.Year = date.substr(2, 2);
}

// hh:mm, or hh:mm:ss of which the seconds are dropped.
void PutTime(const std::string& time, RecordFields& fields) {
  if ((time.size() != 5 && !(time.size() == 8 && time[5] == ':' && Digits(time, 6, 2))) ||
      !Digits(time, 0, 2) || time[2] != ':' || !Digits(time, 3, 2)) {
    return;
  }
  if (TwoDigits(time, 0) > 23 || TwoDigits(time, 3) > 59) return;
  fields.Hour = time.substr(0, 2);
  fields.Minute = time.substr(3, 2);
}

std::string ThreeDigits(const std::optional<int>& value) {
  if (!value || *value < 0 || *value > kLargestThreeDigits) return {};
  return std::to_string(*value);
}

bool SexStated(const RecordingPatient& patient) { return patient.Sex == "M" || patient.Sex == "F"; }

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<double> UnitThatFits(const LeadSamples& microvolts, double unit) {
  if (FitsSixteenBits(ToWholeUnits(microvolts, unit))) return std::nullopt;
  for (double candidate : kUnitSeries) {
    if (candidate > unit && FitsSixteenBits(ToWholeUnits(microvolts, candidate))) return candidate;
  }
  return std::nullopt;
}

RecordFields PatientFields(const RecordingPatient& patient, std::vector<std::string>& warnings) {
  RecordFields fields;
  fields.PatientName = CutAtCharacter(patient.Name, kNameBytes);
  fields.PatientId = CutAtCharacter(patient.Id, record_layout::kPatientId.Length);
  PutDate(patient.RecordingDate, fields);
  PutTime(patient.RecordingTime, fields);
  fields.Age = ThreeDigits(patient.AgeYears);
  fields.Height = ThreeDigits(patient.HeightCm);
  fields.Weight = ThreeDigits(patient.WeightKg);
  fields.Sex = patient.Sex == "F" ? 1 : 0;
  if (!SexStated(patient)) {
    warnings.emplace_back("the recording does not state the sex; the record's sex byte has no blank and holds "
                          "0 (M to a program that reads only the byte), its tag says the sex is not stated");
  }
  return fields;
}

Loaded<AveragedRecord> AverageRecording(const Recording& recording, const AveragingOptions& options) {
  Loaded<AveragedRecord> refused;
  AveragedRecord& out = refused.Value;
  refused.Kind = FailureKind::NotARecord;
  const Loaded<AveragedBeat> averaged = AverageBeats(recording, options);
  const AveragedBeat& beat = averaged.Value;
  out.Summary = beat.Summary;
  out.Warnings = beat.Warnings;
  if (!averaged.Ok) {
    refused.ErrorText = averaged.ErrorText;
    return refused;
  }
  if (!FitsSixteenBits(beat.Units)) {
    refused.ErrorText = UnitError(beat.Microvolts, options.MicrovoltsPerUnit);
    return refused;
  }
  RecordFields fields = PatientFields(recording.Patient, out.Warnings);
  fields.AveragingCount = beat.Summary.BeatsKept;
  fields.QrsOnset = beat.Summary.QrsOnset;
  fields.QrsOffset = beat.Summary.QrsOffset;
  try {
    out.Record = EncodeRecord(fields, beat.Units);
    // The sex warning has a flag of its own; any other, of the reading or the averaging, sets this one.
    const bool warned = !recording.Warnings.empty() || !beat.Warnings.empty();
    WriteRecordTag(out.Record, {options.MicrovoltsPerUnit, kSamplingRateHz, FileName(recording.Source),
                                !SexStated(recording.Patient), warned});
  } catch (const std::invalid_argument& error) {
    refused.ErrorText = std::string("the record cannot be written: ") + error.what();
    return refused;
  }
  out.Microvolts = beat.Microvolts;
  return std::move(out);
}

}  // namespace wavelet
