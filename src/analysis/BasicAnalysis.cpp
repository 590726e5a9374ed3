#include "analysis/BasicAnalysis.h"

#include "analysis/Judgement.h"
#include "analysis/Ridges.h"
#include "analysis/Transform.h"

namespace wavelet {

void RunBasicAnalysisSequence(AnalysisState& state, const LoadedRecord& record,
                              BasicAnalysisObserver& observer) {
  ClearAnalysisAccumulators(state);
  for (int a = 0; a < kScales; ++a) {
    TransformAtScale(state, record, state.ScaleTable[a], a);
    for (int k = 0; k < kLeads; ++k) state.Results.Area[k][a] = state.Results.ScaleArea[k];
    observer.ScaleDone(a);
  }
  observer.ScalesDone();
  state.PeakList.PeakListLead[state.PeakListCount] = -1;
  observer.PeakListClosed();
  FindRidges(state, record);
  observer.RidgesFound();
  ComputeJudgements(state.Results);
}

void AnalyseRecord(AnalysisState& state, const LoadedRecord& record) {
  BasicAnalysisObserver silent;
  RunBasicAnalysisSequence(state, record, silent);
}

}  // namespace wavelet
