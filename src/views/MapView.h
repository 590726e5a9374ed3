#pragma once
// The map view: per lead image a band of log magnitude (rows 0..133) and a band of
// phase (rows 150..283), one pixel row per scale, coloured from ColourRamp.

#include "analysis/AnalysisState.h"
#include "views/LeadImages.h"

namespace wavelet {

inline constexpr int kMapPhaseBandTop = 150;

// The ramp entry of a magnitude: trunc(50 ln m) clamped to 0..511; 0 for a zero
// magnitude (no logarithm) and for anything not a number.
int MapMagnitudeEntry(double magnitude);
// The ramp entry of a phase atan2(cosine part, sine part): |trunc((p + PI) * 128 / PI)
// - 128|, so 0..128; 0 where both parts are zero (no phase) or not numbers.
int MapPhaseEntry(double cosinePart, double sinePart);

// Row `row` (0..133) of both bands in the four lead images from TransformReal,
// TransformImag and TransformMagnitude, written straight into the pixel rows.
void DrawMapRow(LeadImages& images, const AnalysisState& state, int row);

}  // namespace wavelet
