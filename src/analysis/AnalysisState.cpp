#include "analysis/AnalysisState.h"

#include "analysis/Transform.h"
#include "base/ColourTables.h"

namespace wavelet {

void InitialiseAnalysisState(AnalysisState& state) {
  state.PlotDivisor = 20.0 / 0.5;
  state.ScaleTable = {3.25, 3.0, 2.75, 2.5, 2.25, 2.0, 1.75, 1.5};
  // The colour tables are the views', kept in the state because start-up fills them
  // at this place of the order.
  FillScaleColours(state.ScaleColours);
  FillColourRamp(state.ColourRamp);
  state.Results.AreaThreshold = 96.0;
  state.Results.CountThreshold = 7;
  state.Results.LastPeakThreshold = 91.0;
  state.Results.FqrsThreshold = 140;
  MakeWaveletPlans(state);
}

void ClearAnalysisAccumulators(AnalysisState& state) {
  for (auto& lead : state.PeakFlags)
    for (auto& scale : lead) scale.fill(0);
  for (auto& lead : state.Results.PeakCount) lead.fill(0);
  for (auto& lead : state.Results.LastPeak) lead.fill(0);
  for (auto& lead : state.RidgeFlags) lead.fill(0);
  state.PeakList.PeakListLead.fill(-1);
  state.PeakListCount = 0;
}

}  // namespace wavelet
