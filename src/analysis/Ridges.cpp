#include "analysis/Ridges.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

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

// The scan of one level over the window, exactly as the rule reads: a match forms a
// group and the scan goes on after its centre (possibly a little backwards).
void ScanLevel(LeadFlags& f, int level, const FeatureWindows& w) {
  int p = w.PeakFrom;
  while (p < w.PeakTo) {
    if (HasLevelAt(f, p, level)) {
      const int c = FormGroup(f, p);
      if (c >= 0) p = c;
    }
    ++p;
  }
}

// Grouping only ever writes 0 and the marker, so below the marker value a level can
// match only cells that held it after scoring. Such a cell is a member of the group
// formed around it, and a group empties every member within three positions, which
// covers every position the scan steps back over or jumps past. So visiting just the
// positions that held the level, in ascending order, forms the same groups as the
// full scan. Levels at or above the marker (degenerate signals only) keep the full
// scan, since markers and scores that high are never emptied.
void GroupMaximaFast(LeadFlags& f, int maxScore, const FeatureWindows& w) {
  struct Candidate {
    int Level;
    int Position;
  };
  std::vector<Candidate> candidates;
  std::vector<char> highLevels(
      maxScore >= kCentreMarker ? static_cast<std::size_t>(maxScore - kCentreMarker) + 1 : 0, 0);
  if (!highLevels.empty()) highLevels[0] = 1;  // markers can match level 1000
  for (int p = w.PeakFrom; p < w.PeakTo; ++p) {
    for (int t = 0; t < kScales; ++t) {
      const int v = f[t][p];
      if (v >= 1 && v < kCentreMarker)
        candidates.push_back({v, p});
      else if (v >= kCentreMarker && v <= maxScore)
        highLevels[static_cast<std::size_t>(v - kCentreMarker)] = 1;
    }
  }
  for (int level = maxScore; level >= kCentreMarker; --level)
    if (highLevels[static_cast<std::size_t>(level - kCentreMarker)]) ScanLevel(f, level, w);

  // Levels descending, positions ascending within a level.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
    return x.Level != y.Level ? x.Level > y.Level : x.Position < y.Position;
  });
  for (const Candidate& c : candidates) {
    if (c.Level > maxScore) continue;  // stale values above every score are never visited
    if (HasLevelAt(f, c.Position, c.Level)) FormGroup(f, c.Position);
  }
}

void GroupMaximaPlain(LeadFlags& f, int maxScore, const FeatureWindows& w) {
  for (int level = maxScore; level >= 1; --level) ScanLevel(f, level, w);
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
  FindRidges(state, record, RidgeGrouping::Fast);
}

void FindRidges(AnalysisState& state, const LoadedRecord& record, RidgeGrouping grouping) {
  const FeatureWindows w = ComputeFeatureWindows(record.QrsOnset, record.QrsOffset);

  int maxScore = 0;
  for (int k = 0; k < kLeads; ++k) {
    const int leadMax = ScoreMaxima(state.PeakFlags[k], k, w);
    if (leadMax > maxScore) maxScore = leadMax;
  }
  for (int k = 0; k < kLeads; ++k) {
    if (grouping == RidgeGrouping::Fast)
      GroupMaximaFast(state.PeakFlags[k], maxScore, w);
    else
      GroupMaximaPlain(state.PeakFlags[k], maxScore, w);
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
