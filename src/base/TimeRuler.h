#pragma once
// The time ruler along the bottom of each lead's picture: a tick every 10 transform
// positions (10 ms) across the 400 positions, every fifth longer and heavier, every
// tenth longer and heavier still. The screen and the printed page draw the same ruler,
// each in its own units.

namespace wavelet {

inline constexpr int kTimeRulerTicks = 41;        // k = 0..40
inline constexpr int kTimeRulerTickSpacing = 10;  // transform positions between ticks

struct TimeRulerTick {
  int Length;  // in the drawing's vertical unit
  int Weight;  // pen widths: 1, 2 or 3 times the drawing's thinnest pen
};

constexpr TimeRulerTick TimeRulerTickAt(int k) {
  if (k % 10 == 0) return {7, 3};
  if (k % 5 == 0) return {5, 2};
  return {3, 1};
}

}  // namespace wavelet
