// libFuzzer target, differential: leads and a scale built from the input go through
// the transform on every correlation path this machine runs and on the plain loop;
// the first bit that differs (NaN payloads and signed zeros included) aborts. Any NaN
// in the leads is the processor's own (see ProcessorNaN).
//
// Input layout (missing bytes read as zero):
//   byte 0: the scale. Its low two bits pick the kind: 0 a scale of the basic analysis
//     (byte 1 picks which), 1 a row of the spectrogram sweep, 2 a row of the map sweep
//     (both by the sweeps' repeated subtraction; byte 1 picks the row), 3 any double
//     but NaN (bytes 1..8, raw bits).
//   then, for each of the leads X, Y, Z: a pattern byte and a value byte, and the
//   pattern's data. Patterns (pattern byte mod 6): zeros (signed by the value byte),
//   one value everywhere, that value with alternating signs, raw doubles (8 bytes
//   each, repeated to fill the lead), 16-bit samples as records hold (repeated), a few
//   impulses of that value on zeros. The value byte picks one of the kExtremes.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/Correlation.h"
#include "analysis/Sweeps.h"
#include "analysis/Transform.h"
#include "record/RecordFormat.h"

namespace {

using namespace wavelet;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kExtremes[] = {
    0.0, -0.0, 1.0, -1.0, 0.5, 7.0, 32767.0, -32768.0, 1e9, -1e9,
    1e154, -1e154,  // squares overflow
    1e-160,         // squares underflow
    1e300, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(), kInf, -kInf,
    std::numeric_limits<double>::quiet_NaN(),  // made the processor's own NaN, below
};
constexpr std::size_t kExtremeCount = sizeof kExtremes / sizeof kExtremes[0];

constexpr double kBasicScales[] = {3.25, 3.0, 2.75, 2.5, 2.25, 2.0, 1.75, 1.5};

// Which of two different NaNs an addition or multiplication passes on depends on the
// order of its operands in the instruction, which compilers choose freely; so the
// paths are identical bit for bit only while every NaN is the one the processor
// itself produces (inf - inf), as all NaNs are that arise from numbers. Leads from
// records hold no NaN at all; NaNs read here are made that one.
double ProcessorNaN() {
  static const double nan = [] {
    volatile double inf = kInf;
    return inf - inf;
  }();
  return nan;
}

double Sample(double value) { return std::isnan(value) ? ProcessorNaN() : value; }

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  template <typename T>
  T Raw() {
    unsigned char bytes[sizeof(T)];
    for (unsigned char& b : bytes) b = Byte();
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  bool Exhausted() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The sweep's row-th scale by repeated subtraction, as the views compute it.
double SweepScale(double step, int row) {
  double b = kSweepFirstScale;
  for (int k = 0; k < row; ++k) b -= step;
  return b;
}

double ScaleFrom(Reader& in) {
  const std::uint8_t kind = in.Byte() & 3;
  if (kind == 3) {
    // A NaN scale makes every table entry a NaN other than the processor's own; the
    // program never asks for one.
    const double s = in.Raw<double>();
    return std::isnan(s) ? kSweepFirstScale : s;
  }
  const int pick = in.Byte();
  if (kind == 0) return kBasicScales[pick % 8];
  const double step = kind == 1 ? kSpectrogramStep : kMapStep;
  const int rows = kind == 1 ? 25 : 134;
  return SweepScale(step, pick % rows);
}

// Fills the lead with up to `limit` values read from the input, repeated.
template <typename T>
void FillRepeating(Reader& in, double* lead, std::size_t limit) {
  std::vector<double> values;
  if (limit > static_cast<std::size_t>(kSamplesPerLead)) limit = kSamplesPerLead;
  while (values.size() < limit && !in.Exhausted()) values.push_back(Sample(static_cast<double>(in.Raw<T>())));
  if (values.empty()) values.push_back(0.0);
  for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = values[n % values.size()];
}

void FillLead(Reader& in, double* lead) {
  const std::uint8_t pattern = in.Byte() % 6;
  const std::uint8_t pick = in.Byte();
  const double value = Sample(kExtremes[pick % kExtremeCount]);
  switch (pattern) {
    case 0:
      for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = pick & 1 ? -0.0 : 0.0;
      break;
    case 1:
      for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = value;
      break;
    case 2:
      for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = Sample(n % 2 ? -value : value);
      break;
    case 3:
      FillRepeating<double>(in, lead, 1 + pick);
      break;
    case 4:
      FillRepeating<std::int16_t>(in, lead, 1 + 4 * pick);
      break;
    default: {
      for (int n = 0; n < kSamplesPerLead; ++n) lead[n] = 0.0;
      const int impulses = 1 + pick % 4;
      for (int i = 0; i < impulses; ++i) lead[in.Raw<std::uint16_t>() % kSamplesPerLead] = value;
    }
  }
}

[[noreturn]] void Differs(const char* what, CorrelationKernel kernel, double s, int lead, int p,
                          double got, double want) {
  std::uint64_t gotBits;
  std::uint64_t wantBits;
  std::memcpy(&gotBits, &got, sizeof got);
  std::memcpy(&wantBits, &want, sizeof want);
  std::fprintf(stderr,
               "fuzz_kernels: the %s path's %s differs from the plain loop's at s %.17g, "
               "lead %d, position %d: %016llx (%.17g) instead of %016llx (%.17g)\n",
               CorrelationKernelName(kernel), what, s, lead, p,
               static_cast<unsigned long long>(gotBits), got,
               static_cast<unsigned long long>(wantBits), want);
  std::abort();
}

void Compare(const char* what, CorrelationKernel kernel, double s, const LeadPositions& got,
             const LeadPositions& want) {
  if (std::memcmp(&got, &want, sizeof got) == 0) return;
  for (int k = 0; k < kLeads; ++k)
    for (int p = 0; p < kPositions; ++p)
      if (std::memcmp(&got[k][p], &want[k][p], sizeof(double)) != 0)
        Differs(what, kernel, s, k, p, got[k][p], want[k][p]);
}

struct Fixture {
  AnalysisState plain;
  AnalysisState other;
  LoadedRecord record;
  std::vector<CorrelationKernel> paths = RunnableCorrelationKernels();
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fprintf(stderr, "fuzz_kernels: paths");
  for (CorrelationKernel kernel : RunnableCorrelationKernels())
    std::fprintf(stderr, " %s", CorrelationKernelName(kernel));
  std::fprintf(stderr, "\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture* fixture = new Fixture;  // never freed: lives as long as the process
  Fixture& f = *fixture;
  Reader in(data, size);
  const double s = ScaleFrom(in);
  for (auto& lead : f.record.LeadSignals) FillLead(in, lead.data());

  TransformAtScale(f.plain, f.record, s, -1, CorrelationKernel::Plain);
  for (CorrelationKernel kernel : f.paths) {
    if (kernel == CorrelationKernel::Plain) continue;
    TransformAtScale(f.other, f.record, s, -1, kernel);
    Compare("real part", kernel, s, f.other.TransformReal, f.plain.TransformReal);
    Compare("imaginary part", kernel, s, f.other.TransformImag, f.plain.TransformImag);
    Compare("magnitude", kernel, s, f.other.TransformMagnitude, f.plain.TransformMagnitude);
  }
  return 0;
}
