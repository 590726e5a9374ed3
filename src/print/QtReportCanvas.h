#pragma once
// The report canvas on a QPainter over a QPrinter: a system printer or a PDF file.

#include <QFont>
#include <QPainter>
#include <QPen>

#include <array>

#include "output/ReportCanvas.h"
#include "output/ReportStrokes.h"

class QPrinter;

namespace wavelet {

class PdfPageContent;

class QtReportCanvas final : public ReportCanvas, private StrokeSink {
 public:
  explicit QtReportCanvas(QPrinter& printer);
  ~QtReportCanvas() override;

  // Pages of one document: each job after the first starts a new page of the same
  // file instead of a new file, until EndDocument. False when the device failed.
  void SetPageSequence(bool sequence) { sequence_ = sequence; }
  bool EndDocument();
  // A PDF document's lines and rectangles go to `lines`, a page at a time, its texts
  // to the printer.
  void SendLinesTo(PdfPageContent* lines) { lines_ = lines; }

  // The printable area in device pixels; the painter's origin is its top-left.
  int PageWidth() const override;
  int PageHeight() const override;
  void SetJobTitle(const std::string& title) override;
  bool BeginJob() override;
  void EndJob() override;
  void SetPenWidth(int width) override;
  void SetPenStyle(ReportPenStyle style) override;
  void SetBrushStyle(ReportBrushStyle style) override;
  void SetFont(const std::string& name, ReportCharset charset, int pointSize) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, const std::string& text) override;

 private:
  void Line(StrokePoint from, StrokePoint to, int penWidth) override;
  void DashedLine(StrokePoint from, StrokePoint to, int dash, int gap, int penWidth) override;
  void StrokeEverything();
  void StartPage();
  void FinishPage();
  // The matrix that takes the device units of a PDF printer to the page's points.
  std::array<double, 6> PdfPageMatrix() const;

  QPrinter& printer_;
  QPainter painter_;
  QPen pen_;
  StrokeCollector strokes_{*this};
  PdfPageContent* lines_ = nullptr;
  // The font last set, so a repeated choice changes nothing on the page; its ascent
  // once measured (-1 until then).
  QString fontName_;
  int fontPointSize_ = -1;
  int fontAscent_ = -1;
  bool sequence_ = false;
};

}  // namespace wavelet
