// The canvas's drawing rules in isolation.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "views/Canvas.h"

namespace wavelet {
namespace {

constexpr Colour kBack = 0x000000;
constexpr Colour kPen = 0x0000FF;
constexpr Colour kBrush = 0x00FF00;

Canvas Blank(int w, int h) {
  Canvas c(w, h);
  c.SetBrushColour(kBack);
  c.SetBrushStyle(BrushStyle::Solid);
  c.FillClipRect();
  c.SetPenColour(kPen);
  return c;
}

std::set<std::pair<int, int>> PixelsOf(const Canvas& c, Colour colour) {
  std::set<std::pair<int, int>> found;
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x)
      if (c.Pixel(x, y) == colour) found.insert({x, y});
  return found;
}

TEST(CanvasLine, DrawsFromStartAndLeavesOutTheEndPoint) {
  Canvas c = Blank(20, 20);
  c.MoveTo(2, 3);
  c.LineTo(9, 3);
  auto pixels = PixelsOf(c, kPen);
  ASSERT_EQ(pixels.size(), 7u);
  EXPECT_TRUE(pixels.count({2, 3}));
  EXPECT_TRUE(pixels.count({8, 3}));
  EXPECT_FALSE(pixels.count({9, 3}));
  EXPECT_EQ(c.PenX(), 9);
  EXPECT_EQ(c.PenY(), 3);

  Canvas single = Blank(5, 5);
  single.MoveTo(1, 1);
  single.LineTo(1, 1);  // a zero-length line draws nothing
  EXPECT_TRUE(PixelsOf(single, kPen).empty());
}

// Every segment: max(|dx|, |dy|) pixels, one per major step, 8-connected, each within
// half a pixel of the ideal line, starting at the start point.
TEST(CanvasLine, FollowsTheIdealLineInEveryOctant) {
  for (int dx = -9; dx <= 9; ++dx) {
    for (int dy = -9; dy <= 9; ++dy) {
      if (dx == 0 && dy == 0) continue;
      Canvas c = Blank(30, 30);
      c.MoveTo(15, 15);
      c.LineTo(15 + dx, 15 + dy);
      auto pixels = PixelsOf(c, kPen);
      const int steps = std::max(std::abs(dx), std::abs(dy));
      ASSERT_EQ(static_cast<int>(pixels.size()), steps) << dx << "," << dy;
      EXPECT_TRUE(pixels.count({15, 15}));
      EXPECT_FALSE(pixels.count({15 + dx, 15 + dy}));
      for (auto [x, y] : pixels) {
        const double t = std::abs(dx) >= std::abs(dy) ? double(x - 15) / dx : double(y - 15) / dy;
        EXPECT_GE(t, 0.0);
        EXPECT_LT(t, 1.0);
        EXPECT_LE(std::abs(15 + t * dx - x), 0.5 + 1e-9);
        EXPECT_LE(std::abs(15 + t * dy - y), 0.5 + 1e-9);
      }
    }
  }
}

TEST(CanvasDottedPen, ThreeOnThreeOffRestartingAtMoveTo) {
  for (BrushStyle brush : {BrushStyle::Solid, BrushStyle::Clear}) {
    Canvas c(30, 3);
    c.SetBrushColour(0x111111);
    c.FillClipRect();
    c.SetPenColour(kPen);
    c.SetPenStyle(PenStyle::Dotted);
    c.SetBrushColour(kBrush);
    c.SetBrushStyle(brush);
    c.MoveTo(0, 0);
    c.LineTo(4, 0);   // pixels 0..3: the pattern carries on into the next line
    c.LineTo(14, 0);  // pixels 4..13
    c.MoveTo(20, 1);  // restart
    c.LineTo(26, 1);
    const Colour gap = brush == BrushStyle::Solid ? kBrush : 0x111111;
    const char* row0 = "PPPgggPPPgggPP";
    for (int x = 0; x < 14; ++x) EXPECT_EQ(c.Pixel(x, 0), row0[x] == 'P' ? kPen : gap) << x;
    EXPECT_EQ(c.Pixel(14, 0), 0x111111u);
    for (int x = 20; x < 26; ++x) EXPECT_EQ(c.Pixel(x, 1), x < 23 ? kPen : gap) << x;
  }
}

TEST(CanvasWidePen, SquaresOffsetByHalfTheWidth) {
  Canvas three = Blank(10, 10);
  three.SetPenWidth(3);
  three.MoveTo(5, 5);
  three.LineTo(5, 4);  // one path pixel
  EXPECT_EQ(PixelsOf(three, kPen),
            (std::set<std::pair<int, int>>{{4, 4}, {5, 4}, {6, 4}, {4, 5}, {5, 5}, {6, 5},
                                           {4, 6}, {5, 6}, {6, 6}}));
  Canvas two = Blank(10, 10);
  two.SetPenWidth(2);
  two.MoveTo(5, 5);
  two.LineTo(6, 5);
  EXPECT_EQ(PixelsOf(two, kPen),
            (std::set<std::pair<int, int>>{{5, 5}, {6, 5}, {5, 6}, {6, 6}}));
  two.SetPenWidth(0);
  EXPECT_EQ(two.PenWidth(), 1);
}

TEST(CanvasRectangle, ExcludesRightAndBottomEdges) {
  Canvas c = Blank(10, 10);
  c.SetBrushColour(kBrush);
  c.Rectangle(2, 3, 7, 8);  // x 2..6, y 3..7
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 7;
      const bool edge = x == 2 || x == 6 || y == 3 || y == 7;
      EXPECT_EQ(c.Pixel(x, y), !inside ? kBack : edge ? kPen : kBrush) << x << "," << y;
    }
  }
  Canvas clear = Blank(10, 10);
  clear.SetBrushStyle(BrushStyle::Clear);
  clear.Rectangle(7, 8, 2, 3);  // corners in either order
  EXPECT_EQ(clear.Pixel(4, 5), kBack);
  EXPECT_EQ(clear.Pixel(2, 3), kPen);
  EXPECT_EQ(clear.Pixel(6, 7), kPen);
  EXPECT_EQ(clear.Pixel(7, 8), kBack);

  Canvas dot = Blank(10, 10);  // the peak square: 2 x 2 from (x-1, y-1)
  dot.SetBrushColour(kPen);
  dot.Rectangle(4, 4, 6, 6);
  EXPECT_EQ(PixelsOf(dot, kPen),
            (std::set<std::pair<int, int>>{{4, 4}, {5, 4}, {4, 5}, {5, 5}}));
}

TEST(CanvasFill, ClipRectUsesTheBrushAndPixelsClip) {
  Canvas c(4, 3);
  const auto before = c.Generation();
  c.SetBrushColour(kBrush);
  c.FillClipRect();
  EXPECT_NE(c.Generation(), before);
  EXPECT_EQ(PixelsOf(c, kBrush).size(), 12u);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetBrushColour(kBack);
  c.FillClipRect();
  EXPECT_EQ(PixelsOf(c, kBrush).size(), 12u);
  c.SetPixel(-1, 0, kPen);
  c.SetPixel(4, 0, kPen);
  c.SetPixel(3, 2, kPen);
  EXPECT_EQ(PixelsOf(c, kPen).size(), 1u);
  EXPECT_EQ(c.Pixel(3, 2), kPen);
  EXPECT_EQ(c.Pixel(99, 99), 0u);
}

// Drawing on a small canvas must give exactly the pixels of drawing on a large one and
// cropping, for every pen and brush.
TEST(CanvasClipping, EqualsCropOfUnbounded) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> coordinate(-70, 110);
  std::uniform_int_distribution<int> width(1, 4);
  constexpr int kW = 40, kH = 30, kBig = 400, kOff = 180;
  for (int trial = 0; trial < 3000; ++trial) {
    Canvas small = Blank(kW, kH);
    Canvas big = Blank(kBig, kBig);
    const int w = width(random);
    const PenStyle style = random() % 2 ? PenStyle::Dotted : PenStyle::Solid;
    const BrushStyle brush = random() % 2 ? BrushStyle::Clear : BrushStyle::Solid;
    for (Canvas* c : {&small, &big}) {
      c->SetPenWidth(w);
      c->SetPenStyle(style);
      c->SetBrushColour(kBrush);
      c->SetBrushStyle(brush);
    }
    const int points = 2 + random() % 4;
    for (int p = 0; p < points; ++p) {
      const int x = coordinate(random), y = coordinate(random);
      if (p == 0 || random() % 4 == 0) {
        small.MoveTo(x, y);
        big.MoveTo(x + kOff, y + kOff);
      } else {
        small.LineTo(x, y);
        big.LineTo(x + kOff, y + kOff);
      }
    }
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(small.Pixel(x, y), big.Pixel(x + kOff, y + kOff))
            << "trial " << trial << " at " << x << "," << y;
  }
}

TEST(CanvasClipping, FarOffPointsDrawOnlyWhatIsInside) {
  Canvas c = Blank(40, 30);
  c.MoveTo(10, 20);
  c.LineTo(11, -2000000);  // steep: x switches halfway, far above the image
  EXPECT_EQ(PixelsOf(c, kPen).size(), 21u);
  for (int y = 0; y <= 20; ++y) EXPECT_EQ(c.Pixel(10, y), kPen);

  Canvas across = Blank(40, 30);  // both ends far away, crossing the image
  across.MoveTo(-2000000000, 15);
  across.LineTo(2000000000, 15);
  EXPECT_EQ(PixelsOf(across, kPen).size(), 40u);

  Canvas dotted = Blank(40, 30);  // the pattern counts the clipped-off pixels too
  dotted.SetPenStyle(PenStyle::Dotted);
  dotted.SetBrushColour(kBrush);
  dotted.MoveTo(-1000003, 5);
  dotted.LineTo(40, 5);
  EXPECT_EQ(dotted.Pixel(0, 5), (1000003 % 6) < 3 ? kPen : kBrush);
}

TEST(CanvasCoordinate, TruncatesAndClampsDoubles) {
  EXPECT_EQ(CanvasCoordinate(99.999), 99);
  EXPECT_EQ(CanvasCoordinate(-99.999), -99);
  EXPECT_EQ(CanvasCoordinate(1e300), kCanvasCoordinateLimit);
  EXPECT_EQ(CanvasCoordinate(-std::numeric_limits<double>::infinity()), -kCanvasCoordinateLimit);
  EXPECT_EQ(CanvasCoordinate(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace wavelet
