#include "support/FakeReportSources.h"

#include <utility>

#include "output/CalculationSheet.h"
#include "record/RecordDecoder.h"

namespace wavelet::testing {

FakeReportSources::FakeReportSources(AnalysisState& state, LoadedRecord& loaded,
                                     LoadedRecord file, std::string name)
    : state_(state), loaded_(loaded), file_(std::move(file)), name_(std::move(name)) {}

bool FakeReportSources::ReloadRecord() {
  ++Reloads;
  if (!Readable) return false;
  loaded_ = file_;
  const RecordHeaderTexts header = DecodeHeaderTexts(file_.RecordBuffer);
  const std::pair<const char*, const std::string*> captions[] = {
      {"Label228", &name_},           {"Label229", &header.PatientId},
      {"Label230", &header.PatientName}, {"Label231", &header.Age},
      {"Label232", &header.Sex},      {"Label233", &header.Height},
      {"Label234", &header.Weight},   {"Label235", &header.Date},
      {"Label236", &header.Time},     {"Label237", &header.Race},
      {"Label238", &header.AveragingCount}};
  for (const auto& [label, text] : captions) Captions[label] = *text;
  return true;
}

std::string FakeReportSources::Caption(const std::string& labelName) const {
  const auto found = Captions.find(labelName);
  return found == Captions.end() ? std::string() : found->second;
}

void FakeReportSources::ShowCalculationData() {
  ++SheetRefreshes;
  for (const LabelText& label : CalculationSheetTexts(state_.Results)) {
    Captions[label.Name] = label.Text;
  }
}

}  // namespace wavelet::testing
