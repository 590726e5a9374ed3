#include "acquisition/BeatTemplate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "acquisition/BeatMeasures.h"
#include "analysis/LatePotentials.h"

namespace wavelet::averaging {
namespace {

constexpr int kTemplateBeats = 21;
// The spans below are relative to the template's QRS onset or offset. The QRS is
// correlated with a small guard on either side, and at 40..200 ms.
constexpr int kQrsGuard = 10;
constexpr int kShortestCorrelation = 40;
constexpr int kLongestCorrelation = 200;
constexpr Span kNoiseBeforeOnset{-150, -20};  // PR and TP: the high-pass rings past the QRS,
constexpr Span kNoiseAfterOffset{40, 240};    // so the guard after it is the longer
// The knots lie on the flattest 20 ms of the template's PR segment, looked for from
// 80 to 10 ms before its QRS onset: the P wave and the QRS's first slope move it.
constexpr Span kKnotSearch{-80, -10};
constexpr int kKnotLength = 20;
// Without a QRS from the late-potential rule on the template: a nominal 100 ms QRS
// centred on its largest vector magnitude within 60 ms of the fiducial point.
constexpr int kNominalHalfQrs = 50;
constexpr int kPeakSearch = 60;

enum class Central { Median, Mean };

// The median or the mean, sample by sample, of the beats around `centres`, each lead
// of each beat first levelled by its own mean, so that their levels do not spread the
// median.
LeadSamples CentralBeat(const UsableLeads& leads, const std::vector<Index>& centres, Central central) {
  LeadSamples beat{};
  const std::size_t count = centres.size();
  std::vector<double> levels(count), values(count);
  for (int l = 0; l < 3; ++l) {
    const double* x = leads.Lead(l);
    for (std::size_t k = 0; k < count; ++k) {
      double sum = 0.0;
      for (Index j = centres[k] - kTemplateCentre; j < centres[k] + kTemplateCentre; ++j) sum += x[j];
      levels[k] = sum / kSamplesPerLead;
    }
    for (int j = 0; j < kSamplesPerLead; ++j) {
      double sum = 0.0;
      for (std::size_t k = 0; k < count; ++k) {
        values[k] = x[centres[k] - kTemplateCentre + j] - levels[k];
        sum += values[k];
      }
      double v = sum / static_cast<double>(count);
      if (central == Central::Median) {
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>(count / 2);
        std::nth_element(values.begin(), middle, values.end());
        v = *middle;
        if (count % 2 == 0) v = (v + *std::max_element(values.begin(), middle)) / 2.0;
      }
      beat[At(l)][At(j)] = v;
    }
  }
  return beat;
}

// The first sample of the largest vector magnitude within kPeakSearch of the centre.
int LargestMagnitudeNearCentre(const LeadSamples& beat) {
  int best = kTemplateCentre;
  double largest = -1.0;
  for (int j = kTemplateCentre - kPeakSearch; j <= kTemplateCentre + kPeakSearch; ++j) {
    const double v = beat[0][At(j)] * beat[0][At(j)] + beat[1][At(j)] * beat[1][At(j)] +
                     beat[2][At(j)] * beat[2][At(j)];
    if (v > largest) {
      largest = v;
      best = j;
    }
  }
  return best;
}

// The 20 samples before `onset` with the least sum of absolute steps over the leads
// (the earliest of equal ones).
Span FlattestBeforeOnset(const LeadSamples& beat, int onset) {
  Span best{onset + kKnotSearch.First, onset + kKnotSearch.First + kKnotLength};
  double least = -1.0;
  for (int first = onset + kKnotSearch.First; first + kKnotLength <= onset + kKnotSearch.Last; ++first) {
    double steps = 0.0;
    for (const auto& lead : beat) {
      for (int j = first; j + 1 < first + kKnotLength; ++j) {
        const int at = kTemplateCentre + j;
        if (at >= 0 && at + 1 < kSamplesPerLead) steps += std::fabs(lead[At(at + 1)] - lead[At(at)]);
      }
    }
    if (least < 0.0 || steps < least) {
      least = steps;
      best = {first, first + kKnotLength};
    }
  }
  return best;
}

// The frame of a template whose fiducial point is at kTemplateCentre.
BeatFrame FrameOf(const LeadSamples& beat, int onsetAt) {
  const LatePotentialFigures figures = ComputeLatePotentials(beat, 1.0);
  if (figures.QrsFound) {
    return FrameAround(beat, figures.Onset - kTemplateCentre, figures.Offset - kTemplateCentre, true, onsetAt);
  }
  const int peak = LargestMagnitudeNearCentre(beat) - kTemplateCentre;
  return FrameAround(beat, peak - kNominalHalfQrs, peak + kNominalHalfQrs, false, onsetAt);
}

}  // namespace

std::vector<Index> TemplateBeats(const UsableLeads& leads, const std::vector<Index>& beats) {
  std::vector<Index> complete;
  for (Index b : beats) {
    if (leads.Usable(b - kTemplateCentre - kMaxShift, b + kTemplateCentre + kMaxShift + 1)) complete.push_back(b);
  }
  const std::size_t count = std::min<std::size_t>(complete.size(), kTemplateBeats);
  std::vector<Index> chosen;
  for (std::size_t i = 0; i < count; ++i) chosen.push_back(complete[(2 * i + 1) * complete.size() / (2 * count)]);
  return chosen;
}

BeatFrame FrameAround(const LeadSamples& beat, int onset, int offset, bool qrsFound, int onsetAt) {
  BeatFrame f;
  f.QrsFound = qrsFound;
  f.Onset = onset;
  f.Offset = offset;
  // The correlation reads the template: its span stays inside it.
  const int first = std::clamp(onset - kQrsGuard, -kTemplateCentre, kTemplateCentre - kShortestCorrelation);
  const int length = std::clamp(offset + kQrsGuard - first, kShortestCorrelation, kLongestCorrelation);
  f.Correlation = {first, std::min(first + length, kTemplateCentre)};
  f.Record = {onset - onsetAt, onset - onsetAt + kSamplesPerLead};
  f.Averaged = {f.Record.First - kPlacementMargin, f.Record.Last + kPlacementMargin};
  f.NoiseBefore = {onset + kNoiseBeforeOnset.First, onset + kNoiseBeforeOnset.Last};
  f.NoiseAfter = {offset + kNoiseAfterOffset.First, offset + kNoiseAfterOffset.Last};
  f.Knot = FlattestBeforeOnset(beat, onset);
  const int lowest = std::min({f.Correlation.First, f.Averaged.First, f.NoiseBefore.First - kWarmUp,
                               f.NoiseAfter.First - kWarmUp, f.Knot.First});
  const int highest = std::max({f.Correlation.Last, f.Averaged.Last, f.NoiseAfter.Last});
  f.Footprint = {lowest - kMaxShift, highest + kMaxShift + 1};
  return f;
}

BeatTemplate BuildTemplate(const UsableLeads& leads, const std::vector<Index>& centres, int onsetAt,
                           const std::optional<BeatFrame>& frame) {
  BeatTemplate t;
  t.Beat = CentralBeat(leads, centres, Central::Median);
  const QrsTemplate median(t.Beat, kTemplateCentre, (frame ? *frame : FrameOf(t.Beat, onsetAt)).Correlation);
  std::vector<Index> matching;
  for (Index c : centres) {
    const QrsTemplate::Match m = median.Align(leads, c);
    if (m.Correlation >= kMatchingCorrelation) matching.push_back(c + m.Shift);
  }
  if (!matching.empty()) t.Beat = CentralBeat(leads, matching, Central::Mean);
  t.Frame = frame ? *frame : FrameOf(t.Beat, onsetAt);
  return t;
}

}  // namespace wavelet::averaging
