#pragma once
// The complex Morlet wavelet transform of leads X, Y, Z at one scale, over samples
// 260..659, and the combined lead M.

#include "analysis/AnalysisState.h"
#include "analysis/Correlation.h"
#include "record/RecordFormat.h"

namespace wavelet {

// Half-width d of the sampled wavelet for scale parameter s: 30, 55 or 110 (the
// boundaries 3.0 and 2.0 belong to the wider window).
int WaveletHalfWidthFor(double s);

// Fills WaveletDilation, WaveletHalfWidth, WaveletTables and the three transform
// buffers for scale s. With scaleIndex 0..7 it then extracts that scale's features
// (ExtractScaleFeatures); any other index (the views pass -1) only transforms.
void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex);

// The transform alone: WaveletDilation, WaveletHalfWidth, WaveletTables (taken from
// `plan` when it was made for this scale and frequency, else computed, and kept in
// `plan` when one is given) and the transform buffers. TransformAtScale is this
// followed by the features of a basic scale, with that scale's plan.
void TransformLeads(AnalysisState& state, const LoadedRecord& record, double s, WaveletPlan* plan,
                    CorrelationKernel kernel);

// Makes the plan of every basic scale from the scale table and the Morlet frequency,
// once, so no record pays for it. A plan that no longer fits its scale (a changed
// table) is made again when next used.
void MakeWaveletPlans(AnalysisState& state);

// The same with a chosen correlation path (tests and benchmarks); all paths give the
// same doubles.
void TransformAtScale(AnalysisState& state, const LoadedRecord& record, double s, int scaleIndex,
                      CorrelationKernel kernel);

}  // namespace wavelet
