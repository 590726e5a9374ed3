#pragma once
// The correlation of one lead with the sampled wavelet and the combination of the leads
// into M, with the choice among the loops that compute them.

#include <cstdint>
#include <vector>

#include "analysis/AnalysisState.h"

namespace wavelet {

// Which loops run the correlation and the combination. All give the same doubles bit
// for bit: every lane of a vector loop does the scalar loop's operations for its
// position in the same order. (Where leads hold NaNs other than the processor's own,
// which records cannot, which NaN an operation passes on follows the operand order
// the compiler picks.)
//   Fast: the widest of the next three that this processor and operating system run.
//   Avx512: eight positions per register.
//   Avx2: four positions per register.
//   Avx2EightLanes: the eight-position code of Avx512 compiled for AVX2, so that
//     machines without AVX-512 still test it; never chosen by Fast.
//   Baseline: what every x86-64 has (SSE2); what Fast runs on older processors.
//   Plain: the scalar loop, kept as the yardstick the others are tested against.
enum class CorrelationKernel { Fast, Avx512, Avx2, Avx2EightLanes, Baseline, Plain };

const char* CorrelationKernelName(CorrelationKernel kernel);

// What the dispatch needs to know of the processor: the instruction sets it reports,
// and whether the operating system saves the registers they use (XCR0, readable only
// when OSXSAVE is set).
struct ProcessorFeatures {
  bool Avx = false;
  bool Avx2 = false;
  bool Avx512F = false;
  bool OsSavesExtendedState = false;
  std::uint64_t SavedStateMask = 0;
};

ProcessorFeatures DetectProcessorFeatures();

// Avx512, Avx2 or Baseline: the widest path `features` allow.
CorrelationKernel WidestCorrelationKernel(const ProcessorFeatures& features);

// Every path this machine runs, widest first, Plain last (Fast itself is not listed).
std::vector<CorrelationKernel> RunnableCorrelationKernels();

// The path a request runs: Fast becomes the widest runnable path, or the one set by
// SetFastCorrelationKernel; a path this machine cannot run becomes what Fast runs.
CorrelationKernel ResolveCorrelationKernel(CorrelationKernel requested);

// For tests and benchmarks: makes Fast run `kernel` in the whole process from now on
// (if this machine runs it); Fast restores the automatic choice.
void SetFastCorrelationKernel(CorrelationKernel kernel);

// One lead's correlation with the tables (entries 0..2d-1): for every position p,
// re[p] = sum over j ascending from 0.0 of ((g * x[p + 260 - d + j]) * cosine[j]) *
// gaussian[j], im[p] likewise with sine.
void CorrelateLeadPlain(const double* x, const WaveletTablesData& tables, int d, double g,
                        double* re, double* im);
void CorrelateLead(const double* x, const WaveletTablesData& tables, int d, double g,
                   double* re, double* im, CorrelationKernel kernel = CorrelationKernel::Fast);

// Lead M from X, Y and Z at every position: the square roots of the sums of squares of
// the real parts, of the imaginary parts and of the magnitudes, and the magnitudes of
// X, Y and Z, each sum taken in the order X, Y, Z.
void CombineLeads(LeadPositions& re, LeadPositions& im, LeadPositions& magnitude,
                  CorrelationKernel kernel = CorrelationKernel::Fast);

}  // namespace wavelet
