#pragma once
// The lines of a report page as strokes that look exactly as one stroke per line does.
//
// The report arrives as some seventeen thousand single lines a page (the curves, the
// raw leads, the dashes). Joining connected lines into polylines would make fewer
// strokes, but not the same page: viewers that smooth edges snap a stroke's
// axis-parallel lines to whole pixels only when every line of the stroke is
// axis-parallel (the flat stretches of the curves came out blurred, 1.3 % of the pixels
// at 150 dpi), and where two strokes meet their smoothed edges lie over each other and
// come out darker than one stroke through both. So every line stays a stroke of its own,
// except where joining changes nothing:
//
// - Lines that carry an axis-parallel line straight on are one line: their strokes are
//   boxes that meet edge to edge.
// - Lines of no length are left out: with square caps they paint nothing.
// - A column of equal vertical lines at equal steps (a dashed ridge line), with gaps
//   wider than the pen so that no two strokes touch, is one dashed stroke, which covers
//   exactly what they cover.
//
// The page renderers take these strokes: the printer's painter and the PDF writer.

#include <utility>
#include <vector>

namespace wavelet {

struct StrokePoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const StrokePoint&, const StrokePoint&) = default;
};

class StrokeSink {
 public:
  virtual ~StrokeSink() = default;
  // `penWidth` 0: the thinnest line of the device.
  virtual void Line(StrokePoint from, StrokePoint to, int penWidth) = 0;
  // `dash` drawn, then `gap` left, and so on from `from` to `to`.
  virtual void DashedLine(StrokePoint from, StrokePoint to, int dash, int gap, int penWidth) = 0;
};

class StrokeCollector {
 public:
  explicit StrokeCollector(StrokeSink& sink) : sink_(sink) {}

  // A new page: nothing waiting, the pen of a new job.
  void StartPage(int penWidth);
  // A change of width gives every line so far first.
  void SetPenWidth(int width);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  // Every line so far: before anything but a line, and at a page's end.
  void Flush();

 private:
  using Segment = std::pair<StrokePoint, StrokePoint>;
  void Give(const Segment& line);
  void GiveColumn();

  StrokeSink& sink_;
  int penWidth_ = 1;
  StrokePoint position_;
  // The line that may still go on, and the vertical lines waiting for more in the same
  // column.
  bool pending_ = false;
  Segment line_;
  std::vector<Segment> column_;
};

}  // namespace wavelet
