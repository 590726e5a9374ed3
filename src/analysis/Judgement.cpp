#include "analysis/Judgement.h"

namespace wavelet {

namespace {
constexpr int kAreaScale = 4;   // scale 2.25, shown as "5"
constexpr int kCountScale = 0;  // scale 3.25, shown as "1"
}  // namespace

void ComputeJudgements(AnalysisResults& r) {
  r.LastPeakJudge =
      static_cast<double>(r.CombinedLastPeak[LeadM]) >= r.LastPeakThreshold ? 1 : 0;
  // The untruncated area: the sheet shows a truncated one, the judgement does not.
  r.AreaJudge = r.Area[LeadM][kAreaScale] * 0.001 <= r.AreaThreshold ? 1 : 0;
  r.CountJudge = r.PeakCount[LeadM][kCountScale] >= r.CountThreshold ? 1 : 0;
  r.FqrsJudge = r.Fqrs[LeadM][kAreaScale] >= r.FqrsThreshold ? 1 : 0;
  r.Judge1 = r.LastPeakJudge + r.AreaJudge + r.CountJudge >= 2 ? 1 : 0;
  r.Judge2 = r.FqrsJudge + r.AreaJudge + r.CountJudge >= 2 ? 1 : 0;
}

}  // namespace wavelet
