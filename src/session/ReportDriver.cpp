#include "session/ReportDriver.h"

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

ReportCanvas& StartJob(ReportCanvas& printer, const std::string& entryName, bool& started,
                       std::unique_ptr<ReportCanvas>& discard) {
  printer.SetJobTitle(ReportJobTitle(entryName));
  started = printer.BeginJob();
  if (started) return printer;
  discard = std::make_unique<DiscardingCanvas>(printer.PageWidth(), printer.PageHeight());
  return *discard;
}

}  // namespace

ReportPageDrawing::ReportPageDrawing(ReportCanvas& printer, const AnalysisState& state,
                                     const LoadedRecord& record, const std::string& entryName,
                                     double squareScale)
    : layout_(ComputeReportLayout(printer.PageWidth(), printer.PageHeight())),
      canvas_(StartJob(printer, entryName, started_, discard_)),
      state_(state),
      record_(record),
      entryName_(entryName),
      drawing_(canvas_, layout_, state, record, squareScale) {
  BeginReportPage(canvas_, layout_);
}

ReportPageDrawing::~ReportPageDrawing() = default;

void ReportPageDrawing::ScaleDone(int scaleIndex) { drawing_.ScaleDone(scaleIndex); }
void ReportPageDrawing::RidgesFound() { drawing_.RidgesFound(); }

bool ReportPageDrawing::Finish(const std::string& bannerText) {
  DrawReportTexts(canvas_, layout_, record_, entryName_, state_.Results, bannerText);
  if (!started_) return false;
  canvas_.EndJob();
  return true;
}

ReportOutcome PrintReport(ReportCanvas& printer, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources) {
  if (!sources.ReloadRecord()) return ReportOutcome::RecordUnreadable;
  ReportPageDrawing page(printer, state, record, sources.WorkListEntry(), state.Display.SelectedScale);
  RunBasicAnalysisSequence(state, record, page);
  sources.ShowCalculationData();
  return page.Finish() ? ReportOutcome::Printed : ReportOutcome::JobNotStarted;
}

}  // namespace wavelet
