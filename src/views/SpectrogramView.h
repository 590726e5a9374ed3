#pragma once
// The spectrogram view: a waterfall of 25 yellow magnitude curves per lead image,
// each row shifted 2 pixels right and 2 up from the one before.

#include "analysis/AnalysisState.h"
#include "views/LeadImages.h"

namespace wavelet {

inline constexpr int kWaterfallStep = 2;

// Row `row` (0..24) of the waterfall from TransformMagnitude, which must hold the
// transform at that row's scale.
void DrawWaterfallRow(LeadImages& images, const AnalysisState& state, int row);

}  // namespace wavelet
