#include "acquisition/Averaging.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

#include "acquisition/Baseline.h"
#include "acquisition/BeatDetection.h"
#include "acquisition/BeatMeasures.h"
#include "acquisition/BeatTemplate.h"
#include "acquisition/Text.h"
#include "analysis/LatePotentials.h"
#include "base/Truncate.h"

namespace wavelet {
namespace {

using namespace averaging;

// A beat whose high-band noise outside the QRS exceeds this many times the median
// of the beats is left out (a muscle burst); below the floor none is, as noise-free
// beats would otherwise be judged against a median of almost nothing.
constexpr double kNoiseRatioLimit = 2.0;
constexpr double kNoiseFloorUv = 1.0;
constexpr int kPlacementSteps = 4;
constexpr int kPlacementSearch = 5;
// The template's QRS onset may be this far from the average's without a second round:
// the knot search, the noise guards and the placement margin all absorb it.
constexpr int kFrameTolerance = 10;
// Framing again around the average's QRS converges in one round nearly always; a few
// more let a far-off first frame come in, and bound the work where nothing lands.
constexpr int kReframings = 3;
// The header's averaging count holds 16 bits: the averaging stops there.
constexpr int kMostAveragedBeats = 65535;

enum class BeatClass { Incomplete, Ectopic, Noisy, Candidate };

struct BeatMeasure {
  Index Fiducial = 0;  // aligned
  double Correlation = 0.0;
  double NoiseUv = 0.0;
  BeatClass Class = BeatClass::Incomplete;
};

std::string OptionsError(const Recording& recording, const AveragingOptions& options) {
  if (recording.SamplingHz != kSamplingRateHz) {
    return "averaging needs " + std::to_string(kSamplingRateHz) + " samples/s; the recording has " +
           NumberText(recording.SamplingHz);
  }
  if (options.OnsetAt < kEarliestOnset || options.OnsetAt > kLatestOnset) {
    return "the QRS onset can be placed at samples " + std::to_string(kEarliestOnset) + ".." +
           std::to_string(kLatestOnset) + " only, not " +
           std::to_string(options.OnsetAt);
  }
  if (options.MaxBeats && *options.MaxBeats < kFewestAveragedBeats) {
    return "a beat count below " + std::to_string(kFewestAveragedBeats) + " makes no record (asked for " +
           std::to_string(*options.MaxBeats) +
           ")";
  }
  if (options.NoiseTargetUv && !(std::isfinite(*options.NoiseTargetUv) && *options.NoiseTargetUv > 0)) {
    return "the noise target must be a number of microvolts above 0";
  }
  if (!(std::isfinite(options.MicrovoltsPerUnit) && options.MicrovoltsPerUnit > 0)) {
    return "the unit must be a number of microvolts above 0";
  }
  return {};
}

double NoiseOf(const UsableLeads& leads, const BeatFrame& f, Index fiducial) {
  const double squares =
      HighBandSquares(leads, fiducial + f.NoiseBefore.First, fiducial + f.NoiseBefore.Last) +
      HighBandSquares(leads, fiducial + f.NoiseAfter.First, fiducial + f.NoiseAfter.Last);
  return std::sqrt(squares / (3.0 * (f.NoiseBefore.Length() + f.NoiseAfter.Length())));
}

std::vector<BeatMeasure> MeasureBeats(const UsableLeads& leads, const std::vector<Index>& beats,
                                      const BeatTemplate& t) {
  const QrsTemplate qrs(t.Beat, kTemplateCentre, t.Frame.Correlation);
  std::vector<BeatMeasure> measures(beats.size());
  std::vector<double> noises;
  for (std::size_t i = 0; i < beats.size(); ++i) {
    BeatMeasure& m = measures[i];
    m.Fiducial = beats[i];
    if (!leads.Usable(beats[i] + t.Frame.Footprint.First, beats[i] + t.Frame.Footprint.Last)) continue;
    const QrsTemplate::Match match = qrs.Align(leads, beats[i]);
    m.Fiducial += match.Shift;
    m.Correlation = match.Correlation;
    m.NoiseUv = NoiseOf(leads, t.Frame, m.Fiducial);
    m.Class = m.Correlation < kMatchingCorrelation ? BeatClass::Ectopic : BeatClass::Candidate;
    if (m.Class == BeatClass::Candidate) noises.push_back(m.NoiseUv);
  }
  if (noises.empty()) return measures;
  const auto middle = noises.begin() + static_cast<std::ptrdiff_t>(noises.size() / 2);
  std::nth_element(noises.begin(), middle, noises.end());
  const double limit = std::max(kNoiseRatioLimit * *middle, kNoiseFloorUv);
  for (BeatMeasure& m : measures) {
    if (m.Class == BeatClass::Candidate && m.NoiseUv > limit) m.Class = BeatClass::Noisy;
  }
  return measures;
}

BaselineKnots KnotsOf(const UsableLeads& leads, const std::vector<BeatMeasure>& measures,
                      const BeatFrame& f) {
  BaselineKnots knots;
  for (const BeatMeasure& m : measures) {
    if (m.Class != BeatClass::Candidate) continue;
    knots.Times.push_back(m.Fiducial + (f.Knot.First + f.Knot.Last) / 2);
    for (int l = 0; l < 3; ++l) {
      double sum = 0.0;
      for (Index j = m.Fiducial + f.Knot.First; j < m.Fiducial + f.Knot.Last; ++j) sum += leads.Lead(l)[j];
      knots.Values[At(l)].push_back(sum / f.Knot.Length());
    }
  }
  return knots;
}

// The running sum of the kept beats over the averaged span, baseline removed.
class BeatSum {
 public:
  BeatSum(const UsableLeads& leads, const BaselineSpline& baseline, Span averaged)
      : leads_(leads), baseline_(baseline), averaged_(averaged), below_(At(averaged.Length())) {
    for (auto& lead : sums_) lead.assign(At(averaged.Length()), 0.0);
  }

  void Add(Index fiducial) {
    const Index first = fiducial + averaged_.First;
    for (int l = 0; l < 3; ++l) {
      baseline_.Evaluate(l, first, below_);
      const double* x = leads_.Lead(l) + first;
      std::vector<double>& sum = sums_[At(l)];
      for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += x[k] - below_[k];
    }
    ++count_;
  }

  int Count() const { return count_; }

  // The mean over the 800 samples from `offset` in the averaged span.
  LeadSamples Mean(int offset) const {
    LeadSamples mean{};
    for (std::size_t l = 0; l < 3; ++l) {
      for (std::size_t j = 0; j < kSamplesPerLead; ++j) mean[l][j] = sums_[l][At(offset) + j] / count_;
    }
    return mean;
  }

 private:
  const UsableLeads& leads_;
  const BaselineSpline& baseline_;
  Span averaged_;
  std::array<std::vector<double>, 3> sums_;
  std::vector<double> below_;
  int count_ = 0;
};

double NoiseOfMean(const BeatSum& sum, int offset, double unit) {
  return ComputeLatePotentials(ToWholeUnits(sum.Mean(offset), unit), unit).NoiseMeanUv;
}

// Adds the candidates in recording order until a stop; returns whether the noise
// target (if any) was reached.
bool AddCandidates(BeatSum& sum, const std::vector<BeatMeasure>& measures,
                   const AveragingOptions& options, AveragingSummary& s) {
  bool stopped = false;
  bool reached = false;
  int nextCheck = kFewestAveragedBeats;
  for (const BeatMeasure& m : measures) {
    if (m.Class != BeatClass::Candidate) continue;
    if (stopped) {
      ++s.BeatsUnused;
      continue;
    }
    sum.Add(m.Fiducial);
    const int n = sum.Count();
    if (n >= kMostAveragedBeats || (options.MaxBeats && n >= *options.MaxBeats)) stopped = true;
    if (options.NoiseTargetUv && n >= nextCheck) {
      // The noise falls as 1/sqrt(n): check again where that predicts the target,
      // at most twice as far, so a few checks suffice.
      const double noise = NoiseOfMean(sum, kPlacementMargin, options.MicrovoltsPerUnit);
      if (noise <= *options.NoiseTargetUv) {
        stopped = reached = true;
      } else {
        const double ratio = noise / *options.NoiseTargetUv;
        const double predicted = std::min(n * ratio * ratio, 2.0 * n);
        nextCheck = std::max(n + 1, static_cast<int>(std::ceil(predicted)));
      }
    }
  }
  s.BeatsKept = sum.Count();
  return reached;
}

struct Placement {
  int Offset = kPlacementMargin;  // of the record in the averaged span
  LeadSamples Microvolts{};
  LeadSamples Units{};
  LatePotentialFigures Figures;
};

Placement PlaceAt(const BeatSum& sum, int offset, double unit) {
  Placement p;
  p.Offset = offset;
  p.Microvolts = sum.Mean(offset);
  p.Units = ToWholeUnits(p.Microvolts, unit);
  p.Figures = ComputeLatePotentials(p.Units, unit);
  return p;
}

int Miss(const Placement& p, int onsetAt) {
  return p.Figures.QrsFound ? std::abs(p.Figures.Onset - onsetAt) : kIntHighest;
}

// Moves the record within the margin until the rule's onset on it lands on OnsetAt.
// The onset moves with the window except where the window's ends (the rule's noise
// segments) change its threshold, so a few steps by the miss nearly always land; if
// they do not, the nearest offsets are tried, and else the nearest miss is kept.
Placement Place(const BeatSum& sum, const AveragingOptions& options) {
  const double unit = options.MicrovoltsPerUnit;
  Placement best = PlaceAt(sum, kPlacementMargin, unit);
  Placement p = best;
  for (int step = 0; step < kPlacementSteps && Miss(best, options.OnsetAt) > 0 && p.Figures.QrsFound; ++step) {
    const int next = std::clamp(p.Offset + p.Figures.Onset - options.OnsetAt, 0, 2 * kPlacementMargin);
    if (next == p.Offset) break;
    p = PlaceAt(sum, next, unit);
    if (Miss(p, options.OnsetAt) < Miss(best, options.OnsetAt)) best = p;
  }
  const int around = best.Offset;
  for (int d = 1; d <= kPlacementSearch && Miss(best, options.OnsetAt) > 0; ++d) {
    for (int offset : {around - d, around + d}) {
      if (offset < 0 || offset > 2 * kPlacementMargin) continue;
      p = PlaceAt(sum, offset, unit);
      if (Miss(p, options.OnsetAt) == 0) return p;
    }
  }
  return best;
}

void CountClasses(const std::vector<BeatMeasure>& measures, AveragingSummary& s) {
  s.BeatsFound = static_cast<int>(measures.size());
  for (const BeatMeasure& m : measures) {
    s.BeatsIncomplete += m.Class == BeatClass::Incomplete;
    s.RejectedEctopic += m.Class == BeatClass::Ectopic;
    s.RejectedNoisy += m.Class == BeatClass::Noisy;
  }
}

std::string TooFewText(const AveragingSummary& s, Index length) {
  const std::string unusable =
      s.UnusableSamples > 0 ? " (" + std::to_string(s.UnusableSamples) + " samples are not usable)" : "";
  if (s.BeatsFound == 0) {
    return "no QRS complexes found in the recording (" + std::to_string(length) +
           " samples): it is flat or shorter than a few beats" + unusable;
  }
  static_assert(kNoiseRatioLimit == 2.0, "the text says twice");
  return "only " + std::to_string(s.BeatsKept) + " beats could be averaged and at least " +
         std::to_string(kFewestAveragedBeats) + " are needed: of " + std::to_string(s.BeatsFound) +
         " beats found, " + std::to_string(s.RejectedEctopic) + " correlate below " +
         NumberText(kMatchingCorrelation) + " with the template (premature or aberrant), " +
         std::to_string(s.RejectedNoisy) + " are noisy (high-frequency noise above twice the median), " +
         std::to_string(s.BeatsIncomplete) +
         " lie too near an end of the recording or over unusable samples" + unusable;
}

void Summarise(const Placement& p, const BeatFrame& frame, const AveragingOptions& options,
               AveragedBeat& out) {
  AveragingSummary& s = out.Summary;
  const LatePotentialFigures& f = p.Figures;
  s.NoiseUv = f.NoiseMeanUv;
  s.QrsFound = f.QrsFound;
  if (f.QrsFound) {
    s.QrsOnset = f.Onset;
    s.QrsOffset = f.Offset;
    s.QrsGuarded = f.OnsetGuarded;
    s.FqrsMs = f.FqrsdMs;
    s.Rms40Uv = f.Rms40Uv;
    s.Las40Ms = f.Las40Ms;
    s.LatePotentials = f.LatePotentials;
  } else {
    // Where the template's QRS (or its estimate) lies in the record.
    const int shift = options.OnsetAt + kPlacementMargin - p.Offset;
    s.QrsOnset = shift;
    s.QrsOffset = shift + frame.Offset - frame.Onset;
    out.Warnings.emplace_back(
        "the late-potential rule finds no QRS on the averaged beat; the QRS onset and offset are "
        "the template's estimate");
  }
}

// One averaging over the frame of `t`: the beats measured against the template, the
// baseline through the acceptable ones, their sum and its placement.
struct Attempt {
  AveragingSummary Counts;
  bool Reached = false;  // the noise target
  std::unique_ptr<Placement> Placed;  // with at least 8 beats kept
};

Attempt AverageOver(const UsableLeads& leads, const std::vector<Index>& beats, const BeatTemplate& t,
                    const AveragingOptions& options) {
  Attempt a;
  const std::vector<BeatMeasure> measures = MeasureBeats(leads, beats, t);
  CountClasses(measures, a.Counts);
  const BaselineSpline baseline(KnotsOf(leads, measures, t.Frame));
  BeatSum sum(leads, baseline, t.Frame.Averaged);
  a.Reached = AddCandidates(sum, measures, options, a.Counts);
  if (a.Counts.BeatsKept >= kFewestAveragedBeats) a.Placed = std::make_unique<Placement>(Place(sum, options));
  return a;
}

// The QRS the rule finds on the average, as a frame: the template's own, from fewer
// beats, is noisier, so its QRS is found narrower or shifted; when the two differ
// enough to move the knots off the PR segment or the record off its onset, the
// averaging is done once more over the average's frame.
std::optional<BeatFrame> BetterFrame(const Attempt& a, const BeatTemplate& t, int onsetAt) {
  const BeatFrame& frame = t.Frame;
  if (!a.Placed || !a.Placed->Figures.QrsFound) return std::nullopt;
  const int base = frame.Record.First + a.Placed->Offset - kPlacementMargin;
  const int onset = a.Placed->Figures.Onset + base;
  const int offset = a.Placed->Figures.Offset + base;
  if (std::abs(onset - frame.Onset) <= kFrameTolerance && a.Placed->Figures.Onset == onsetAt) {
    return std::nullopt;
  }
  return FrameAround(t.Beat, onset, offset, true, onsetAt);
}

void AddWarnings(const UsableLeads& leads, const Attempt& a, const AveragingOptions& options,
                 AveragedBeat& out) {
  if (options.NoiseTargetUv && !a.Reached) {
    out.Warnings.push_back("the noise target of " + NumberText(*options.NoiseTargetUv) +
                           " uV was not reached: " + NumberText(std::round(out.Summary.NoiseUv * 100.0) / 100.0) +
                           " uV with all " + std::to_string(out.Summary.BeatsKept) + " beats");
  }
  if (leads.UnusableCount() > 0) {
    out.Warnings.push_back(std::to_string(leads.UnusableCount()) +
                           " samples were not usable (not finite, or beyond 1 V); no beat over them "
                           "was averaged");
  }
  if (leads.LengthsDiffer()) {
    out.Warnings.push_back("the leads differ in length; " + std::to_string(leads.Length()) +
                           " samples of each were used");
  }
}

}  // namespace

LeadSamples ToWholeUnits(const LeadSamples& microvolts, double microvoltsPerUnit) {
  LeadSamples units{};
  for (std::size_t l = 0; l < units.size(); ++l) {
    for (std::size_t j = 0; j < units[l].size(); ++j) units[l][j] = std::round(microvolts[l][j] / microvoltsPerUnit);
  }
  return units;
}

Loaded<AveragedBeat> AverageBeats(const Recording& recording, const AveragingOptions& options) {
  Loaded<AveragedBeat> result;
  result.Kind = FailureKind::NotARecord;
  AveragedBeat& out = result.Value;
  result.ErrorText = OptionsError(recording, options);
  if (!result.ErrorText.empty()) return result;

  const UsableLeads leads(recording);
  const int unusable = static_cast<int>(std::min<std::size_t>(leads.UnusableCount(), kIntHighest));
  const std::vector<Index> beats = FindBeats(leads);
  const std::vector<Index> centres = TemplateBeats(leads, beats);
  if (centres.empty()) {
    out.Summary.BeatsFound = out.Summary.BeatsIncomplete = static_cast<int>(beats.size());
    out.Summary.UnusableSamples = unusable;
    result.ErrorText = TooFewText(out.Summary, leads.Length());
    return result;
  }
  BeatTemplate t = BuildTemplate(leads, centres, options.OnsetAt);
  Attempt a = AverageOver(leads, beats, t, options);
  // Each round frames the beats around the QRS the rule found on the last average, so
  // a template's frame however far off (beyond the placement margin) is mended too.
  for (int round = 0; round < kReframings; ++round) {
    const std::optional<BeatFrame> better = BetterFrame(a, t, options.OnsetAt);
    if (!better) break;
    BeatTemplate reframed = BuildTemplate(leads, centres, options.OnsetAt, better);
    Attempt again = AverageOver(leads, beats, reframed, options);
    if (!again.Placed) break;
    a = std::move(again);
    t = reframed;
  }
  out.Summary = a.Counts;
  out.Summary.UnusableSamples = unusable;
  if (!a.Placed) {
    result.ErrorText = TooFewText(out.Summary, leads.Length());
    return result;
  }
  if (a.Placed->Figures.QrsFound && a.Placed->Figures.Onset != options.OnsetAt) {
    // A record's header onset must be its QRS's onset on the sample promised.
    result.ErrorText = "the QRS onset of the averaged beat could be placed at sample " +
                       std::to_string(a.Placed->Figures.Onset) + " only, not at " +
                       std::to_string(options.OnsetAt) + ", so no record is written";
    return result;
  }
  out.Microvolts = a.Placed->Microvolts;
  out.Units = a.Placed->Units;
  Summarise(*a.Placed, t.Frame, options, out);
  AddWarnings(leads, a, options, out);
  result.Ok = true;
  result.Kind = FailureKind::None;
  return result;
}

}  // namespace wavelet
