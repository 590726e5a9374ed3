#pragma once
// Our own raster for the five images: 32-bit 0x00BBGGRR pixels and the handful of
// drawing operations the views use, with one fixed set of rules (Bresenham lines
// without their end point, dotted pens, wide pens, rectangles without their right
// and bottom edges) so every image can be checked pixel by pixel without a toolkit.
//
// Clipping is exact: drawing gives the same pixels as drawing on an unbounded
// raster and cropping. It is also cheap: a segment is clipped first and stepped from
// its exact entry pixel, so a point two million pixels off the image costs no more
// than one on it.

#include <cstdint>
#include <vector>

#include "base/Colour.h"
#include "base/Truncate.h"

namespace wavelet {

enum class PenStyle { Solid, Dotted };
enum class BrushStyle { Solid, Clear };

// Coordinates computed in double precision are clamped to +-2^30 before conversion:
// far beyond any image, yet a routine can still add or subtract a few pixels
// without overflowing an int.
inline constexpr int kCanvasCoordinateLimit = 1 << 30;

// A coordinate computed in double precision as an int, truncated toward zero; values
// beyond the limit (huge magnitudes, infinities) are clamped first and NaN becomes 0,
// so no conversion is ever undefined.
int CanvasCoordinate(double value);

class Canvas {
 public:
  Canvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::uint32_t* Pixels() const { return pixels_.data(); }
  // Changes whenever the pixels may have changed, so a widget knows when to copy.
  std::uint64_t Generation() const { return generation_; }

  // The pixel at (x, y); 0 for a point outside the image.
  Colour Pixel(int x, int y) const;
  // Sets one pixel; points outside the image are ignored.
  void SetPixel(int x, int y, Colour colour);
  // Row y (0 <= y < Height()) for writing many pixels at once, as a map does; marks
  // the canvas changed. The pointer stays valid for the canvas's lifetime.
  std::uint32_t* MutableRow(int y);

  void SetPenColour(Colour colour) { penColour_ = colour; }
  void SetPenStyle(PenStyle style) { penStyle_ = style; }
  // Widths below 1 are taken as 1.
  void SetPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
  void SetBrushColour(Colour colour) { brushColour_ = colour; }
  void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }
  Colour PenColour() const { return penColour_; }
  PenStyle GetPenStyle() const { return penStyle_; }
  int PenWidth() const { return penWidth_; }
  Colour BrushColour() const { return brushColour_; }
  BrushStyle GetBrushStyle() const { return brushStyle_; }

  // Sets the current position and restarts the dotted pattern.
  void MoveTo(int x, int y);
  // Bresenham from the current position to (x, y), the end point not drawn; the
  // current position becomes (x, y). A dotted pen draws 3 pixels on and 3 off,
  // counted from the first pixel after the last MoveTo across consecutive lines; off
  // pixels take the brush colour under a solid brush and are left alone under a
  // clear one. A pen of width w > 1 turns each path pixel into a w x w square whose
  // top-left is offset by -(w-1)/2.
  void LineTo(int x, int y);
  int PenX() const { return penX_; }
  int PenY() const { return penY_; }

  // Covers x1..x2-1 and y1..y2-1 (corners in either order): a pen-coloured outline
  // as thick as the pen (always solid), the interior in the brush (untouched by a
  // clear brush). Nothing is drawn for an empty rectangle.
  void Rectangle(int x1, int y1, int x2, int y2);
  // Fills x1..x2-1, y1..y2-1 with the brush; nothing under a clear brush.
  void FillRect(int x1, int y1, int x2, int y2);
  // Fills the whole clip rectangle (the image) with the brush.
  void FillClipRect();

 private:
  void Touch() { ++generation_; }
  void FillClipped(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                   Colour colour);
  void Stamp(std::int64_t x, std::int64_t y, Colour colour);

  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
  std::uint64_t generation_ = 1;

  Colour penColour_ = 0x000000;
  PenStyle penStyle_ = PenStyle::Solid;
  int penWidth_ = 1;
  Colour brushColour_ = 0xFFFFFF;
  BrushStyle brushStyle_ = BrushStyle::Solid;

  int penX_ = 0;
  int penY_ = 0;
  int patternPhase_ = 0;  // pixels since the last MoveTo, modulo 6
};

}  // namespace wavelet
