#include "views/Canvas.h"

#include <algorithm>

namespace wavelet {

namespace {

using Wide = __int128;  // products of two coordinate spans overflow 64 bits

// The first step i >= 0 at which the minor-axis offset floor((2*i*minor + major) /
// (2*major)) reaches `target`, or `never` when it never does.
std::int64_t FirstStepReaching(std::int64_t target, std::int64_t minor, std::int64_t major,
                               std::int64_t never) {
  if (target <= 0) return 0;
  if (minor == 0) return never;
  // 2*i*minor + major >= 2*target*major  <=>  i >= (2*target - 1) * major / (2*minor)
  const Wide numerator = (Wide{2} * target - 1) * major;
  const Wide denominator = Wide{2} * minor;
  const Wide first = (numerator + denominator - 1) / denominator;
  return first > never ? never : static_cast<std::int64_t>(first);
}

}  // namespace

int CanvasCoordinate(double value) {
  return TruncateToInt(value, -kCanvasCoordinateLimit, kCanvasCoordinateLimit);
}

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

Colour Canvas::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<std::size_t>(y) * width_ + x];
}

void Canvas::SetPixel(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Touch();
  pixels_[static_cast<std::size_t>(y) * width_ + x] = colour;
}

std::uint32_t* Canvas::MutableRow(int y) {
  Touch();
  return pixels_.data() + static_cast<std::size_t>(y) * width_;
}

void Canvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
  patternPhase_ = 0;
}

void Canvas::FillClipped(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                         Colour colour) {
  x1 = std::max<std::int64_t>(x1, 0);
  y1 = std::max<std::int64_t>(y1, 0);
  x2 = std::min<std::int64_t>(x2, width_);
  y2 = std::min<std::int64_t>(y2, height_);
  if (x1 >= x2 || y1 >= y2) return;
  for (std::int64_t y = y1; y < y2; ++y) {
    std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(y) * width_;
    std::fill(row + x1, row + x2, colour);
  }
}

void Canvas::Stamp(std::int64_t x, std::int64_t y, Colour colour) {
  if (penWidth_ == 1) {
    pixels_[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)] = colour;
    return;
  }
  const std::int64_t left = x - (penWidth_ - 1) / 2;
  const std::int64_t top = y - (penWidth_ - 1) / 2;
  FillClipped(left, top, left + penWidth_, top + penWidth_, colour);
}

void Canvas::LineTo(int x, int y) {
  const std::int64_t x0 = penX_;
  const std::int64_t y0 = penY_;
  const std::int64_t dx = std::int64_t{x} - x0;
  const std::int64_t dy = std::int64_t{y} - y0;
  penX_ = x;
  penY_ = y;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  const std::int64_t steps = std::max(adx, ady);  // pixels drawn: the end point is not
  const int startPhase = patternPhase_;
  patternPhase_ = static_cast<int>((patternPhase_ + steps % 6) % 6);
  if (steps == 0 || width_ == 0 || height_ == 0) return;

  // Path pixels whose pen square can reach the image.
  const std::int64_t offset = (penWidth_ - 1) / 2;
  const std::int64_t lowReach = offset - (penWidth_ - 1);
  const std::int64_t highX = width_ - 1 + offset;
  const std::int64_t highY = height_ - 1 + offset;

  const bool xMajor = adx >= ady;
  const std::int64_t major0 = xMajor ? x0 : y0;
  const std::int64_t minor0 = xMajor ? y0 : x0;
  const std::int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const std::int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const std::int64_t minorSpan = xMajor ? ady : adx;
  const std::int64_t majorLow = lowReach;
  const std::int64_t majorHigh = xMajor ? highX : highY;
  const std::int64_t minorLow = lowReach;
  const std::int64_t minorHigh = xMajor ? highY : highX;

  // Steps whose major coordinate lies in the reach.
  std::int64_t first = 0;
  std::int64_t last = steps - 1;
  if (majorStep > 0) {
    first = std::max(first, majorLow - major0);
    last = std::min(last, majorHigh - major0);
  } else {
    first = std::max(first, major0 - majorHigh);
    last = std::min(last, major0 - majorLow);
  }
  // Steps whose minor offset k keeps the minor coordinate in the reach; k never
  // decreases along the line, so the steps form one run.
  const std::int64_t kLow = minorStep > 0 ? minorLow - minor0 : minor0 - minorHigh;
  const std::int64_t kHigh = minorStep > 0 ? minorHigh - minor0 : minor0 - minorLow;
  if (kHigh < 0) return;
  first = std::max(first, FirstStepReaching(kLow, minorSpan, steps, steps));
  last = std::min(last, FirstStepReaching(kHigh + 1, minorSpan, steps, steps) - 1);
  if (first > last) return;

  Touch();
  const Wide numerator = Wide{2} * first * minorSpan + steps;
  const std::int64_t twoMajor = 2 * steps;
  const std::int64_t twoMinor = 2 * minorSpan;
  std::int64_t k = static_cast<std::int64_t>(numerator / twoMajor);
  std::int64_t remainder = static_cast<std::int64_t>(numerator % twoMajor);
  int phase = static_cast<int>((startPhase + first % 6) % 6);
  const bool dotted = penStyle_ == PenStyle::Dotted;
  const bool paintGaps = brushStyle_ == BrushStyle::Solid;

  for (std::int64_t i = first; i <= last; ++i) {
    const std::int64_t major = major0 + majorStep * i;
    const std::int64_t minor = minor0 + minorStep * k;
    const std::int64_t px = xMajor ? major : minor;
    const std::int64_t py = xMajor ? minor : major;
    if (!dotted || phase < 3) {
      Stamp(px, py, penColour_);
    } else if (paintGaps) {
      Stamp(px, py, brushColour_);
    }
    if (++phase == 6) phase = 0;
    remainder += twoMinor;
    if (remainder >= twoMajor) {
      remainder -= twoMajor;
      ++k;
    }
  }
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
  std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (left == right || top == bottom) return;
  Touch();
  const std::int64_t w = penWidth_;
  if (brushStyle_ == BrushStyle::Solid) {
    FillClipped(left + w, top + w, right - w, bottom - w, brushColour_);
  }
  FillClipped(left, top, right, std::min(top + w, bottom), penColour_);
  FillClipped(left, std::max(bottom - w, top), right, bottom, penColour_);
  FillClipped(left, top, std::min(left + w, right), bottom, penColour_);
  FillClipped(std::max(right - w, left), top, right, bottom, penColour_);
}

void Canvas::FillRect(int x1, int y1, int x2, int y2) {
  if (brushStyle_ != BrushStyle::Solid) return;
  Touch();
  FillClipped(x1, y1, x2, y2, brushColour_);
}

void Canvas::FillClipRect() { FillRect(0, 0, width_, height_); }

}  // namespace wavelet
