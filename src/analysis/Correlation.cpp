#include "analysis/Correlation.h"

#include <atomic>
#include <cmath>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include "analysis/CorrelationBlocks.h"

namespace wavelet {

namespace {

constexpr int kMaxHalfWidth = kWaveletTableSize / 2;

// XCR0 bits: the operating system saves the SSE and AVX registers, and for AVX-512 the
// opmask registers, the upper halves of ZMM0-15 and ZMM16-31.
constexpr std::uint64_t kSavesSseAndAvx = (1u << 1) | (1u << 2);
constexpr std::uint64_t kSavesAvx512 = (1u << 5) | (1u << 6) | (1u << 7);

int Width(CorrelationKernel path) {
  switch (path) {
    case CorrelationKernel::Avx512: return 3;
    case CorrelationKernel::Avx2:
    case CorrelationKernel::Avx2EightLanes: return 2;
    default: return 1;
  }
}

// Detected once; chosen at run time, never at build time, so one binary runs on every
// x86-64.
CorrelationKernel WidestOnThisMachine() {
  static const CorrelationKernel widest = WidestCorrelationKernel(DetectProcessorFeatures());
  return widest;
}

bool Runs(CorrelationKernel path) { return Width(path) <= Width(WidestOnThisMachine()); }

std::atomic<CorrelationKernel> fastOverride{CorrelationKernel::Fast};

void CombineLeadsPlain(LeadPositions& re, LeadPositions& im, LeadPositions& mag) {
  for (int p = 0; p < kPositions; ++p) {
    re[LeadM][p] = std::sqrt(re[LeadX][p] * re[LeadX][p] + re[LeadY][p] * re[LeadY][p] +
                             re[LeadZ][p] * re[LeadZ][p]);
    im[LeadM][p] = std::sqrt(im[LeadX][p] * im[LeadX][p] + im[LeadY][p] * im[LeadY][p] +
                             im[LeadZ][p] * im[LeadZ][p]);
    for (int k = LeadX; k <= LeadZ; ++k)
      mag[k][p] = std::sqrt(re[k][p] * re[k][p] + im[k][p] * im[k][p]);
    mag[LeadM][p] = std::sqrt(mag[LeadX][p] * mag[LeadX][p] + mag[LeadY][p] * mag[LeadY][p] +
                              mag[LeadZ][p] * mag[LeadZ][p]);
  }
}

}  // namespace

const char* CorrelationKernelName(CorrelationKernel kernel) {
  switch (kernel) {
    case CorrelationKernel::Fast: return "fast";
    case CorrelationKernel::Avx512: return "avx512";
    case CorrelationKernel::Avx2: return "avx2";
    case CorrelationKernel::Avx2EightLanes: return "avx2-eight-lanes";
    case CorrelationKernel::Baseline: return "baseline";
    case CorrelationKernel::Plain: return "plain";
  }
  return "?";
}

ProcessorFeatures DetectProcessorFeatures() {
  ProcessorFeatures features;
#if defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    features.Avx = (c & bit_AVX) != 0;
    features.OsSavesExtendedState = (c & bit_OSXSAVE) != 0;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
    features.Avx2 = (b & bit_AVX2) != 0;
    features.Avx512F = (b & bit_AVX512F) != 0;
  }
  // xgetbv faults unless the operating system has set OSXSAVE.
  if (features.OsSavesExtendedState) {
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    features.SavedStateMask = (static_cast<std::uint64_t>(high) << 32) | low;
  }
#endif
  return features;
}

CorrelationKernel WidestCorrelationKernel(const ProcessorFeatures& f) {
  const std::uint64_t saved = f.OsSavesExtendedState ? f.SavedStateMask : 0;
  const bool avxRegisters = (saved & kSavesSseAndAvx) == kSavesSseAndAvx;
  const bool avx512Registers = avxRegisters && (saved & kSavesAvx512) == kSavesAvx512;
  if (f.Avx && f.Avx2 && f.Avx512F && avx512Registers) return CorrelationKernel::Avx512;
  if (f.Avx && f.Avx2 && avxRegisters) return CorrelationKernel::Avx2;
  return CorrelationKernel::Baseline;
}

std::vector<CorrelationKernel> RunnableCorrelationKernels() {
  std::vector<CorrelationKernel> paths;
  for (CorrelationKernel path : {CorrelationKernel::Avx512, CorrelationKernel::Avx2,
                                 CorrelationKernel::Avx2EightLanes, CorrelationKernel::Baseline,
                                 CorrelationKernel::Plain}) {
    if (Runs(path)) paths.push_back(path);
  }
  return paths;
}

CorrelationKernel ResolveCorrelationKernel(CorrelationKernel requested) {
  if (requested == CorrelationKernel::Fast) requested = fastOverride.load(std::memory_order_relaxed);
  if (requested == CorrelationKernel::Fast || !Runs(requested)) return WidestOnThisMachine();
  return requested;
}

void SetFastCorrelationKernel(CorrelationKernel kernel) {
  fastOverride.store(kernel, std::memory_order_relaxed);
}

void CorrelateLeadPlain(const double* x, const WaveletTablesData& tables, int d, double g,
                        double* re, double* im) {
  for (int p = 0; p < kPositions; ++p) {
    const int n = p + kFirstTransformSample;
    re[p] = 0.0;
    im[p] = 0.0;
    for (int m = n - d; m <= n + d - 1; ++m) {
      const int j = m - n + d;
      re[p] += ((g * x[m]) * tables.Cosine[j]) * tables.Gaussian[j];
      im[p] += ((g * x[m]) * tables.Sine[j]) * tables.Gaussian[j];
    }
  }
}

void CorrelateLead(const double* x, const WaveletTablesData& tables, int d, double g,
                   double* re, double* im, CorrelationKernel kernel) {
  const CorrelationKernel path = ResolveCorrelationKernel(kernel);
  if (path == CorrelationKernel::Plain) {
    CorrelateLeadPlain(x, tables, d, g, re, im);
    return;
  }
  // g * x is the same double whether taken once per sample or once per term.
  double gx[kPositions + 2 * kMaxHalfWidth];
  const int first = kFirstTransformSample - d;
  const int span = kPositions + 2 * d - 1;
  for (int i = 0; i < span; ++i) gx[i] = g * x[first + i];
  const double* cosine = tables.Cosine.data();
  const double* sine = tables.Sine.data();
  const double* gaussian = tables.Gaussian.data();
  const int terms = 2 * d;
  switch (path) {
#if defined(__x86_64__)
    case CorrelationKernel::Avx512:
      vector_paths::CorrelateAvx512(gx, cosine, sine, gaussian, terms, re, im);
      return;
    case CorrelationKernel::Avx2:
      vector_paths::CorrelateAvx2(gx, cosine, sine, gaussian, terms, re, im);
      return;
    case CorrelationKernel::Avx2EightLanes:
      vector_paths::CorrelateAvx2EightLanes(gx, cosine, sine, gaussian, terms, re, im);
      return;
#endif
    default:
      CorrelateBlocks<2>(gx, cosine, sine, gaussian, terms,
                                                            re, im);
  }
}

void CombineLeads(LeadPositions& re, LeadPositions& im, LeadPositions& magnitude,
                  CorrelationKernel kernel) {
  static_assert(sizeof(LeadPositions) == sizeof(double) * kLeads * kPositions,
                "the vector loops address the four rows as one block");
  const CorrelationKernel path = ResolveCorrelationKernel(kernel);
  double* r = re[0].data();
  double* i = im[0].data();
  double* m = magnitude[0].data();
  switch (path) {
    case CorrelationKernel::Plain:
      CombineLeadsPlain(re, im, magnitude);
      return;
#if defined(__x86_64__)
    case CorrelationKernel::Avx512:
      vector_paths::CombineAvx512(r, i, m);
      return;
    case CorrelationKernel::Avx2:
      vector_paths::CombineAvx2(r, i, m);
      return;
    case CorrelationKernel::Avx2EightLanes:
      vector_paths::CombineAvx2EightLanes(r, i, m);
      return;
#endif
    default:
      CombineBlocks<2>(r, i, m);
  }
}

}  // namespace wavelet
