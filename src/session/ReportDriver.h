#pragma once
// Printing the report of the current record: reload it, run the basic analysis with
// the page drawn as it goes, refresh the calculation sheet, then the texts.

#include <string>

#include "analysis/AnalysisState.h"
#include "output/Report.h"
#include "output/ReportCanvas.h"
#include "record/RecordFormat.h"

namespace wavelet {

// What the report needs from its caller (the window, or a headless run).
class ReportSources : public ReportCaptions {
 public:
  // Runs the caller's record load of the current work-list entry (header captions,
  // LeadSignals, QRS onset/offset). False when the record could not be read.
  virtual bool ReloadRecord() = 0;
  // Refreshes the calculation sheet from the analysis state.
  virtual void ShowCalculationData() = 0;
  // The work-list entry at the patient selector's position.
  virtual std::string WorkListEntry() const = 0;
  virtual std::string BannerText() const { return kReportBannerText; }
};

enum class ReportOutcome {
  Printed,           // one page went to the canvas
  RecordUnreadable,  // the reload failed: nothing printed, nothing changed
  JobNotStarted,     // the canvas refused the job: the analysis still ran, no page
};

// Reload, re-analyse and draw one page. Leaves the analysis state exactly as a basic
// analysis of the record does, and the calculation sheet refreshed.
ReportOutcome PrintReport(ReportCanvas& canvas, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources);

}  // namespace wavelet
