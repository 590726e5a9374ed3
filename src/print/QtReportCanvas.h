#pragma once
// The report canvas on a QPainter over a QPrinter: a system printer or a PDF file.

#include <QPainter>
#include <QPen>

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
  QPrinter& printer_;
  QPainter painter_;
  QPen pen_;
  QPoint position_;
  bool sequence_ = false;
};

}  // namespace wavelet
