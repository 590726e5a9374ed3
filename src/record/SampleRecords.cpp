#include "record/SampleRecords.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "base/Truncate.h"
#include "record/RecordEncoder.h"

namespace wavelet {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kUnitsPerMillivolt = 10000.0;  // 0.1 microvolt per unit
constexpr double kUnitsPerMicrovolt = 10.0;

// Our own generator and distributions: the standard ones differ between libraries,
// and the records must not.
class SampleRandom {
 public:
  explicit SampleRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
  int Integer(int low, int high) {  // inclusive
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(double p) { return Uniform() < p; }
  double Sign() { return Chance(0.5) ? 1.0 : -1.0; }
  double Normal() {
    if (haveSpare_) {
      haveSpare_ = false;
      return spare_;
    }
    const double u1 = 1.0 - Uniform();
    const double u2 = Uniform();
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * kPi * u2);
    haveSpare_ = true;
    return r * std::cos(2.0 * kPi * u2);
  }

 private:
  std::uint64_t state_;
  double spare_ = 0.0;
  bool haveSpare_ = false;
};

using Lead = std::array<double, kSamplesPerLead>;

// Adds a Gaussian wave, evaluated only where it is above rounding level.
void AddWave(Lead& lead, double centre, double sigma, double amplitude) {
  const int from = std::max(0, TruncateToInt(centre - 6.0 * sigma));
  const int to = std::min(kSamplesPerLead - 1, TruncateToInt(centre + 6.0 * sigma) + 1);
  for (int j = from; j <= to; ++j) {
    const double d = (j - centre) / sigma;
    lead[static_cast<std::size_t>(j)] += amplitude * std::exp(-0.5 * d * d);
  }
}

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

const char* const kFamilyNames[] = {"SATO",  "SUZUKI", "TAKAHASHI", "TANAKA", "WATANABE",
                                    "ITO",   "NAKAMURA", "KOBAYASHI", "KATO",  "YOSHIDA",
                                    "YAMADA", "SASAKI", "MATSUMOTO", "INOUE", "KIMURA",
                                    "HAYASHI", "SHIMIZU", "MORI",    "IKEDA", "HASHIMOTO"};
const char* const kGivenNames[] = {"HIROSHI", "TAKESHI", "KENJI", "MAKOTO", "OSAMU",
                                   "YUKO",    "KEIKO",   "AKEMI", "TOMOKO", "MICHIKO",
                                   "SHIGERU", "ISAMU",   "HANAKO", "NORIKO", "KAZUO"};

RecordFields SampleHeader(SampleRandom& random, int index) {
  RecordFields f;
  f.PatientName = std::string(kFamilyNames[random.Integer(0, 19)]) + " " +
                  kGivenNames[random.Integer(0, 14)];
  char id[24];
  std::snprintf(id, sizeof id, "K%06d-%02d", random.Integer(100000, 999999), index % 100);
  f.PatientId = id;
  // Years on both sides of the two-digit century rule: 80..99 and 00..24.
  const int year = random.Chance(0.5) ? random.Integer(80, 99) : random.Integer(0, 24);
  f.Year = TwoDigits(year);
  f.Month = TwoDigits(random.Integer(1, 12));
  f.Day = TwoDigits(random.Integer(1, 28));
  f.Hour = TwoDigits(random.Integer(8, 18));
  f.Minute = TwoDigits(random.Integer(0, 59));
  f.Sex = random.Chance(0.5) ? 0 : 1;
  f.Age = std::to_string(random.Integer(18, 92));
  f.Height = std::to_string(f.Sex == 0 ? random.Integer(155, 190) : random.Integer(142, 175));
  f.Weight = std::to_string(random.Integer(40, 105));
  static constexpr std::int8_t kRaces[] = {0, 0, 1, 1, 2, 3, -1, -2};
  f.Race = kRaces[random.Integer(0, 7)];
  f.AveragingCount = random.Integer(80, 450);
  return f;
}

}  // namespace

std::string SampleRecordName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "P%04d.R01", index + 1);
  return name;
}

RecordBytes MakeSampleRecord(std::uint64_t seed, int index, SampleRecordInfo* info) {
  SampleRandom random(seed * 0x100000001B3ull + static_cast<std::uint64_t>(index) * 0x9E3779B1ull + 1);
  RecordFields fields = SampleHeader(random, index);

  const int onset = random.Integer(290, 340);
  const int duration = random.Integer(80, 140);
  const int offset = std::min(560, onset + duration);
  fields.QrsOnset = onset;
  fields.QrsOffset = offset;
  const bool late = random.Chance(0.4);

  // One late-potential burst shared by the leads (scaled per lead): a few sinusoids
  // of 40 to 250 Hz under a smooth window over the last 40 ms of the QRS and just
  // after it.
  struct Tone { double Frequency, Phase, Weight; };
  std::array<Tone, 3> tones{};
  for (auto& tone : tones) {
    tone = {random.Uniform(40.0, 250.0), random.Uniform(0.0, 2.0 * kPi), random.Uniform(0.4, 1.0)};
  }
  const int lateFrom = offset - 40;
  const int lateTo = offset + random.Integer(10, 30);
  const double lateMicrovolts = random.Uniform(5.0, 40.0);

  LeadSamples samples{};
  const double mainSign[3] = {1.0, random.Sign(), random.Sign()};
  for (int l = 0; l < kRecordedLeads; ++l) {
    Lead lead{};
    const double amplitude = random.Uniform(0.5, 2.5) * kUnitsPerMillivolt * mainSign[l];
    const double len = offset - onset;
    // Initial deflection, main deflection, terminal deflection of opposite signs.
    AddWave(lead, onset + len * random.Uniform(0.10, 0.22), random.Uniform(3.0, 6.0),
            -amplitude * random.Uniform(0.05, 0.25));
    AddWave(lead, onset + len * random.Uniform(0.38, 0.52), len * random.Uniform(0.08, 0.14),
            amplitude);
    AddWave(lead, onset + len * random.Uniform(0.66, 0.82), len * random.Uniform(0.05, 0.10),
            -amplitude * random.Uniform(0.15, 0.6));
    if (random.Chance(0.5)) {  // a notch on the main wave
      AddWave(lead, onset + len * random.Uniform(0.45, 0.6), random.Uniform(2.0, 4.0),
              amplitude * random.Uniform(-0.12, 0.12));
    }
    // P and T waves.
    AddWave(lead, onset - random.Uniform(110.0, 160.0), random.Uniform(12.0, 20.0),
            random.Uniform(0.04, 0.2) * kUnitsPerMillivolt * (random.Chance(0.8) ? 1.0 : -1.0));
    AddWave(lead, offset + random.Uniform(120.0, 200.0), random.Uniform(30.0, 55.0),
            random.Uniform(0.1, 0.5) * kUnitsPerMillivolt * (mainSign[l] > 0 ? 1.0 : random.Sign()));

    if (late) {
      const double leadScale = random.Uniform(0.5, 1.0) * lateMicrovolts * kUnitsPerMicrovolt;
      for (int j = lateFrom; j <= lateTo; ++j) {
        const double w = std::sin(kPi * (j - lateFrom) / (lateTo - lateFrom));
        double burst = 0.0;
        for (const auto& tone : tones) {
          burst += tone.Weight * std::sin(2.0 * kPi * tone.Frequency * j / 1000.0 + tone.Phase);
        }
        lead[static_cast<std::size_t>(j)] += leadScale * w * w * burst / 1.6;
      }
    }

    // A slow baseline drift and the little noise left after averaging.
    const double drift = random.Uniform(-30.0, 30.0) * kUnitsPerMicrovolt;
    const double driftPhase = random.Uniform(0.0, 2.0 * kPi);
    const double noise = random.Uniform(0.25, 0.8) * kUnitsPerMicrovolt;
    for (int j = 0; j < kSamplesPerLead; ++j) {
      const double value = lead[static_cast<std::size_t>(j)] +
                           drift * std::sin(2.0 * kPi * j / 1600.0 + driftPhase) +
                           noise * random.Normal();
      samples[static_cast<std::size_t>(l)][static_cast<std::size_t>(j)] =
          std::clamp(std::round(value), -32000.0, 32000.0);
    }
  }
  if (info) *info = {onset, offset, late};
  return EncodeRecord(fields, samples);
}

}  // namespace wavelet
