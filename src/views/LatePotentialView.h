#pragma once
// The late-potentials picture: the filtered vector magnitude over the beat on a
// microvolt axis, with the filtered QRS onset and offset, the 40 uV line, the last
// 40 ms of the QRS shaded, the noise segment marked, and a line of figures on top.

#include <string_view>

#include "analysis/LatePotentials.h"
#include "views/Canvas.h"

namespace wavelet {

inline constexpr int kLatePotentialImageWidth = 872;
inline constexpr int kLatePotentialImageHeight = 320;

// The picture of `figures`; `summary` is the line of figures, `unitNote` the unit in use.
void DrawLatePotentials(Canvas& image, const LatePotentialFigures& figures,
                        std::string_view summary, std::string_view unitNote);
// Black, with `note` ("no record") in the middle.
void ClearLatePotentials(Canvas& image, std::string_view note);

// The axis's top in microvolts: the smallest of 1, 2, 5 times a power of ten that is
// at least the largest magnitude, and never below 50 uV, so the 40 uV line always shows.
double LatePotentialAxisTop(const LatePotentialFigures& figures);

}  // namespace wavelet
