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

// Every value label of the sheet in the order they are filled, judgements as the
// analysis left them: per lead k, LabelA/LabelQ/LabelF/LabelZ k r for scale numbers
// r = 1..8, then LabelFN k, LabelFS k, LabelFE k; then Label239, Label240, Label241,
// Label72, Label242, Label243.
std::vector<LabelText> CalculationSheetTexts(const AnalysisResults& results);

}  // namespace wavelet
