#pragma once
// The four threshold judgements of lead M and the two two-out-of-three votes.

#include "analysis/AnalysisState.h"

namespace wavelet {

void ComputeJudgements(AnalysisResults& results);

}  // namespace wavelet
