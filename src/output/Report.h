#pragma once
// The one-page printed report of the current record: the header, the criteria with
// the measured values and flags, the raw leads, and per lead a box with the eight
// scale curves, the retained maxima, the QRS, rise/fall and ridge marks and a ruler.
// The report re-runs the basic analysis itself while it draws, so the page never
// depends on what the screen shows.

#include <string>

#include "analysis/AnalysisState.h"
#include "output/ReportCanvas.h"
#include "record/RecordFormat.h"

namespace wavelet {

inline constexpr const char* kReportFontName = "Courier New";
inline constexpr int kReportFontPointSize = 10;
inline constexpr const char* kReportBannerText = "Wavelet analysis of signal-averaged ECG";

// Every quantity of the page layout, derived from the page size alone.
struct ReportLayout {
  int PW = 0;         // page width, device units
  int PH = 0;         // page height
  double Wu = 0.0;    // usable width
  double Hu = 0.0;    // usable height
  int HalfW = 0;      // offset of the right-hand column
  int BoxH = 0;       // height of a lead box
  int LineH = 0;      // text line pitch
  double Step = 0.0;  // one transform position or raw sample; also the vertical unit
  int LeftM = 0;      // left margin
  int NormalPen = 0;
  int ThinPen = 0;
};

ReportLayout ComputeReportLayout(int pageWidth, int pageHeight);

// Where a lead's box sits: X upper left, Y upper right, Z lower left, M lower right.
struct ReportBox {
  int Column = 0;
  int Row = 0;     // 1 = upper, 0 = lower
  int X0 = 0;      // left edge
  int YBottom = 0;
  int YTop = 0;
  int Width = 0;
};

ReportBox LeadBox(const ReportLayout& layout, int lead);
// x of transform position p in the box.
int ReportPositionX(const ReportLayout& layout, const ReportBox& box, double p);
// y of a height d above the bottom of the box.
int ReportHeightY(const ReportLayout& layout, const ReportBox& box, double d);

// Dashes of length d starting every 4 * d from yTop while below yBottom; the last
// may reach past yBottom by up to d. A d below 1 is drawn as 1 (a zero length would
// never advance).
void DrawDashedVerticalLine(ReportCanvas& canvas, int x, int yBottom, int yTop, int d);

// What the report needs from the window, so the layout stays free of the toolkit.
class ReportSources {
 public:
  virtual ~ReportSources() = default;
  // Runs the window's record load of the current work-list entry (header captions,
  // LeadSignals, QRS onset/offset). False when the record could not be read.
  virtual bool ReloadRecord() = 0;
  // The caption of a label of the calculation sheet, by object name ("Label228").
  virtual std::string Caption(const std::string& labelName) const = 0;
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

std::string ReportJobTitle(const std::string& workListEntry);

// Reload, re-analyse and draw one page. Leaves the analysis state exactly as a basic
// analysis of the record does, and the calculation sheet refreshed.
ReportOutcome PrintReport(ReportCanvas& canvas, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources);

}  // namespace wavelet
