#pragma once
// The template beat the averaging measures every beat against, and the frame it
// gives: where, around a beat's aligned fiducial point, its QRS, its noise segments,
// its baseline knot and the record lie.

#include <optional>
#include <vector>

#include "acquisition/BeatDetection.h"
#include "acquisition/BeatMeasures.h"
#include "record/RecordFormat.h"

namespace wavelet::averaging {

// The template holds 800 samples with the fiducial point in the middle.
inline constexpr int kTemplateCentre = kSamplesPerLead / 2;
// The average extends this far beyond the record on either side, so that the onset
// found on the average itself can still be moved onto its sample.
inline constexpr int kPlacementMargin = 30;

// Spans relative to a beat's aligned fiducial point.
struct BeatFrame {
  bool QrsFound = false;  // by the late-potential rule, else a nominal QRS
  int Onset = 0;
  int Offset = 0;
  Span Correlation;  // the QRS the beats are aligned and compared over
  Span Record;       // the 800 samples of the record, onset at the sample asked for
  Span Averaged;     // the record widened by kPlacementMargin on either side
  Span NoiseBefore, NoiseAfter;  // outside the QRS, for the high-band noise
  Span Knot;         // the baseline's knot: the flattest 20 ms of the PR segment
  Span Footprint;    // every sample the measures and the sum read, at any shift
};

struct BeatTemplate {
  LeadSamples Beat{};  // fiducial point at kTemplateCentre
  BeatFrame Frame;
};

// Up to 21 of `beats`, spread evenly over those whose template window can be taken
// at any shift.
std::vector<Index> TemplateBeats(const UsableLeads& leads, const std::vector<Index>& beats);

// The median beat of `centres` gives the shape, robustly against the odd ectopic
// beat among them; the template is the mean of those that match it, aligned (a median
// of beats on different levels, as a wandering baseline puts them, would keep nearly
// all of their noise). Its frame comes from the late-potential rule on it, or is
// `frame` where one is given (the QRS found on an average): the beats then match the
// median over that frame's QRS too, so a frame the rule misplaced on the few beats of
// the template lets no premature beat into it. `centres` must not be empty.
BeatTemplate BuildTemplate(const UsableLeads& leads, const std::vector<Index>& centres, int onsetAt,
                           const std::optional<BeatFrame>& frame = std::nullopt);

// The frame of a QRS from `onset` to `offset`, with the knot looked for on `beat`
// (the template).
BeatFrame FrameAround(const LeadSamples& beat, int onset, int offset, bool qrsFound, int onsetAt);

}  // namespace wavelet::averaging
