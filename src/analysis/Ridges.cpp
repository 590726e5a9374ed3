#include "analysis/Ridges.h"

#include <array>
#include <cstdlib>

#include "analysis/Features.h"

namespace wavelet {

namespace {

constexpr int kCentreMarker = 1000;
constexpr int kNeighbourReach = 3;
constexpr int kLeadNeighbourBonus = 100;

using LeadFlags = std::array<std::array<int, kPositions>, kScales>;

// Scores every retained maximum of lead k by its neighbours over all scales; returns
// the largest score written.
int ScoreMaxima(LeadFlags& f, int k, const FeatureWindows& w) {
  int maxScore = 0;
  for (int p = w.PeakFrom; p < w.PeakTo; ++p) {
    for (int s = 0; s < kScales; ++s) {
      if (f[s][p] != 1) continue;
      int score = 0;
      for (int t = 0; t < kScales; ++t) {
        for (int j = -kNeighbourReach; j <= kNeighbourReach; ++j) {
          if (f[t][p + j] < 1) continue;
          score += 4 - std::abs(j);
          // The bonus follows the distance of the scale from the LEAD index.
          if (std::abs(k - t) == 1) score += kLeadNeighbourBonus;
        }
      }
      if (score > maxScore) maxScore = score;
      f[s][p] = score;
    }
  }
  return maxScore;
}

bool HasLevelAt(const LeadFlags& f, int p, int level) {
  for (int t = 0; t < kScales; ++t)
    if (f[t][p] == level) return true;
  return false;
}

// Absorbs the members around p into one group and marks its centre on every scale
// that had a member. Returns the centre, or -1 when there was no member (a level at
// or above the marker value can match a marker, which is no member).
int FormGroup(LeadFlags& f, int p) {
  std::array<bool, kScales> hasMember{};
  int positionSum = 0;
  int members = 0;
  for (int t = 0; t < kScales; ++t) {
    for (int j = -kNeighbourReach; j <= kNeighbourReach; ++j) {
      // Only stale flags left by a caller that skipped the reset could pull a centre
      // near the edge; never read past it.
      if (p + j < 0 || p + j >= kPositions) continue;
      int& v = f[t][p + j];
      if (v > 0 && v < kCentreMarker) {
        v = 0;
        hasMember[t] = true;
        positionSum += p + j;
        ++members;
      }
    }
  }
  if (members == 0) return -1;
  const int c = positionSum / members;
  for (int t = 0; t < kScales; ++t)
    if (hasMember[t]) f[t][c] = kCentreMarker;
  return c;
}

void GroupMaxima(LeadFlags& f, int maxScore, const FeatureWindows& w) {
  // Every group zeroes at least one member and members are never created, so the
  // backwards steps to a centre cannot repeat forever. Members only ever lie in the
  // window, so centres do too and p never leaves it on the left.
  for (int level = maxScore; level >= 1; --level) {
    int p = w.PeakFrom;
    while (p < w.PeakTo) {
      if (HasLevelAt(f, p, level)) {
        const int c = FormGroup(f, p);
        if (c >= 0) p = c;
      }
      ++p;
    }
  }
}

void MarkRidges(const LeadFlags& f, std::array<int, kPositions>& ridge, const FeatureWindows& w) {
  for (int t = 1; t <= kScales - 2; ++t)
    for (int p = w.PeakFrom; p < w.PeakTo; ++p)
      if (f[t - 1][p] == kCentreMarker && f[t][p] == kCentreMarker &&
          f[t + 1][p] == kCentreMarker)
        ridge[p] = 1;
}

}  // namespace

void FindRidges(AnalysisState& state, const LoadedRecord& record) {
  const FeatureWindows w = ComputeFeatureWindows(record.QrsOnset, record.QrsOffset);

  int maxScore = 0;
  for (int k = 0; k < kLeads; ++k) {
    const int leadMax = ScoreMaxima(state.PeakFlags[k], k, w);
    if (leadMax > maxScore) maxScore = leadMax;
  }
  for (int k = 0; k < kLeads; ++k) {
    GroupMaxima(state.PeakFlags[k], maxScore, w);
    MarkRidges(state.PeakFlags[k], state.RidgeFlags[k], w);
  }

  AnalysisResults& r = state.Results;
  for (int k = 0; k < kLeads; ++k) {
    int count = 0;
    int first = 0;
    int last = 0;
    for (int p = w.PeakFrom; p < w.PeakTo; ++p) {
      if (state.RidgeFlags[k][p] != 1) continue;
      if (first == 0) first = p;
      last = p;
      ++count;
    }
    r.CombinedPeakCount[k] = count;
    r.CombinedFirstPeak[k] = LatencyAfterOnset(first, record.QrsOnset);
    r.CombinedLastPeak[k] = LatencyAfterOnset(last, record.QrsOnset);
  }
}

}  // namespace wavelet
