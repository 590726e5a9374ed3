#pragma once
// The vector loops of the correlation and of the combination into M, written once for
// any number of positions per register. Each instruction set's source file includes
// this header and instantiates the loops under its own compiler flags; the dispatch in
// Correlation.cpp calls the entry points declared at the end only after checking that
// the processor and the operating system can run them.
//
// Every lane does exactly the scalar loop's operations for its position, in the same
// order, so vectorising across positions changes no bit. Multiplications and additions
// stay separate instructions: the build contracts nothing into fused multiply-adds.
//
// The loops sit in an unnamed namespace on purpose: each file gets a private copy
// compiled for its own instruction set. A shared inline copy could be merged by the
// linker with the one compiled for a wider set and then run on a processor without it.
// For the same reason the instruction-set files use nothing with inline linkage from
// other headers (no std::array members): raw pointers and constants only.

#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "analysis/AnalysisState.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace wavelet {
namespace {

template <int Lanes>
struct LaneVector {
  typedef double Type __attribute__((vector_size(8 * Lanes)));
};

// Vectors go through references only: a by-value vector wider than the file's
// registers would draw the compiler's ABI warning, and everything here is inlined.
template <int Lanes>
inline void LoadLanes(typename LaneVector<Lanes>::Type& v, const double* from) {
  std::memcpy(&v, from, sizeof v);
}

template <int Lanes>
inline void StoreLanes(double* to, const typename LaneVector<Lanes>::Type& v) {
  std::memcpy(to, &v, sizeof v);
}

// The widest register the file is compiled for, in bytes.
#if defined(__AVX512F__)
constexpr int kRegisterBytes = 64;
#elif defined(__AVX__)
constexpr int kRegisterBytes = 32;
#else
constexpr int kRegisterBytes = 16;
#endif

// A table entry as an operand of the lanes: the scalar itself where a vector fits a
// register, else spelled out lane by lane, because GCC builds the implicit broadcast of
// a scalar through the stack for vectors wider than the registers (five times slower).
template <int Lanes>
using TableOperand = std::conditional_t<sizeof(typename LaneVector<Lanes>::Type) <= kRegisterBytes,
                                        double, typename LaneVector<Lanes>::Type>;

inline void Broadcast(double& to, double value) { to = value; }

template <typename Vector>
inline void Broadcast(Vector& to, double value) {
  for (std::size_t l = 0; l < sizeof to / sizeof value; ++l) to[l] = value;
}

// to[l] = sqrt(v[l]) through the widest register the file is compiled for; the vector
// square root instructions round exactly as the scalar one.
template <int Lanes>
inline void StoreSqrtLanes(double* to, const typename LaneVector<Lanes>::Type& v) {
  StoreLanes<Lanes>(to, v);
#if defined(__AVX512F__)
  if constexpr (Lanes % 8 == 0) {
    // All lanes masked in: the plain square root (GCC 12 warns falsely about the
    // unmasked intrinsic).
    for (int l = 0; l < Lanes; l += 8) {
      const __m512d lanes = _mm512_loadu_pd(to + l);
      _mm512_storeu_pd(to + l, _mm512_mask_sqrt_pd(lanes, 0xFF, lanes));
    }
  } else
#endif
#if defined(__AVX__)
  if constexpr (Lanes % 4 == 0) {
    for (int l = 0; l < Lanes; l += 4) _mm256_storeu_pd(to + l, _mm256_sqrt_pd(_mm256_loadu_pd(to + l)));
  } else
#endif
#if defined(__x86_64__)
  if constexpr (Lanes % 2 == 0) {
    for (int l = 0; l < Lanes; l += 2) _mm_storeu_pd(to + l, _mm_sqrt_pd(_mm_loadu_pd(to + l)));
  } else
#endif
  {
    for (int l = 0; l < Lanes; ++l) to[l] = std::sqrt(to[l]);
  }
}

// Keeps v in a register. Left alone, the compilers fold its load into both
// multiplications that use it, which doubles the loads (AVX-512: 40% more time).
template <int Lanes>
inline void KeepInRegister(typename LaneVector<Lanes>::Type& v) {
#if defined(__x86_64__)
  if constexpr (sizeof v <= kRegisterBytes) __asm__("" : "+v"(v));
#else
  (void)v;
#endif
}

// re[p] and im[p] for every position p: sums over j = 0..terms-1, ascending from 0.0,
// of (gx[p + j] * cosine[j]) * gaussian[j] (sine for im), where gx holds g * x over the
// whole span the windows cover. Positions run side by side in kBlockVectors registers
// of Lanes positions each, two accumulators per register (real and imaginary), so the
// block's sums advance together and every table entry is loaded once per block.
//
// Two registers per block reach the multipliers' limit under -O3 as well as more do,
// and are the only blocks -O2 (the sanitizer and fuzz builds) keeps in registers: it
// leaves longer loops over the block rolled and its accumulators in memory.
constexpr int kBlockVectors = 2;

template <int Lanes>
inline void CorrelateBlocks(const double* gx, const double* cosine, const double* sine,
                            const double* gaussian, int terms, double* re, double* im) {
  using Vector = typename LaneVector<Lanes>::Type;
  constexpr int kBlockPositions = Lanes * kBlockVectors;
  static_assert(kPositions % kBlockPositions == 0);
  for (int p0 = 0; p0 < kPositions; p0 += kBlockPositions) {
    Vector r[kBlockVectors];
    Vector i[kBlockVectors];
    for (int v = 0; v < kBlockVectors; ++v) {
      r[v] = Vector{};  // +0.0 in every lane, as the scalar sums start
      i[v] = Vector{};
    }
    const double* window = gx + p0;
    for (int j = 0; j < terms; ++j) {
      TableOperand<Lanes> c;
      TableOperand<Lanes> s;
      TableOperand<Lanes> w;
      Broadcast(c, cosine[j]);
      Broadcast(s, sine[j]);
      Broadcast(w, gaussian[j]);
      for (int v = 0; v < kBlockVectors; ++v) {
        Vector x;
        LoadLanes<Lanes>(x, window + j + Lanes * v);
        KeepInRegister<Lanes>(x);
        r[v] += (x * c) * w;
        i[v] += (x * s) * w;
      }
    }
    for (int v = 0; v < kBlockVectors; ++v) {
      StoreLanes<Lanes>(re + p0 + Lanes * v, r[v]);
      StoreLanes<Lanes>(im + p0 + Lanes * v, i[v]);
    }
  }
}

// The combination into M, Lanes positions at a time, in the scalar loop's order. Each
// argument points at four rows of kPositions doubles (leads X, Y, Z, M).
template <int Lanes>
inline void CombineBlocks(double* re, double* im, double* magnitude) {
  static_assert(kPositions % Lanes == 0);
  constexpr int X = LeadX * kPositions;
  constexpr int Y = LeadY * kPositions;
  constexpr int Z = LeadZ * kPositions;
  constexpr int M = LeadM * kPositions;
  typename LaneVector<Lanes>::Type rx, ry, rz, ix, iy, iz, mx, my, mz;
  for (int p = 0; p < kPositions; p += Lanes) {
    LoadLanes<Lanes>(rx, re + X + p);
    LoadLanes<Lanes>(ry, re + Y + p);
    LoadLanes<Lanes>(rz, re + Z + p);
    LoadLanes<Lanes>(ix, im + X + p);
    LoadLanes<Lanes>(iy, im + Y + p);
    LoadLanes<Lanes>(iz, im + Z + p);
    StoreSqrtLanes<Lanes>(re + M + p, rx * rx + ry * ry + rz * rz);
    StoreSqrtLanes<Lanes>(im + M + p, ix * ix + iy * iy + iz * iz);
    StoreSqrtLanes<Lanes>(magnitude + X + p, rx * rx + ix * ix);
    StoreSqrtLanes<Lanes>(magnitude + Y + p, ry * ry + iy * iy);
    StoreSqrtLanes<Lanes>(magnitude + Z + p, rz * rz + iz * iz);
    LoadLanes<Lanes>(mx, magnitude + X + p);
    LoadLanes<Lanes>(my, magnitude + Y + p);
    LoadLanes<Lanes>(mz, magnitude + Z + p);
    StoreSqrtLanes<Lanes>(magnitude + M + p, mx * mx + my * my + mz * mz);
  }
}

// Eight positions per register: the AVX-512 path and its AVX2 rendering.
constexpr int kWideLanes = 8;

}  // namespace

// The entry points of the instruction-set files (x86-64 only). `gx`, `terms`, `re`
// and `im` as CorrelateBlocks; the combinations take the four rows of each array.
namespace vector_paths {
void CorrelateAvx512(const double* gx, const double* cosine, const double* sine,
                     const double* gaussian, int terms, double* re, double* im);
void CombineAvx512(double* re, double* im, double* magnitude);
void CorrelateAvx2(const double* gx, const double* cosine, const double* sine,
                   const double* gaussian, int terms, double* re, double* im);
void CorrelateAvx2EightLanes(const double* gx, const double* cosine, const double* sine,
                             const double* gaussian, int terms, double* re, double* im);
void CombineAvx2(double* re, double* im, double* magnitude);
void CombineAvx2EightLanes(double* re, double* im, double* magnitude);
}  // namespace vector_paths

}  // namespace wavelet
