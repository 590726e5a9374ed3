#include "output/ReportStrokes.h"

#include <cstdlib>

namespace wavelet {

namespace {

// The line a -> c goes on from a -> b along the same axis in the same direction.
bool GoesOnAlongAnAxis(StrokePoint a, StrokePoint b, StrokePoint c) {
  if (a.X == b.X && b.X == c.X) return (b.Y - a.Y > 0) == (c.Y - b.Y > 0);
  if (a.Y == b.Y && b.Y == c.Y) return (b.X - a.X > 0) == (c.X - b.X > 0);
  return false;
}

}  // namespace

void StrokeCollector::StartPage(int penWidth) {
  pending_ = false;
  column_.clear();
  penWidth_ = penWidth;
}

void StrokeCollector::SetPenWidth(int width) {
  if (width == penWidth_) return;
  Flush();
  penWidth_ = width;
}

void StrokeCollector::MoveTo(int x, int y) { position_ = {x, y}; }

void StrokeCollector::LineTo(int x, int y) {
  const StrokePoint from = position_;
  position_ = {x, y};
  if (from == position_) return;
  if (pending_ && line_.second == from && GoesOnAlongAnAxis(line_.first, from, position_)) {
    line_.second = position_;
    return;
  }
  if (pending_) Give(line_);
  line_ = {from, position_};
  pending_ = true;
}

void StrokeCollector::Give(const Segment& line) {
  const bool vertical = line.first.X == line.second.X;
  if (!column_.empty() && (!vertical || column_.front().first.X != line.first.X)) GiveColumn();
  if (vertical) {
    column_.push_back(line);
  } else {
    sink_.Line(line.first, line.second, penWidth_);
  }
}

void StrokeCollector::GiveColumn() {
  if (column_.empty()) return;
  // Dashes: equal lines in one direction, each `step` on from the one before, with
  // gaps wider than the pen.
  const int dy = column_[0].second.Y - column_[0].first.Y;
  const int step = column_.size() > 1 ? column_[1].first.Y - column_[0].first.Y : 0;
  bool dashes = column_.size() > 1 && penWidth_ > 0 && (dy > 0) == (step > 0) &&
                std::abs(step) - std::abs(dy) > penWidth_;
  for (std::size_t i = 1; dashes && i < column_.size(); ++i) {
    dashes = column_[i].second.Y - column_[i].first.Y == dy &&
             column_[i].first.Y - column_[i - 1].first.Y == step;
  }
  if (dashes) {
    sink_.DashedLine(column_.front().first, column_.back().second, std::abs(dy),
                     std::abs(step) - std::abs(dy), penWidth_);
  } else {
    for (const Segment& line : column_) sink_.Line(line.first, line.second, penWidth_);
  }
  column_.clear();
}

void StrokeCollector::Flush() {
  if (pending_) Give(line_);
  pending_ = false;
  GiveColumn();
}

}  // namespace wavelet
