#include "analysis/Judgement.h"

namespace wavelet {

void ComputeJudgements(AnalysisResults& r) {
  r.LastPeakJudge =
      static_cast<double>(r.CombinedLastPeak[LeadM]) >= r.LastPeakThreshold ? 1 : 0;
  // The untruncated area: the sheet shows a truncated one, the judgement does not.
  r.AreaJudge = r.Area[LeadM][kJudgedScaleIndex] * 0.001 <= r.AreaThreshold ? 1 : 0;
  r.CountJudge = r.PeakCount[LeadM][kCountedScaleIndex] >= r.CountThreshold ? 1 : 0;
  r.FqrsJudge = r.Fqrs[LeadM][kJudgedScaleIndex] >= r.FqrsThreshold ? 1 : 0;
  r.Judge1 = r.LastPeakJudge + r.AreaJudge + r.CountJudge >= 2 ? 1 : 0;
  r.Judge2 = r.FqrsJudge + r.AreaJudge + r.CountJudge >= 2 ? 1 : 0;
}

}  // namespace wavelet
