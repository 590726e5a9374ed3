#pragma once
// The one-page printed report of the current record: the header, the criteria with
// the measured values and flags, the raw leads, and per lead a box with the eight
// scale curves, the retained maxima, the QRS, rise/fall and ridge marks and a ruler.
// The page is drawn while the basic analysis runs (ReportDrawing observes it), so it
// never depends on what the screen shows.

#include <string>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
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

std::string ReportJobTitle(const std::string& workListEntry);
// A document of several reports says what it holds: "WAVELET < P0001.R01 ... P0012.R01 >
// (12 pages)"; one report keeps its job title.
std::string ReportDocumentTitle(const std::string& firstEntry, const std::string& lastEntry,
                                int pages);

// Pen, font and brush a page starts with.
void BeginReportPage(ReportCanvas& canvas, const ReportLayout& layout);

// The page's part of the basic analysis: each scale's frames and curves as soon as
// the scale is transformed; the squares, QRS, rise/fall and ridge marks and the
// rulers once the ridges are found. The squares stand at the heights of the display
// scale `squareScale`, as the screen's squares do.
class ReportDrawing final : public BasicAnalysisObserver {
 public:
  ReportDrawing(ReportCanvas& canvas, const ReportLayout& layout, const AnalysisState& state,
                const LoadedRecord& record, double squareScale);
  void ScaleDone(int scaleIndex) override;
  void RidgesFound() override;

 private:
  ReportCanvas& canvas_;
  const ReportLayout& layout_;
  const AnalysisState& state_;
  const LoadedRecord& record_;
  double squareScale_;
};

// After the analysis: the header of the record under its work-list name, the criteria
// and the measured values with their flags, the banner and the raw leads.
void DrawReportTexts(ReportCanvas& canvas, const ReportLayout& layout, const LoadedRecord& record,
                     const std::string& entryName, const AnalysisResults& results,
                     const std::string& bannerText);

}  // namespace wavelet
