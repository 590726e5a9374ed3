#pragma once
// The report's sources without a window: the workbench's record load of one entry,
// and the captions the window's labels would hold after it and the analysis.

#include <map>
#include <string>

#include "session/ReportDriver.h"
#include "session/Workbench.h"

namespace wavelet {

class WorkbenchReportSources final : public ReportSources, private HeaderSink {
 public:
  explicit WorkbenchReportSources(Workbench& bench) : bench_(bench) {}

  // The entry the next report reloads, after a record change: the analysis
  // accumulators are cleared, as moving the window's selector clears them.
  WorkbenchReportSources& ForRecord(std::string path, std::string entry);

  bool ReloadRecord() override;
  std::string Caption(const std::string& labelName) const override;
  void ShowCalculationData() override;
  std::string WorkListEntry() const override { return entry_; }

 private:
  void ShowHeaderField(const PatientHeaderEntry& field, const std::string& text) override;

  Workbench& bench_;
  std::string path_;
  std::string entry_;
  std::map<std::string, std::string> captions_;
};

}  // namespace wavelet
