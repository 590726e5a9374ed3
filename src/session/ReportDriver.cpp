#include "session/ReportDriver.h"

#include "analysis/BasicAnalysis.h"

namespace wavelet {
namespace {

// Stands in when the printer refuses the job, so the analysis still runs to the end
// and the state never stays half cleared.
class DiscardingCanvas final : public ReportCanvas {
 public:
  DiscardingCanvas(int width, int height) : width_(width), height_(height) {}
  int PageWidth() const override { return width_; }
  int PageHeight() const override { return height_; }
  void SetJobTitle(const std::string&) override {}
  bool BeginJob() override { return true; }
  void EndJob() override {}
  void SetPenWidth(int) override {}
  void SetPenStyle(ReportPenStyle) override {}
  void SetBrushStyle(ReportBrushStyle) override {}
  void SetFont(const std::string&, ReportCharset, int) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Rectangle(int, int, int, int) override {}
  void TextOut(int, int, const std::string&) override {}

 private:
  int width_;
  int height_;
};

}  // namespace

ReportOutcome PrintReport(ReportCanvas& printer, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources) {
  if (!sources.ReloadRecord()) return ReportOutcome::RecordUnreadable;

  const ReportLayout layout = ComputeReportLayout(printer.PageWidth(), printer.PageHeight());
  printer.SetJobTitle(ReportJobTitle(sources.WorkListEntry()));
  DiscardingCanvas discard(layout.PW, layout.PH);
  const bool started = printer.BeginJob();
  ReportCanvas& canvas = started ? printer : discard;

  BeginReportPage(canvas, layout);
  ReportDrawing drawing(canvas, layout, state, record);
  RunBasicAnalysisSequence(state, record, drawing);
  sources.ShowCalculationData();
  DrawReportTexts(canvas, layout, record, sources, sources.BannerText());

  if (!started) return ReportOutcome::JobNotStarted;
  printer.EndJob();
  return ReportOutcome::Printed;
}

}  // namespace wavelet
