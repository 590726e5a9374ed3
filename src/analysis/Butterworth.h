#pragma once
// Four-pole Butterworth filters made digital by the bilinear transform with the cut-off
// pre-warped (so the digital response is 1/sqrt(2) exactly at the cut-off), as two
// second-order sections each, and filtering a stretch of samples in either direction
// from the filter's steady state, so that the stretch's first sample does not ring.

#include <array>
#include <span>

namespace wavelet {

// One second-order section in direct form II transposed:
//   y = B0 x + S1;  S1' = B1 x - A1 y + S2;  S2' = B2 x - A2 y.
struct BiquadSection {
  double B0 = 0.0, B1 = 0.0, B2 = 0.0, A1 = 0.0, A2 = 0.0;
};

struct BiquadState {
  double S1 = 0.0, S2 = 0.0;
};

inline constexpr int kButterworthSections = 2;  // four poles
using ButterworthSections = std::array<BiquadSection, kButterworthSections>;

// `cutoffHz` must lie strictly between 0 and half of `samplingRateHz`; otherwise
// std::invalid_argument.
ButterworthSections ButterworthHighPass(double cutoffHz, double samplingRateHz);
ButterworthSections ButterworthLowPass(double cutoffHz, double samplingRateHz);

// The state of each section of the cascade `sections` after a constant `input` for
// ever (each section fed the constant output of the one before it). `states` has one
// element per section.
void SteadyStates(std::span<const BiquadSection> sections, double input,
                  std::span<BiquadState> states);

enum class FilterDirection { Forward, Backward };

// Runs `input` through the cascade into `output` (same size; may be the same memory),
// front to back starting from the steady state for input.front(), or back to front
// starting from the steady state for input.back(). At most kMaxCascadeSections;
// otherwise, or for sizes that differ, std::invalid_argument.
inline constexpr int kMaxCascadeSections = 8;
void FilterFromSteadyState(std::span<const BiquadSection> sections, std::span<const double> input,
                           std::span<double> output, FilterDirection direction);

// The same for three signals of one length (the leads X, Y, Z) in place, each from
// its own steady state, and the same numbers; filtered side by side, they take little
// more time than one.
using SignalTriple = std::array<std::span<double>, 3>;
void FilterTripleFromSteadyState(std::span<const BiquadSection> sections, const SignalTriple& signals,
                                 FilterDirection direction);

}  // namespace wavelet
