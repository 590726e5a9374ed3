#pragma once
// Links the retained maxima of neighbouring scales into ridges, per lead.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet {

// The transform positions a ridge can be marked at (its neighbours exist); the views
// and the page draw ridge lines over exactly these.
inline constexpr int kFirstRidgeColumn = 2;
inline constexpr int kLastRidgeColumn = 397;

// Rewrites PeakFlags (scores, then zeros and 1000 group markers), sets RidgeFlags and
// the combined count, first and last ridge latency of every lead.
void FindRidges(AnalysisState& state, const LoadedRecord& record);

// How the groups are formed: Fast visits only the positions that can match a level;
// Plain scans every level over the whole window, word for word as the rule reads.
// Both give the same flags; Plain is the yardstick for Fast.
enum class RidgeGrouping { Fast, Plain };

void FindRidges(AnalysisState& state, const LoadedRecord& record, RidgeGrouping grouping);

}  // namespace wavelet
