#pragma once
// Links the retained maxima of neighbouring scales into ridges, per lead.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet {

// Rewrites PeakFlags (scores, then zeros and 1000 group markers), sets RidgeFlags and
// the combined count, first and last ridge latency of every lead.
void FindRidges(AnalysisState& state, const LoadedRecord& record);

}  // namespace wavelet
