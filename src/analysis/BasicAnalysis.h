#pragma once
// The basic analysis of one loaded record over the eight scales, with hooks where a
// caller draws.

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"

namespace wavelet {

class BasicAnalysisObserver {
 public:
  virtual ~BasicAnalysisObserver() = default;
  virtual void ScaleDone(int /*scaleIndex*/) {}  // after transform + area copy
  virtual void ScalesDone() {}                   // after all eight scales
  virtual void PeakListClosed() {}               // after the -1 terminator
  virtual void RidgesFound() {}                  // after FindRidges
};

// Clear accumulators, 8 x (TransformAtScale, Area copy, ScaleDone), ScalesDone,
// terminate the peak list, PeakListClosed, FindRidges, RidgesFound, ComputeJudgements.
void RunBasicAnalysisSequence(AnalysisState& state, const LoadedRecord& record,
                              BasicAnalysisObserver& observer);

// The same without drawing.
void AnalyseRecord(AnalysisState& state, const LoadedRecord& record);

}  // namespace wavelet
