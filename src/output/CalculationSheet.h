#pragma once
// The texts of the calculation sheet's value labels, without any widgets.

#include <string>
#include <vector>

#include "analysis/AnalysisState.h"

namespace wavelet {

struct LabelText {
  std::string Name;
  std::string Text;
};

// Every value label of the sheet in the result columns' order, judgements as the
// analysis left them.
std::vector<LabelText> CalculationSheetTexts(const AnalysisResults& results);

}  // namespace wavelet
