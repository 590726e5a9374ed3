#include "session/HeadlessReport.h"

#include "output/CalculationSheet.h"

namespace wavelet {

WorkbenchReportSources& WorkbenchReportSources::ForRecord(std::string path, std::string entry) {
  ClearAnalysisAccumulators(bench_.Analysis());
  path_ = std::move(path);
  entry_ = std::move(entry);
  return *this;
}

bool WorkbenchReportSources::ReloadRecord() {
  return bench_.LoadRecord(path_, entry_, *this).Ok;
}

void WorkbenchReportSources::ShowHeaderField(const PatientHeaderEntry& field,
                                             const std::string& text) {
  captions_[field.AnalysisLabel] = text;
  captions_[field.SheetLabel] = text;
}

std::string WorkbenchReportSources::Caption(const std::string& labelName) const {
  const auto found = captions_.find(labelName);
  return found == captions_.end() ? std::string() : found->second;
}

void WorkbenchReportSources::ShowCalculationData() {
  for (const LabelText& label : CalculationSheetTexts(bench_.Analysis().Results)) {
    captions_[label.Name] = label.Text;
  }
}

}  // namespace wavelet
