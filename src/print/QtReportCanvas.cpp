#include "print/QtReportCanvas.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>
#include <QString>

#include <algorithm>

#include "output/PdfPageContent.h"

namespace wavelet {

namespace {

QPen StartingPen() { return QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin); }

QPoint PointOf(StrokePoint point) { return QPoint(point.X, point.Y); }

}  // namespace

QtReportCanvas::QtReportCanvas(QPrinter& printer) : printer_(printer), pen_(StartingPen()) {}

QtReportCanvas::~QtReportCanvas() {
  // A job left open by an exception still closes, so the spooler is never left waiting.
  if (painter_.isActive()) {
    FinishPage();
    painter_.end();
  }
}

int QtReportCanvas::PageWidth() const { return printer_.width(); }
int QtReportCanvas::PageHeight() const { return printer_.height(); }

std::array<double, 6> QtReportCanvas::PdfPageMatrix() const {
  // As the toolkit's PDF writer places the painter's device units on the page: y grows
  // downward from the printable area's top-left corner, which lies whole device units
  // in from the edges of a page of whole points.
  const QPageLayout layout = printer_.pageLayout();
  const int resolution = printer_.resolution();
  const QRect paint = layout.paintRectPixels(resolution);
  const double scale = 72.0 / resolution;
  return {scale, 0, 0, -scale, paint.left() * scale,
          layout.fullRectPoints().height() - paint.top() * scale};
}

void QtReportCanvas::SetJobTitle(const std::string& title) {
  // A document's later pages keep the name of its first.
  if (!painter_.isActive()) printer_.setDocName(QString::fromStdString(title));
}

bool QtReportCanvas::BeginJob() {
  if (sequence_ && painter_.isActive()) {
    FinishPage();
    if (!printer_.newPage()) return false;
    // Each page starts as a job of its own starts.
    painter_.setFont(QFont());
  } else if (!painter_.begin(&printer_)) {
    return false;
  }
  StartPage();
  return true;
}

void QtReportCanvas::StartPage() {
  pen_ = StartingPen();
  strokes_.StartPage(pen_.width());
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  fontName_.clear();
  fontPointSize_ = -1;
  fontAscent_ = -1;
  if (lines_) lines_->StartPage(PdfPageMatrix());
}

void QtReportCanvas::FinishPage() {
  StrokeEverything();
  if (lines_) lines_->FinishPage();
}

void QtReportCanvas::EndJob() {
  if (sequence_) {
    StrokeEverything();
  } else if (painter_.isActive()) {
    FinishPage();
    painter_.end();
  }
}

bool QtReportCanvas::EndDocument() {
  if (!painter_.isActive()) return true;
  FinishPage();
  return painter_.end();
}

void QtReportCanvas::SetPenWidth(int width) {
  // Width 0 is the thinnest line of the device (the toolkit's cosmetic pen).
  const int penWidth = std::max(0, width);
  if (penWidth == pen_.width()) return;
  strokes_.SetPenWidth(penWidth);
  pen_.setWidth(penWidth);
  painter_.setPen(pen_);
}

// The pen is always solid and the brush always clear: nothing to change.
void QtReportCanvas::SetPenStyle(ReportPenStyle) {}

void QtReportCanvas::SetBrushStyle(ReportBrushStyle) {}

void QtReportCanvas::SetFont(const std::string& name, ReportCharset, int pointSize) {
  const QString family = QString::fromStdString(name);
  if (family == fontName_ && pointSize == fontPointSize_) return;
  // Text is Unicode throughout, so the character set needs no mapping. The style hint
  // keeps a fixed-pitch face where the named one is missing.
  QFont font(family);
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(pointSize);
  painter_.setFont(font);
  fontName_ = family;
  fontPointSize_ = pointSize;
  fontAscent_ = -1;
}

void QtReportCanvas::MoveTo(int x, int y) { strokes_.MoveTo(x, y); }

void QtReportCanvas::LineTo(int x, int y) { strokes_.LineTo(x, y); }

void QtReportCanvas::Line(StrokePoint from, StrokePoint to, int penWidth) {
  if (lines_) {
    lines_->Line(from, to, penWidth);
  } else if (painter_.isActive()) {
    painter_.drawLine(PointOf(from), PointOf(to));
  }
}

void QtReportCanvas::DashedLine(StrokePoint from, StrokePoint to, int dash, int gap,
                                int penWidth) {
  if (lines_) {
    lines_->DashedLine(from, to, dash, gap, penWidth);
    return;
  }
  if (!painter_.isActive()) return;
  if (penWidth <= 0) {  // the collector never dashes the thinnest pen
    painter_.drawLine(PointOf(from), PointOf(to));
    return;
  }
  // The toolkit's pattern counts in pen widths.
  QPen dashed = pen_;
  dashed.setDashPattern({static_cast<qreal>(dash) / penWidth, static_cast<qreal>(gap) / penWidth});
  painter_.setPen(dashed);
  painter_.drawLine(PointOf(from), PointOf(to));
  painter_.setPen(pen_);
}

// Before anything but a line: every line so far on the page.
void QtReportCanvas::StrokeEverything() { strokes_.Flush(); }

void QtReportCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  StrokeEverything();
  if (lines_) {
    lines_->Rectangle(x1, y1, x2, y2, pen_.width());
    return;
  }
  const QRect box(QPoint(std::min(x1, x2), std::min(y1, y2)),
                  QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
  painter_.drawRect(box);
}

void QtReportCanvas::TextOut(int x, int y, const std::string& text) {
  StrokeEverything();
  if (fontAscent_ < 0) fontAscent_ = QFontMetrics(painter_.font(), painter_.device()).ascent();
  painter_.drawText(QPoint(x, y + fontAscent_), QString::fromStdString(text));
}

}  // namespace wavelet
