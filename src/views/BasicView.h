#pragma once
// The basic view: eight magnitude curves per lead image, the retained local maxima
// as small squares and the ridges as dotted purple lines.

#include "analysis/AnalysisState.h"
#include "views/LeadImages.h"

namespace wavelet {

// The curve of scale index `scaleIndex` (0..7) in the four lead images, from
// TransformMagnitude, which must hold the transform at ScaleTable[scaleIndex].
void DrawScaleCurves(LeadImages& images, const AnalysisState& state, int scaleIndex);

// A white square for every peak-list entry up to the -1 terminator.
void DrawPeakDots(LeadImages& images, const AnalysisState& state);

// A dotted purple line over the full height at every ridge position 2..397.
void DrawRidgeLines(LeadImages& images, const AnalysisState& state);

}  // namespace wavelet
