#include "print/QtReportCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPrinter>
#include <QString>

#include <algorithm>

namespace wavelet {

QtReportCanvas::QtReportCanvas(QPrinter& printer)
    : printer_(printer), pen_(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin) {}

QtReportCanvas::~QtReportCanvas() {
  // A job left open by an exception still closes, so the spooler is never left waiting.
  if (painter_.isActive()) painter_.end();
}

int QtReportCanvas::PageWidth() const { return printer_.width(); }
int QtReportCanvas::PageHeight() const { return printer_.height(); }

void QtReportCanvas::SetJobTitle(const std::string& title) {
  // A document's later pages keep the name of its first.
  if (!painter_.isActive()) printer_.setDocName(QString::fromStdString(title));
}

bool QtReportCanvas::BeginJob() {
  if (sequence_ && painter_.isActive()) {
    if (!printer_.newPage()) return false;
    // Each page starts as a job of its own starts.
    painter_.setFont(QFont());
  } else if (!painter_.begin(&printer_)) {
    return false;
  }
  pen_ = QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin);
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  return true;
}

void QtReportCanvas::EndJob() {
  if (!sequence_ && painter_.isActive()) painter_.end();
}

bool QtReportCanvas::EndDocument() { return !painter_.isActive() || painter_.end(); }

void QtReportCanvas::SetPenWidth(int width) {
  // Width 0 is Qt's cosmetic pen: the thinnest line of the device.
  pen_.setWidth(std::max(0, width));
  painter_.setPen(pen_);
}

void QtReportCanvas::SetPenStyle(ReportPenStyle) {
  pen_.setStyle(Qt::SolidLine);
  painter_.setPen(pen_);
}

void QtReportCanvas::SetBrushStyle(ReportBrushStyle) { painter_.setBrush(Qt::NoBrush); }

void QtReportCanvas::SetFont(const std::string& name, ReportCharset, int pointSize) {
  // Text is Unicode throughout, so the character set needs no mapping. The style hint
  // keeps a fixed-pitch face where the named one is missing.
  QFont font(QString::fromStdString(name));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(pointSize);
  painter_.setFont(font);
}

void QtReportCanvas::MoveTo(int x, int y) { position_ = QPoint(x, y); }

void QtReportCanvas::LineTo(int x, int y) {
  const QPoint end(x, y);
  painter_.drawLine(position_, end);
  position_ = end;
}

void QtReportCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const QRect box(QPoint(std::min(x1, x2), std::min(y1, y2)),
                  QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
  painter_.drawRect(box);
}

void QtReportCanvas::TextOut(int x, int y, const std::string& text) {
  const QFontMetrics metrics(painter_.font(), painter_.device());
  painter_.drawText(QPoint(x, y + metrics.ascent()), QString::fromStdString(text));
}

}  // namespace wavelet
