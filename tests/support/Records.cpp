#include "support/Records.h"

#include <cmath>
#include <random>

#include "record/RecordDecoder.h"
#include "record/RecordFile.h"
#include "support/TempDir.h"

namespace wavelet::testing {

RecordFields TypicalFields() {
  return {.PatientName = "YAMADA TARO", .PatientId = "ID-000123", .Month = "04", .Day = "17",
          .Year = "98", .Hour = "09", .Minute = "45", .Age = "63", .Height = "171",
          .Weight = "68", .Sex = 1, .Race = -3, .AveragingCount = 250, .QrsOnset = 312,
          .QrsOffset = 418};
}

RecordFields NumberedFields(int index) {
  const int onset = 300 + (index % 4) * 5;
  return {.PatientName = "PATIENT " + std::to_string(index),
          .PatientId = "ID" + std::to_string(1000 + index),
          .Month = "04",
          .Day = std::to_string(10 + index % 10),
          .Year = index % 2 ? "98" : "03",
          .Hour = "10",
          .Minute = std::to_string(30 + index % 10),
          .Age = std::to_string(40 + index),
          .Height = "170",
          .Weight = "65",
          .Sex = static_cast<std::uint8_t>(index % 2),
          .Race = static_cast<std::int8_t>(index % 3 - 1),
          .AveragingCount = 200 + index,
          .QrsOnset = onset,
          .QrsOffset = onset + 100 + (index % 3) * 10};
}

LeadSamples BeatSamples(int variant, int onset, int offset, double gain) {
  LeadSamples samples{};
  const double centre = (onset + offset) / 2.0;
  const double width = (offset - onset) / 6.0;
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    const double a = 9000.0 + 1500.0 * ((variant + lead) % 5);
    const double sign = lead == 1 ? -1.0 : 1.0;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double q = (j - (centre - 1.6 * width)) / (0.6 * width);
      const double r = (j - centre) / width;
      const double s = (j - (centre + 1.5 * width)) / (0.7 * width);
      const double t = (j - (offset + 160.0)) / 45.0;
      const double lp = (j > offset - 40 && j < offset + 20 && variant % 2 == 1)
                            ? 150.0 * std::sin(j * 1.3 + lead)
                            : 0.0;
      const double v = sign * (-0.15 * a * std::exp(-q * q / 2) + a * std::exp(-r * r / 2) -
                               0.3 * a * std::exp(-s * s / 2)) +
                       0.2 * a * std::exp(-t * t / 2) + lp;
      samples[lead][j] = std::trunc(gain * v);
    }
  }
  return samples;
}

RecordBytes NumberedRecord(int index) {
  const RecordFields f = NumberedFields(index);
  return EncodeRecord(f, BeatSamples(index, f.QrsOnset, f.QrsOffset));
}

std::unique_ptr<LoadedRecord> Decoded(const RecordBytes& bytes) {
  auto record = std::make_unique<LoadedRecord>();
  record->RecordBuffer = bytes;
  DecodeRecordInto(*record);
  return record;
}

void WriteRecord(const std::string& path, const RecordBytes& bytes) {
  WriteAll(path, bytes.data(), bytes.size());
}

std::vector<std::string> WriteSampleRecords(const std::string& directory, int count,
                                            std::uint64_t seed) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back(SampleRecordName(i));
    WriteRecord(JoinPath(directory, names.back()), MakeSampleRecord(seed, i));
  }
  return names;
}

std::unique_ptr<LoadedRecord> EmptyRecord(int onset, int offset) {
  auto record = std::make_unique<LoadedRecord>();
  record->QrsOnset = onset;
  record->QrsOffset = offset;
  return record;
}

std::unique_ptr<LoadedRecord> NoiseRecord(unsigned seed, double amplitude, int onset,
                                          int offset) {
  auto record = EmptyRecord(onset, offset);
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
  for (auto& lead : record->LeadSignals)
    for (double& x : lead) x = uniform(random);
  return record;
}

}  // namespace wavelet::testing
