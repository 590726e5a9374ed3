#pragma once
// The colour of a pixel or a pen, as the five images store them.

#include <cstdint>

namespace wavelet {

// 0x00BBGGRR: red in the low byte.
using Colour = std::uint32_t;

inline constexpr int kScaleColourCount = 8;
inline constexpr int kColourRampSize = 512;

}  // namespace wavelet
