#include "analysis/Transform.h"

#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "analysis/Features.h"

namespace wavelet {

namespace {

constexpr int kMaxHalfWidth = kWaveletTableSize / 2;

// Chosen at run time, never at build time, so one binary runs on every x86-64.
bool ProcessorHasAvx2() {
#if defined(__x86_64__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}


void FillWaveletTables(WaveletTablesData& tables, int d, double a, double frequency) {
  for (int j = 0; j < 2 * d; ++j) {
    const double t = static_cast<double>(j - d) / a;
    tables.Sine[j] = std::sin(frequency * t);
    tables.Cosine[j] = std::cos(frequency * t);
    tables.Gaussian[j] = std::exp((-1.0 * t * t) * 0.5);
  }
}

// The combination in the order the rule states, for positions [from, to).
void CombineLeadsPlain(AnalysisState& state, int from, int to) {
  auto& re = state.TransformReal;
  auto& im = state.TransformImag;
  auto& mag = state.TransformMagnitude;
  for (int p = from; p < to; ++p) {
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

#if defined(__x86_64__)
// The same operations on whole registers of positions; the square root instructions
// round exactly as the scalar one, so no bit changes.
#define WAVELET_COMBINE_BODY(V, LOAD, STORE, ADD, MUL, SQRT, LANES)                      \
  auto& re = state.TransformReal;                                                       \
  auto& im = state.TransformImag;                                                       \
  auto& mag = state.TransformMagnitude;                                                 \
  for (int p = 0; p < kPositions; p += LANES) {                                         \
    const V rx = LOAD(&re[LeadX][p]), ry = LOAD(&re[LeadY][p]), rz = LOAD(&re[LeadZ][p]); \
    const V ix = LOAD(&im[LeadX][p]), iy = LOAD(&im[LeadY][p]), iz = LOAD(&im[LeadZ][p]); \
    STORE(&re[LeadM][p], SQRT(ADD(ADD(MUL(rx, rx), MUL(ry, ry)), MUL(rz, rz))));          \
    STORE(&im[LeadM][p], SQRT(ADD(ADD(MUL(ix, ix), MUL(iy, iy)), MUL(iz, iz))));          \
    const V mx = SQRT(ADD(MUL(rx, rx), MUL(ix, ix)));                                    \
    const V my = SQRT(ADD(MUL(ry, ry), MUL(iy, iy)));                                    \
    const V mz = SQRT(ADD(MUL(rz, rz), MUL(iz, iz)));                                    \
    STORE(&mag[LeadX][p], mx);                                                          \
    STORE(&mag[LeadY][p], my);                                                          \
    STORE(&mag[LeadZ][p], mz);                                                          \
    STORE(&mag[LeadM][p], SQRT(ADD(ADD(MUL(mx, mx), MUL(my, my)), MUL(mz, mz))));         \
  }

__attribute__((target("avx2"))) void CombineLeadsAvx2(AnalysisState& state) {
  WAVELET_COMBINE_BODY(__m256d, _mm256_loadu_pd, _mm256_storeu_pd, _mm256_add_pd,
                       _mm256_mul_pd, _mm256_sqrt_pd, 4)
}

void CombineLeadsSse2(AnalysisState& state) {
  WAVELET_COMBINE_BODY(__m128d, _mm_loadu_pd, _mm_storeu_pd, _mm_add_pd, _mm_mul_pd,
                       _mm_sqrt_pd, 2)
}
#undef WAVELET_COMBINE_BODY
static_assert(kPositions % 4 == 0);
#endif

void CombineLeads(AnalysisState& state, CorrelationKernel kernel) {
#if defined(__x86_64__)
  if (kernel != CorrelationKernel::Plain) {
    if (kernel == CorrelationKernel::Fast && ProcessorHasAvx2())
      CombineLeadsAvx2(state);
    else
      CombineLeadsSse2(state);
    return;
  }
#endif
  (void)kernel;
  CombineLeadsPlain(state, 0, kPositions);
}

// Four positions side by side. Every lane does exactly the scalar loop's operations
// in the same order, so vectorising across positions changes no bit.
typedef double Lanes __attribute__((vector_size(32)));

constexpr int kLanes = 4;
constexpr int kBlockVectors = 5;  // 10 accumulators + 3 broadcasts fit 16 registers
constexpr int kBlockPositions = kLanes * kBlockVectors;
static_assert(kPositions % kBlockPositions == 0);

// gx[i] = g * x[i - d + 260] for the whole span the 400 windows cover; position p's
// window starts at gx[p]. Inlined into one body per instruction set, so the AVX2
// and the baseline (SSE2) code do the same operations in the same order.
__attribute__((always_inline)) inline void CorrelateScaledBlocks(
    const double* gx, const double* cosine, const double* sine, const double* gaussian,
    int terms, double* re, double* im) {
  for (int p0 = 0; p0 < kPositions; p0 += kBlockPositions) {
    Lanes r[kBlockVectors];
    Lanes i[kBlockVectors];
    for (int v = 0; v < kBlockVectors; ++v) {
      r[v] = Lanes{0.0, 0.0, 0.0, 0.0};
      i[v] = Lanes{0.0, 0.0, 0.0, 0.0};
    }
    const double* base = gx + p0;
    for (int j = 0; j < terms; ++j) {
      const double c = cosine[j];
      const double s = sine[j];
      const double w = gaussian[j];
      for (int v = 0; v < kBlockVectors; ++v) {
        Lanes x;
        std::memcpy(&x, base + j + kLanes * v, sizeof x);
        r[v] += (x * c) * w;
        i[v] += (x * s) * w;
      }
    }
    for (int v = 0; v < kBlockVectors; ++v) {
      std::memcpy(re + p0 + kLanes * v, &r[v], sizeof r[v]);
      std::memcpy(im + p0 + kLanes * v, &i[v], sizeof i[v]);
    }
  }
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void CorrelateScaledBlocksAvx2(
    const double* gx, const double* cosine, const double* sine, const double* gaussian,
    int terms, double* re, double* im) {
  CorrelateScaledBlocks(gx, cosine, sine, gaussian, terms, re, im);
}
#endif

void CorrelateScaledBlocksBaseline(const double* gx, const double* cosine, const double* sine,
                                   const double* gaussian, int terms, double* re, double* im) {
  CorrelateScaledBlocks(gx, cosine, sine, gaussian, terms, re, im);
}

}  // namespace

int WaveletHalfWidthFor(double s) {
  int d = 0;
  if (s >= 3.0) d = 30;
  if (s <= 3.0) d = 55;
  if (s <= 2.0) d = 110;
  // NaN passes none of the tests; the narrowest window keeps the call well defined.
  return d == 0 ? 30 : d;
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

void CorrelateLeadFast(const double* x, const WaveletTablesData& tables, int d, double g,
                       double* re, double* im, bool allowAvx2) {
  // g * x is the same double whether taken once per sample or once per term.
  double gx[kPositions + 2 * kMaxHalfWidth];
  const int first = kFirstTransformSample - d;
  const int span = kPositions + 2 * d - 1;
  for (int i = 0; i < span; ++i) gx[i] = g * x[first + i];
#if defined(__x86_64__)
  if (allowAvx2 && ProcessorHasAvx2()) {
    CorrelateScaledBlocksAvx2(gx, tables.Cosine.data(), tables.Sine.data(),
                              tables.Gaussian.data(), 2 * d, re, im);
    return;
  }
#else
  (void)allowAvx2;
#endif
  CorrelateScaledBlocksBaseline(gx, tables.Cosine.data(), tables.Sine.data(),
                                tables.Gaussian.data(), 2 * d, re, im);
}

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex,
                      CorrelationKernel kernel) {
  const int d = WaveletHalfWidthFor(s);
  const double a = 40.0 * std::pow(2.0, -s);
  state.WaveletHalfWidth = d;
  state.WaveletDilation = a;
  FillWaveletTables(state.WaveletTables, d, a, state.MorletFrequency);
  const double g = 1.0 / std::sqrt(a);

  for (int k = LeadX; k <= LeadZ; ++k) {
    const double* x = record.LeadSignals[k].data();
    double* re = state.TransformReal[k].data();
    double* im = state.TransformImag[k].data();
    if (kernel == CorrelationKernel::Plain)
      CorrelateLeadPlain(x, state.WaveletTables, d, g, re, im);
    else
      CorrelateLeadFast(x, state.WaveletTables, d, g, re, im, kernel == CorrelationKernel::Fast);
  }
  CombineLeads(state, kernel);

  if (scaleIndex >= 0 && scaleIndex < kScales) ExtractScaleFeatures(state, record, scaleIndex);
}

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex) {
  TransformAtScale(state, record, s, scaleIndex, CorrelationKernel::Fast);
}

}  // namespace wavelet
