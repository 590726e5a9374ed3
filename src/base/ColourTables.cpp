#include "base/ColourTables.h"

namespace wavelet {

void FillScaleColours(std::array<Colour, kScaleColourCount>& colours) {
  colours = {0x00FFFF, 0x00FF00, 0xFF00FF, 0xFFFF00, 0xC0C0C0, 0x008000, 0xFF0000, 0x0000FF};
}

void FillColourRamp(std::array<Colour, kColourRampSize>& ramp) {
  for (Colour i = 0; i < 128; ++i) {
    ramp[i] = 0x20000 * i;                                 // black to blue
    ramp[128 + i] = (255 - 2 * i) * 0x10000 + 0x200 * i;   // blue to green
    ramp[256 + i] = 0xFF00 + 2 * i;                        // green to yellow
    ramp[384 + i] = (255 - 2 * i) * 0x100 + 0xFF;          // yellow to red
  }
}

}  // namespace wavelet
