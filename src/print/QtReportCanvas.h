#pragma once
// The report canvas on a QPainter over a QPrinter: a system printer or a PDF file.

#include <QFont>
#include <QLine>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPoint>

#include <vector>

#include "output/ReportCanvas.h"

class QPrinter;

namespace wavelet {

class QtReportCanvas final : public ReportCanvas {
 public:
  explicit QtReportCanvas(QPrinter& printer);
  ~QtReportCanvas() override;

  // Pages of one document: each job after the first starts a new page of the same
  // file instead of a new file, until EndDocument. False when the device failed.
  void SetPageSequence(bool sequence) { sequence_ = sequence; }
  bool EndDocument();

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
  void ExtendRun(QPoint end);
  void EndRun();
  void StrokeCurve();
  void StrokeColumn();
  void StrokeEverything();
  void UsePageCoordinates();
  void StartPage();

  QPrinter& printer_;
  QPainter painter_;
  QPen pen_;
  QPoint position_;
  // The connected lines being collected (empty, or two points on), and the single
  // lines waiting for more in the same column.
  std::vector<QPoint> run_;
  std::vector<QLine> column_;
  // The font last set, so a repeated choice changes nothing on the page; its ascent
  // once measured (-1 until then).
  QString fontName_;
  int fontPointSize_ = -1;
  int fontAscent_ = -1;
  bool sequence_ = false;
};

}  // namespace wavelet
