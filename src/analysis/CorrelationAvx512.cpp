// The eight-position loops for AVX-512F. This file alone is compiled with -mavx512f
// (CMakeLists.txt); its functions run only where the dispatch found the instruction
// set and the operating system's support for its registers.

#include "analysis/CorrelationBlocks.h"

#if defined(__x86_64__)
#if !defined(__AVX512F__)
#error "CorrelationAvx512.cpp must be compiled with -mavx512f"
#endif

namespace wavelet::vector_paths {

void CorrelateAvx512(const double* gx, const double* cosine, const double* sine,
                     const double* gaussian, int terms, double* re, double* im) {
  CorrelateBlocks<kWideLanes>(gx, cosine, sine, gaussian, terms, re, im);
}

void CombineAvx512(double* re, double* im, double* magnitude) {
  CombineBlocks<kWideLanes>(re, im, magnitude);
}

}  // namespace wavelet::vector_paths
#endif
