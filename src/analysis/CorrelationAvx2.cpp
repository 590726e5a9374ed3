// The four-position loops for AVX2, and the eight-position AVX-512 layout rendered in
// AVX2 (each register split in two) so that machines without AVX-512 still prove that
// code bit-identical to the scalar loop. This file alone is compiled with -mavx2
// (CMakeLists.txt); its functions run only where the dispatch found AVX2 usable.

#include "analysis/CorrelationBlocks.h"

#if defined(__x86_64__)
#if !defined(__AVX2__)
#error "CorrelationAvx2.cpp must be compiled with -mavx2"
#endif

namespace wavelet::vector_paths {

void CorrelateAvx2(const double* gx, const double* cosine, const double* sine,
                   const double* gaussian, int terms, double* re, double* im) {
  CorrelateBlocks<4>(gx, cosine, sine, gaussian, terms, re, im);
}

void CorrelateAvx2EightLanes(const double* gx, const double* cosine, const double* sine,
                             const double* gaussian, int terms, double* re, double* im) {
  CorrelateBlocks<kWideLanes>(gx, cosine, sine, gaussian, terms, re, im);
}

void CombineAvx2(double* re, double* im, double* magnitude) { CombineBlocks<4>(re, im, magnitude); }

void CombineAvx2EightLanes(double* re, double* im, double* magnitude) {
  CombineBlocks<kWideLanes>(re, im, magnitude);
}

}  // namespace wavelet::vector_paths
#endif
