#pragma once
// The four threshold judgements of lead M and the two two-out-of-three votes.

#include "analysis/AnalysisState.h"

namespace wavelet {

// The scale whose area and fQRS lead M is judged on (scale 2.25, shown as "5"); its
// rise and fall mark every view and the page.
inline constexpr int kJudgedScaleIndex = 4;
// The scale whose count of local maxima is judged (scale 3.25, shown as "1").
inline constexpr int kCountedScaleIndex = 0;

void ComputeJudgements(AnalysisResults& results);

}  // namespace wavelet
