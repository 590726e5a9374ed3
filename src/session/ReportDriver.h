#pragma once
// The report of a record: its page drawn while the basic analysis runs, then its texts.
// The "Print" button reloads the record and analyses it again for the page; a batch
// draws the page in the same pass as the row and the images.

#include <memory>
#include <string>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "output/Report.h"
#include "output/ReportCanvas.h"
#include "record/RecordFormat.h"

namespace wavelet {

// One page on `canvas`, drawn alongside a basic analysis that it observes: the job is
// begun when it is made (a canvas that refuses the job gets nothing, while the
// analysis still runs to the end), and Finish adds the texts and ends the job.
class ReportPageDrawing final : public BasicAnalysisObserver {
 public:
  ReportPageDrawing(ReportCanvas& canvas, const AnalysisState& state, const LoadedRecord& record,
                    const std::string& entryName, double squareScale);
  ~ReportPageDrawing() override;

  void ScaleDone(int scaleIndex) override;
  void RidgesFound() override;
  // False when the canvas refused the job.
  bool Finish(const std::string& bannerText = kReportBannerText);

 private:
  // In this order: the layout comes from the page size before the job begins.
  ReportLayout layout_;
  bool started_ = false;
  std::unique_ptr<ReportCanvas> discard_;
  ReportCanvas& canvas_;
  const AnalysisState& state_;
  const LoadedRecord& record_;
  std::string entryName_;
  ReportDrawing drawing_;
};

// What the "Print" button's report needs from its caller.
class ReportSources {
 public:
  virtual ~ReportSources() = default;
  // Runs the caller's record load of the current work-list entry (header captions,
  // LeadSignals, QRS onset/offset). False when the record could not be read.
  virtual bool ReloadRecord() = 0;
  // Refreshes the calculation sheet from the analysis state.
  virtual void ShowCalculationData() = 0;
  // The work-list entry at the patient selector's position.
  virtual std::string WorkListEntry() const = 0;
};

enum class ReportOutcome {
  Printed,           // one page went to the canvas
  RecordUnreadable,  // the reload failed: nothing printed, nothing changed
  JobNotStarted,     // the canvas refused the job: the analysis still ran, no page
};

// Reload, re-analyse and draw one page, the squares at the state's display scale.
// Leaves the analysis state exactly as a basic analysis of the record does, and the
// calculation sheet refreshed.
ReportOutcome PrintReport(ReportCanvas& canvas, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources);

}  // namespace wavelet
