#pragma once
// A 5 x 7 pixel font for the few words our own images carry (axis labels, figures),
// so that a picture saved without a window reads the same as the screen.

#include <string_view>

#include "base/Colour.h"
#include "views/Canvas.h"

namespace wavelet {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;

// Draws `text` with its top-left corner at (x, y); letters are upper case, plus u, m, s;
// a character the font lacks leaves a blank. Returns the x after the text.
int DrawPixelText(Canvas& image, int x, int y, std::string_view text, Colour colour);
inline int PixelTextWidth(std::string_view text) {
  return static_cast<int>(text.size()) * kGlyphAdvance;
}

}  // namespace wavelet
