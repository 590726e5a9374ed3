// libFuzzer target: short signals, repeated into recordings, through the averaging
// into a record. Nothing may crash or hang; a record must say what the summary says,
// and a refusal must give its reason.
//
// Input layout: byte 0 picks the options (bits 0-1 the unit 0.1, 1, 0.01 or 50 uV,
// bit 2 a noise target of 1 uV, bit 3 a beat count of 8 + byte 1, bits 4-7 the onset,
// 290 + 20 n); byte 1 also sets how often the signal repeats (1 + byte 1 times, at
// most 300 000 samples in all); byte 2 the microvolts per step, 2^(byte 2 / 16 - 4);
// then frames of X, Y, Z as 16-bit little-endian numbers, where -32768 stands for
// NaN and 32767 for 1e300.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "acquisition/AveragedRecord.h"
#include "record/RecordDecoder.h"
#include "record/RecordTag.h"

namespace {

using namespace wavelet;

constexpr std::size_t kMostSamples = 300000;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_averaging: invariant broken: %s\n", what);
  std::abort();
}

double Sample(std::int16_t value, double step) {
  if (value == -32768) return NAN;
  if (value == 32767) return 1e300;
  return value * step;
}

void CheckRecord(const Loaded<AveragedRecord>& outcome, double unit, int onsetAt) {
  const AveragingSummary& s = outcome.Value.Summary;
  if (s.BeatsKept < kFewestAveragedBeats) Fail("record of fewer than 8 beats");
  if (s.BeatsKept + s.BeatsUnused + s.RejectedEctopic + s.RejectedNoisy + s.BeatsIncomplete !=
      s.BeatsFound) {
    Fail("beats not accounted for");
  }
  LoadedRecord loaded;
  loaded.RecordBuffer = outcome.Value.Record;
  DecodeRecordInto(loaded);
  if (loaded.AveragingCount != s.BeatsKept || loaded.QrsOnset != s.QrsOnset ||
      loaded.QrsOffset != s.QrsOffset) {
    Fail("header differs from the summary");
  }
  if (s.QrsFound && s.QrsOnset != onsetAt) Fail("QRS onset not on the sample asked for");
  const std::optional<RecordTag> tag = ReadRecordTag(outcome.Value.Record);
  if (!tag || tag->MicrovoltsPerUnit != unit) Fail("tag missing or wrong");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  AveragingOptions options;
  options.MicrovoltsPerUnit = std::array<double, 4>{0.1, 1.0, 0.01, 50.0}[data[0] & 3];
  if (data[0] & 4) options.NoiseTargetUv = 1.0;
  if (data[0] & 8) options.MaxBeats = 8 + data[1];
  options.OnsetAt = 290 + 20 * (data[0] >> 4);
  const double step = std::exp2(data[2] / 16.0 - 4.0);

  const std::size_t frames = (size - 3) / 6;
  Recording recording;
  recording.Source = "fuzz.hea";
  if (frames > 0) {
    const std::size_t repeats = std::min<std::size_t>(1 + data[1], kMostSamples / frames);
    for (auto& lead : recording.Microvolts) lead.reserve(frames * repeats);
    for (std::size_t r = 0; r < repeats; ++r) {
      for (std::size_t i = 0; i < frames; ++i) {
        for (std::size_t l = 0; l < 3; ++l) {
          const std::uint8_t* at = data + 3 + 6 * i + 2 * l;
          const auto value = static_cast<std::int16_t>(at[0] | at[1] << 8);
          recording.Microvolts[l].push_back(Sample(value, step));
        }
      }
    }
  }

  const Loaded<AveragedRecord> outcome = AverageRecording(recording, options);
  if (outcome.Ok) {
    CheckRecord(outcome, options.MicrovoltsPerUnit, options.OnsetAt);
  } else if (outcome.ErrorText.empty()) {
    Fail("refusal without a reason");
  }
  return 0;
}
