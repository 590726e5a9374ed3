#include "output/CalculationSheet.h"

#include "output/ResultColumns.h"

namespace wavelet {

std::vector<LabelText> CalculationSheetTexts(const AnalysisResults& r) {
  std::vector<LabelText> labels;
  labels.reserve(ResultColumns().size());
  for (const ResultColumn& column : ResultColumns()) {
    labels.push_back({column.SheetLabel, ResultText(r, column)});
  }
  return labels;
}

}  // namespace wavelet
