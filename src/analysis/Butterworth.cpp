#include "analysis/Butterworth.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>

namespace wavelet {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The analog four-pole Butterworth prototype (cut-off 1 rad/s) is the product of
// 1 / (s^2 + 2 cos(phi) s + 1) over its pole pairs at phi = pi/8 and 3 pi/8 from the
// negative real axis; the better damped pair comes first and the more resonant one
// last, the usual order of a cascade.
constexpr std::array<double, kButterworthSections> kPolePairAngles = {kPi / 8.0, 3.0 * kPi / 8.0};

// tan(pi fc / fs): the pre-warped cut-off that the bilinear transform
// s = 2 fs (z - 1) / (z + 1) maps exactly onto fc.
double PrewarpedCutoff(double cutoffHz, double samplingRateHz) {
  if (!(samplingRateHz > 0.0) || !std::isfinite(samplingRateHz) || !(cutoffHz > 0.0) ||
      !(cutoffHz < samplingRateHz / 2.0)) {
    throw std::invalid_argument("Butterworth cut-off must lie between 0 and half the sampling rate");
  }
  return std::tan(kPi * cutoffHz / samplingRateHz);
}

// With s/wc = (1/k)(1 - z^-1)/(1 + z^-1) for the low-pass and k (1 + z^-1)/(1 - z^-1)
// for the high-pass, both sections share one denominator:
//   (1 + d k + k^2) + 2 (k^2 - 1) z^-1 + (1 - d k + k^2) z^-2,  d = 2 cos(phi).
ButterworthSections Design(double cutoffHz, double samplingRateHz, bool highPass) {
  const double k = PrewarpedCutoff(cutoffHz, samplingRateHz);
  ButterworthSections sections{};
  for (int i = 0; i < kButterworthSections; ++i) {
    const double d = 2.0 * std::cos(kPolePairAngles[static_cast<std::size_t>(i)]);
    const double a0 = 1.0 + d * k + k * k;
    const double gain = highPass ? 1.0 / a0 : k * k / a0;
    const double middle = highPass ? -2.0 : 2.0;
    sections[static_cast<std::size_t>(i)] = {gain, middle * gain, gain, 2.0 * (k * k - 1.0) / a0,
                                             (1.0 - d * k + k * k) / a0};
  }
  return sections;
}

// Filters `Channels` signals of `count` samples side by side through `Sections`
// sections: their recursions are independent, so the processor overlaps them, and
// with both counts fixed the states stay in registers. Output j is written after
// input j is read, so the two may be the same memory.
template <std::size_t Channels, std::size_t Sections>
void Run(const BiquadSection* sections, const std::array<const double*, Channels>& in,
         const std::array<double*, Channels>& out, std::size_t count, bool forward) {
  std::array<std::array<BiquadState, Sections>, Channels> z;
  for (std::size_t c = 0; c < Channels; ++c) {
    SteadyStates(std::span(sections, Sections), forward ? in[c][0] : in[c][count - 1], z[c]);
  }
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t j = forward ? step : count - 1 - step;
    std::array<double, Channels> x;
    for (std::size_t c = 0; c < Channels; ++c) x[c] = in[c][j];
    for (std::size_t i = 0; i < Sections; ++i) {
      const BiquadSection& s = sections[i];
      for (std::size_t c = 0; c < Channels; ++c) {
        BiquadState& state = z[c][i];
        const double y = s.B0 * x[c] + state.S1;
        state.S1 = s.B1 * x[c] - s.A1 * y + state.S2;
        state.S2 = s.B2 * x[c] - s.A2 * y;
        x[c] = y;
      }
    }
    for (std::size_t c = 0; c < Channels; ++c) out[c][j] = x[c];
  }
}

// Run with the section count fixed at compile time, for each count up to the limit.
template <std::size_t Channels, std::size_t... Counts>
void RunAnyCount(std::span<const BiquadSection> sections, const std::array<const double*, Channels>& in,
                 const std::array<double*, Channels>& out, std::size_t count,
                 FilterDirection direction, std::index_sequence<Counts...>) {
  if (sections.size() > kMaxCascadeSections) {
    throw std::invalid_argument("FilterFromSteadyState: cascade too long");
  }
  if (count == 0) return;
  if (sections.empty()) {
    for (std::size_t c = 0; c < Channels; ++c) std::copy(in[c], in[c] + count, out[c]);
    return;
  }
  const bool forward = direction == FilterDirection::Forward;
  ((sections.size() == Counts + 1 ? Run<Channels, Counts + 1>(sections.data(), in, out, count, forward)
                                  : void()),
   ...);
}

template <std::size_t Channels>
void Run(std::span<const BiquadSection> sections, const std::array<const double*, Channels>& in,
         const std::array<double*, Channels>& out, std::size_t count, FilterDirection direction) {
  RunAnyCount<Channels>(sections, in, out, count, direction,
                        std::make_index_sequence<kMaxCascadeSections>());
}

}  // namespace

ButterworthSections ButterworthHighPass(double cutoffHz, double samplingRateHz) {
  return Design(cutoffHz, samplingRateHz, true);
}

ButterworthSections ButterworthLowPass(double cutoffHz, double samplingRateHz) {
  return Design(cutoffHz, samplingRateHz, false);
}

void SteadyStates(std::span<const BiquadSection> sections, double input,
                  std::span<BiquadState> states) {
  double x = input;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const BiquadSection& s = sections[i];
    // The section's DC gain; a high-pass has B0 + B1 + B2 == 0 exactly.
    const double y = x * ((s.B0 + s.B1 + s.B2) / (1.0 + s.A1 + s.A2));
    states[i] = {y - s.B0 * x, s.B2 * x - s.A2 * y};
    x = y;
  }
}

void FilterFromSteadyState(std::span<const BiquadSection> sections, std::span<const double> input,
                           std::span<double> output, FilterDirection direction) {
  if (output.size() != input.size()) {
    throw std::invalid_argument("FilterFromSteadyState: input and output sizes differ");
  }
  Run<1>(sections, {input.data()}, {output.data()}, input.size(), direction);
}

void FilterTripleFromSteadyState(std::span<const BiquadSection> sections, const SignalTriple& signals,
                                 FilterDirection direction) {
  const std::size_t count = signals[0].size();
  if (signals[1].size() != count || signals[2].size() != count) {
    throw std::invalid_argument("FilterTripleFromSteadyState: the signals differ in length");
  }
  Run<3>(sections, {signals[0].data(), signals[1].data(), signals[2].data()},
         {signals[0].data(), signals[1].data(), signals[2].data()}, count, direction);
}

}  // namespace wavelet
