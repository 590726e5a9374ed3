#pragma once
// The complex Morlet wavelet transform of leads X, Y, Z at one scale, over samples
// 260..659, and the combined lead M.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet {

// Half-width d of the sampled wavelet for scale parameter s: 30, 55 or 110 (the
// boundaries 3.0 and 2.0 belong to the wider window).
int WaveletHalfWidthFor(double s);

// Fills WaveletDilation, WaveletHalfWidth, WaveletTables and the three transform
// buffers for scale s. With scaleIndex 0..7 it then extracts that scale's features
// (ExtractScaleFeatures); any other index (the views pass -1) only transforms.
void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex);

// Which correlation loop to run. All give the same doubles bit for bit. Fast uses
// AVX2 where the processor has it; FastBaseline is the same loop limited to what
// every x86-64 has (what Fast runs elsewhere); Plain is the scalar loop kept as the
// yardstick the others are tested and measured against.
enum class CorrelationKernel { Fast, FastBaseline, Plain };

void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex,
                      CorrelationKernel kernel);

// One lead's correlation with the tables (entries 0..2d-1): for every position p,
// re[p] = sum over j ascending from 0.0 of ((g * x[p + 260 - d + j]) * cosine[j]) *
// gaussian[j], im[p] likewise with sine.
void CorrelateLeadPlain(const double* x, const WaveletTablesData& tables, int d, double g,
                        double* re, double* im);
void CorrelateLeadFast(const double* x, const WaveletTablesData& tables, int d, double g,
                       double* re, double* im, bool allowAvx2 = true);

}  // namespace wavelet
