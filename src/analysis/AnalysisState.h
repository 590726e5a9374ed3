#pragma once
// The one analysis state of the program: fixed-size arrays filled for the record on
// display and read by the views, the sheet, the batch grid and the report.
//
// Index conventions: LeadIndex 0 = X, 1 = Y, 2 = Z, 3 = M (M is formed by the
// transform); ScaleIndex 0..7 are the rows of ScaleTable (shown to users as 1..8);
// TransformPosition p = 0..399 stands for sample p + 260. Lead-by-scale tables are
// lead-major, [lead][scale].

#include <array>
#include <cstdint>

#include "base/Colour.h"

namespace wavelet {

inline constexpr int kLeads = 4;
inline constexpr int kScales = 8;
inline constexpr int kPositions = 400;
inline constexpr int kFirstTransformSample = 260;
inline constexpr int kWaveletTableSize = 220;
// Room for a retained maximum at every position of every lead and scale, plus the
// terminator, so no maximum is ever dropped whatever the input.
inline constexpr int kPeakListCapacity = kLeads * kScales * kPositions + 1;

enum LeadIndex : int { LeadX = 0, LeadY = 1, LeadZ = 2, LeadM = 3 };
using ScaleIndex = int;
using TransformPosition = int;

using LeadScaleInts = std::array<std::array<int, kScales>, kLeads>;
using LeadScaleDoubles = std::array<std::array<double, kScales>, kLeads>;
using LeadInts = std::array<int, kLeads>;
using LeadDoubles = std::array<double, kLeads>;
using LeadPositions = std::array<std::array<double, kPositions>, kLeads>;

struct WaveletTablesData {
  std::array<double, kWaveletTableSize> Sine{};
  std::array<double, kWaveletTableSize> Cosine{};
  std::array<double, kWaveletTableSize> Gaussian{};
};

// The tables of one basic scale, kept from record to record: they depend on the scale
// and the Morlet frequency alone (a plan made once, used for every record), and
// computing them is a fair share of a record's analysis.
struct WaveletPlan {
  bool Made = false;
  double Scale = 0.0;
  double Frequency = 0.0;
  int HalfWidth = 0;
  WaveletTablesData Tables{};
};

struct PeakListData {
  std::array<int, kPeakListCapacity> PeakListPosition{};
  std::array<int, kPeakListCapacity> PeakListHeight{};
  std::array<int, kPeakListCapacity> PeakListLead{};
  std::array<int, kPeakListCapacity> PeakListScale{};
};

// The per-lead, per-scale results, the combined results, thresholds and judgements.
struct AnalysisResults {
  LeadScaleInts PeakCount{};
  LeadScaleInts LastPeak{};
  LeadScaleInts Fqrs{};
  LeadScaleInts RisePosition{};
  LeadScaleInts FallPosition{};
  int AreaJudge = 0;
  int CountJudge = 0;
  int LastPeakJudge = 0;
  int Judge1 = 0;
  int Judge2 = 0;
  int CountThreshold = 0;
  int FqrsThreshold = 0;
  int FqrsJudge = 0;
  double AreaThreshold = 0.0;
  double LastPeakThreshold = 0.0;
  LeadScaleDoubles Area{};
  LeadDoubles ScaleArea{};
  LeadInts CombinedPeakCount{};
  LeadInts CombinedFirstPeak{};
  LeadInts CombinedLastPeak{};
};

// How the analysis tab is set: the display mode, auto calculation, the scale button,
// the check boxes beside "basic" (peak squares, ridge lines) and the gain slider. The
// one home of these settings: the state keeps the window's, and a headless caller
// hands its own to the workbench.
struct DisplaySettings {
  int DisplayMode = 0;       // 0 basic, 1 spectrogram, 2 map
  int AutoCalculation = 0;   // 1 = on
  double SelectedScale = 2.0;
  bool Dots = true;
  bool Lines = true;
  int GainPosition = 70;     // the gain slider's position; gain 30 at start
};

struct AnalysisState {
  // Start-up values (InitialiseAnalysisState).
  std::array<double, kScales> ScaleTable{};
  double MorletFrequency = 5.3;
  double PlotDivisor = 0.5;  // start-up turns it into 20 / 0.5 = 40
  DisplaySettings Display;
  std::array<Colour, kScaleColourCount> ScaleColours{};
  std::array<Colour, kColourRampSize> ColourRamp{};

  // Transform buffers: always the scale computed last.
  double WaveletDilation = 0.0;
  int WaveletHalfWidth = 0;
  WaveletTablesData WaveletTables{};
  std::array<WaveletPlan, kScales> WaveletPlans{};
  LeadPositions TransformReal{};
  LeadPositions TransformImag{};
  LeadPositions TransformMagnitude{};

  // Per-record accumulators.
  std::array<std::array<std::array<int, kPositions>, kScales>, kLeads> PeakFlags{};
  std::array<std::array<int, kPositions>, kLeads> RidgeFlags{};
  PeakListData PeakList{};
  int PeakListCount = 0;

  AnalysisResults Results{};

  // Set by the per-scale features when the record's QRS onset/offset lie outside
  // 290 <= onset < offset <= 607: its windows were clamped to the positions whose
  // neighbours exist (or, with the onset not before the offset, left empty).
  bool WindowsClamped = false;
};

// Start-up values, in this order: PlotDivisor, ScaleTable, ScaleColours, ColourRamp,
// then the four thresholds. Everything else keeps its zero (or in-class) value.
void InitialiseAnalysisState(AnalysisState& state);

// Empties the per-record accumulators (peak flags, counts, last peaks, ridge flags,
// peak list). Rise, fall, fQRS, areas, combined values and judgements are left alone:
// every basic analysis overwrites them.
void ClearAnalysisAccumulators(AnalysisState& state);

}  // namespace wavelet
