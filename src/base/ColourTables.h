#pragma once
// The two fixed colour tables of the views: one pen colour per basic scale, and the
// 512-entry ramp (black, blue, green, yellow, red) of the map view.

#include <array>

#include "base/Colour.h"

namespace wavelet {

void FillScaleColours(std::array<Colour, kScaleColourCount>& colours);
void FillColourRamp(std::array<Colour, kColourRampSize>& ramp);

}  // namespace wavelet
