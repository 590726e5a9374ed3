#pragma once
// Plays the window for a printed report: the reload copies `file` into the loaded
// record and shows its header captions under the file name `name`; the sheet refresh
// fills the value captions from the analysis results.

#include <map>
#include <string>

#include "analysis/AnalysisState.h"
#include "record/RecordFormat.h"
#include "session/ReportDriver.h"

namespace wavelet::testing {

class FakeReportSources : public ReportSources {
 public:
  FakeReportSources(AnalysisState& state, LoadedRecord& loaded, LoadedRecord file,
                    std::string name);

  bool ReloadRecord() override;
  // What the window's labels would show after the reload and the sheet refresh.
  std::string Caption(const std::string& labelName) const;
  void ShowCalculationData() override;
  std::string WorkListEntry() const override { return name_; }

  bool Readable = true;  // false: the reload fails
  int Reloads = 0;
  int SheetRefreshes = 0;
  std::map<std::string, std::string> Captions;

 private:
  AnalysisState& state_;
  LoadedRecord& loaded_;
  LoadedRecord file_;
  std::string name_;
};

}  // namespace wavelet::testing
