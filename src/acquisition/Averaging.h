#pragma once
// Signal averaging: a recording's beats reduced to one 800-sample beat per lead,
// placed so that the late-potential rule finds its QRS onset at a chosen sample.
//
// The steps, each a standard one of signal-averaged ECG:
//   - QRS complexes are found on the band-passed energy of all three leads with a
//     refractory period (acquisition/BeatDetection.h);
//   - the template is the mean of those of 21 beats spread over the recording that
//     match their median beat (acquisition/BeatTemplate.h); the late-potential rule
//     on it gives the QRS the beats are compared over;
//   - each beat is aligned to the template by cross-correlation over that QRS within
//     +-15 ms; beats correlating below 0.97 (premature and aberrant ones) and beats
//     whose high-frequency noise outside the QRS exceeds twice the median of the beats
//     (muscle bursts) are left out;
//   - the baseline under the beats is a cubic spline through their PR segments
//     (acquisition/Baseline.h), subtracted before the beats are added;
//   - the kept beats are averaged in recording order, stopping early at a beat count
//     or once the late-potential noise reaches a target;
//   - the record is moved within a margin until the rule's onset on the average lands
//     on the sample asked for; where the average's QRS lies well off the template's,
//     everything from the measures on is done again around the average's (a few rounds
//     at most), so the record's header onset and offset are the QRS's wherever the
//     recording starts; an average whose QRS still cannot land makes no record.

#include <optional>
#include <string>
#include <vector>

#include "acquisition/Recording.h"
#include "analysis/Features.h"
#include "record/RecordFormat.h"

namespace wavelet {

// The analysis windows take a QRS onset within these samples.
inline constexpr int kEarliestOnset = kAnalysableFirst;
inline constexpr int kLatestOnset = kAnalysableLast;
inline constexpr int kFewestAveragedBeats = 8;

struct AveragingOptions {
  int OnsetAt = 310;                    // where the averaged QRS onset is placed
  std::optional<double> NoiseTargetUv;  // stop once the late-potential noise is at most this
  std::optional<int> MaxBeats;          // stop after this many kept beats
  double MicrovoltsPerUnit = kDefaultMicrovoltsPerUnit;  // the unit of the record's samples
};

// Every beat found ends in exactly one of: kept, unused, ectopic, noisy, incomplete.
struct AveragingSummary {
  int BeatsFound = 0;
  int BeatsKept = 0;        // averaged: the record's averaging count
  int BeatsUnused = 0;      // acceptable, but after a stop was reached
  int RejectedEctopic = 0;  // correlation with the template below 0.97
  int RejectedNoisy = 0;    // high-frequency noise above twice the median
  int BeatsIncomplete = 0;  // too near an end of the recording, or over unusable samples
  int UnusableSamples = 0;  // samples that were not finite or far beyond any ECG
  // The late-potential figures of the averaged beat as the record holds it.
  double NoiseUv = 0.0;  // the rule's noise: mean filtered vector magnitude, quieter segment
  bool QrsFound = false;
  int QrsOnset = 0;  // with QrsFound false: the template's estimate (see Warnings)
  int QrsOffset = 0;
  bool QrsGuarded = false;  // the rule's P-wave guard moved the onset
  int FqrsMs = 0;
  double Rms40Uv = 0.0;
  int Las40Ms = 0;
  bool LatePotentials = false;
};

// Summary says how far the averaging got, also where it gave no beat.
struct AveragedBeat {
  AveragingSummary Summary;
  LeadSamples Microvolts{};  // the averaged beat, placed
  LeadSamples Units{};       // the same in whole units (not yet checked to fit 16 bits)
  std::vector<std::string> Warnings;  // what the caller should know about an Ok beat
};

// Refuses (not Ok, with the reason) a recording not at 1000 samples/s, options outside their ranges,
// recordings with fewer than 8 beats to average and averages whose QRS, found by the
// late-potential rule, cannot be placed on OnsetAt; never throws for any samples.
Loaded<AveragedBeat> AverageBeats(const Recording& recording, const AveragingOptions& options);

// Microvolts in whole units of `microvoltsPerUnit`, rounded to nearest (halves away
// from zero): the one conversion of averaged samples to record samples.
LeadSamples ToWholeUnits(const LeadSamples& microvolts, double microvoltsPerUnit);

}  // namespace wavelet
