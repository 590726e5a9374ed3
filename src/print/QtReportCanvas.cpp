#include "print/QtReportCanvas.h"

#include <QFontMetrics>
#include <QPrinter>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// The report arrives as some seventeen thousand single lines a page (the curves, the
// raw leads, the dashes), and one stroke each made the document large and slow to
// write. Connected lines are collected into runs and stroked together when anything
// else comes, with the same look:
//
// - Points that only carry a straight line on are left out: the stroke is the same.
// - Viewers that smooth edges snap a stroke's axis-parallel lines to whole pixels only
//   when every line of that stroke is axis-parallel, so those lines of a run are
//   stroked apart from the rest (as they were when each line was a stroke of its own),
//   else the flat stretches of the curves come out blurred (1.3 % of the pixels).
// - Lines that rise more than 1 in 2 are stroked one by one: where such lines meet,
//   strokes laid over each other smooth their edges visibly darker than one stroke
//   through both; on flatter lines the difference is slight (over ten sample pages at
//   150 dpi at most 0.43 % of the pixels differ from one stroke per line; 0.5 % when
//   only lines steeper than 1 in 1 stand apart).
// - Everything else of a run is one polyline, in coordinates relative to the run's
//   first point under a translation, so its numbers are short.
// - Single lines wait for more in the same column: a column of equal lines at equal
//   steps (a dashed ridge line) is one stroke with a dash pattern.

namespace wavelet {

namespace {

QPen StartingPen() { return QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin); }

// `c` carries on the line a -> b in the same direction: b can be left out without
// changing what is drawn (the stroke over a straight run is the same, and a round join
// inside it adds nothing).
bool ContinuesStraight(QPoint a, QPoint b, QPoint c) {
  const std::int64_t ux = b.x() - a.x(), uy = b.y() - a.y();
  const std::int64_t vx = c.x() - b.x(), vy = c.y() - b.y();
  return ux * vy == uy * vx && ux * vx + uy * vy > 0;
}

enum class LineKind { Straight, Steep, Sloped };

LineKind KindOf(QPoint a, QPoint b) {
  const int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
  if (dx == 0 || dy == 0) return LineKind::Straight;
  return 2 * dy >= dx ? LineKind::Steep : LineKind::Sloped;
}

// Adds run[from..to] to `path` as one polyline, relative to run[0].
void AddPolyline(QPainterPath& path, const std::vector<QPoint>& run, std::size_t from,
                 std::size_t to) {
  path.moveTo(run[from] - run[0]);
  for (std::size_t i = from + 1; i <= to; ++i) path.lineTo(run[i] - run[0]);
}

// The lines are the dashes of one dashed line: equal vertical lines, each `step` on
// from the one before, with gaps wider than the pen so that no two strokes touch (one
// dashed stroke then covers exactly what they cover).
bool AreDashes(const std::vector<QLine>& lines, int penWidth, int& step) {
  if (lines.size() < 2 || penWidth <= 0) return false;
  const QLine& first = lines[0];
  step = lines[1].y1() - first.y1();
  if (first.dy() == 0 || (first.dy() > 0) != (step > 0)) return false;
  if (std::abs(step) - std::abs(first.dy()) <= penWidth) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QLine& line = lines[i];
    const bool same = line.x1() == first.x1() && line.x2() == first.x1() && line.dy() == first.dy();
    if (!same) return false;
    if (i > 0 && line.y1() - lines[i - 1].y1() != step) return false;
  }
  return true;
}

}  // namespace

QtReportCanvas::QtReportCanvas(QPrinter& printer) : printer_(printer), pen_(StartingPen()) {}

QtReportCanvas::~QtReportCanvas() {
  // A job left open by an exception still closes, so the spooler is never left waiting.
  if (painter_.isActive()) {
    StrokeEverything();
    painter_.end();
  }
}

int QtReportCanvas::PageWidth() const { return printer_.width(); }
int QtReportCanvas::PageHeight() const { return printer_.height(); }

void QtReportCanvas::SetJobTitle(const std::string& title) {
  // A document's later pages keep the name of its first.
  if (!painter_.isActive()) printer_.setDocName(QString::fromStdString(title));
}

bool QtReportCanvas::BeginJob() {
  if (sequence_ && painter_.isActive()) {
    StrokeEverything();
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
  run_.clear();
  column_.clear();
  painter_.resetTransform();
  pen_ = StartingPen();
  painter_.setPen(pen_);
  painter_.setBrush(Qt::NoBrush);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  fontName_.clear();
  fontPointSize_ = -1;
  fontAscent_ = -1;
}

void QtReportCanvas::EndJob() {
  StrokeEverything();
  if (!sequence_ && painter_.isActive()) painter_.end();
}

bool QtReportCanvas::EndDocument() {
  StrokeEverything();
  return !painter_.isActive() || painter_.end();
}

void QtReportCanvas::SetPenWidth(int width) {
  // Width 0 is Qt's cosmetic pen: the thinnest line of the device.
  const int penWidth = std::max(0, width);
  if (penWidth == pen_.width()) return;
  StrokeEverything();
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

void QtReportCanvas::MoveTo(int x, int y) {
  EndRun();
  position_ = QPoint(x, y);
}

void QtReportCanvas::LineTo(int x, int y) {
  if (run_.empty()) run_.push_back(position_);
  position_ = QPoint(x, y);
  ExtendRun(position_);
}

void QtReportCanvas::ExtendRun(QPoint end) {
  const std::size_t n = run_.size();
  if (n >= 2) {
    if (end == run_.back()) return;  // a line of no length inside a run adds nothing
    // A point that only carries a straight line on, or ends a line of no length, is
    // dropped.
    if (run_[n - 2] == run_[n - 1] || ContinuesStraight(run_[n - 2], run_[n - 1], end)) {
      run_.back() = end;
      return;
    }
  }
  run_.push_back(end);
}

void QtReportCanvas::EndRun() {
  if (run_.size() == 2) {
    const QLine line(run_[0], run_[1]);
    if (!column_.empty() && column_.front().x1() != line.x1()) StrokeColumn();
    column_.push_back(line);
  } else if (run_.size() > 2) {
    StrokeColumn();
    StrokeCurve();
  }
  run_.clear();
}

void QtReportCanvas::StrokeCurve() {
  if (!painter_.isActive()) return;
  QPainterPath straight, sloped;
  std::vector<QLine> steep;
  const QPoint origin = run_[0];
  std::size_t from = 0;  // where the current polyline starts
  for (std::size_t i = 0; i + 1 < run_.size(); ++i) {
    const LineKind kind = KindOf(run_[i], run_[i + 1]);
    if (kind == LineKind::Sloped) continue;
    if (i > from) AddPolyline(sloped, run_, from, i);
    if (kind == LineKind::Straight) {
      AddPolyline(straight, run_, i, i + 1);
    } else {
      steep.emplace_back(run_[i] - origin, run_[i + 1] - origin);
    }
    from = i + 1;
  }
  if (from + 1 < run_.size()) AddPolyline(sloped, run_, from, run_.size() - 1);
  painter_.setTransform(QTransform::fromTranslate(origin.x(), origin.y()));
  if (!straight.isEmpty()) painter_.drawPath(straight);
  if (!sloped.isEmpty()) painter_.drawPath(sloped);
  for (const QLine& line : steep) painter_.drawLine(line);
}

void QtReportCanvas::StrokeColumn() {
  if (column_.empty()) return;
  if (painter_.isActive()) {
    UsePageCoordinates();
    int step = 0;
    if (AreDashes(column_, pen_.width(), step)) {
      // The pattern counts in pen widths.
      const qreal dash = std::abs(column_[0].dy());
      QPen dashed = pen_;
      dashed.setDashPattern({dash / pen_.width(), (std::abs(step) - dash) / pen_.width()});
      painter_.setPen(dashed);
      painter_.drawLine(column_.front().p1(), column_.back().p2());
      painter_.setPen(pen_);
    } else {
      for (const QLine& line : column_) painter_.drawLine(line);
    }
  }
  column_.clear();
}

void QtReportCanvas::UsePageCoordinates() {
  if (!painter_.transform().isIdentity()) painter_.resetTransform();
}

// Before anything but a line: every line so far on the page, and the page's own
// coordinates back.
void QtReportCanvas::StrokeEverything() {
  EndRun();
  StrokeColumn();
  if (painter_.isActive()) UsePageCoordinates();
}

void QtReportCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  StrokeEverything();
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
