#include "acquisition/BeatDetection.h"

#include <algorithm>
#include <cmath>

namespace wavelet::averaging {
namespace {

// The detector follows the usual band-pass, square, integrate scheme on all three
// leads at once. The band-pass is the difference of two adjacent 10 ms boxcars (a
// peak near 37 Hz, a fifth of it at 5 Hz and nothing at 0 Hz), so neither the
// baseline nor the T wave reaches the energy; the energy is summed over the leads and
// integrated over 30 ms. Both are running sums, so the pass costs a few additions per
// sample whatever the widths.
constexpr Index kBoxcar = 10;
constexpr Index kIntegration = 30;
// The integrated energy at n is centred on sample n - kDelay.
constexpr Index kDelay = (2 * kBoxcar - 1 + kIntegration - 1) / 2;
constexpr Index kHistory = 32;  // a power of two above 2 kBoxcar
static_assert(kHistory >= 2 * kBoxcar + 1 && (kHistory & (kHistory - 1)) == 0);

// The threshold is a fraction of the median of the largest energies of 2 s segments:
// nearly every segment holds a beat, and the median ignores the few segments with an
// ectopic beat, a burst or a pause.
constexpr Index kSegment = 2000;
constexpr double kThresholdFraction = 0.2;
// After a crossing the peak is looked for this long; the next complex cannot begin
// within the refractory period after a peak (200 beats/min at most).
constexpr Index kPeakSearch = 150;
constexpr Index kRefractory = 300;

// Calls visit(i, energy) for every sample i in turn with the integrated QRS-band
// energy there. An unusable sample counts as the lead's last usable value and the
// signal before the start as the first, so the sums start from rest.
// The running sums of the energy; Add takes each lead's sample now, kBoxcar and
// 2 kBoxcar samples back.
class EnergySums {
 public:
  double Add(const std::array<double, 3>& now, const std::array<double, 3>& behind,
             const std::array<double, 3>& further) {
    double sum = 0.0;
    for (std::size_t l = 0; l < 3; ++l) {
      band_[l] += now[l] - 2.0 * behind[l] + further[l];
      sum += band_[l] * band_[l];
    }
    integrated_ += sum - recent_[oldest_];
    recent_[oldest_] = sum;
    oldest_ = oldest_ + 1 == recent_.size() ? 0 : oldest_ + 1;
    return integrated_;
  }

 private:
  std::array<double, 3> band_{};
  std::array<double, kIntegration> recent_{};
  std::size_t oldest_ = 0;
  double integrated_ = 0.0;
};

double FirstUsable(const double* x, Index length) {
  const Index first = std::find_if(x, x + length, IsUsableSample) - x;
  return first < length ? x[first] : 0.0;
}

// Every sample is usable: the samples back are read from the recording itself.
template <typename Visit>
void ForEachEnergyOfUsable(const UsableLeads& leads, Visit& visit) {
  const std::array<const double*, 3> x = {leads.Lead(0), leads.Lead(1), leads.Lead(2)};
  EnergySums sums;
  auto at = [&](Index i) { return std::array<double, 3>{x[0][i], x[1][i], x[2][i]}; };
  auto atOrFirst = [&](Index i) { return at(std::max<Index>(i, 0)); };
  const Index warm = std::min(leads.Length(), 2 * kBoxcar);
  for (Index i = 0; i < warm; ++i) {
    visit(i, sums.Add(at(i), atOrFirst(i - kBoxcar), atOrFirst(i - 2 * kBoxcar)));
  }
  for (Index i = warm; i < leads.Length(); ++i) {
    visit(i, sums.Add(at(i), at(i - kBoxcar), at(i - 2 * kBoxcar)));
  }
}

// Some samples are unusable: each lead holds its last usable value, and the held
// values of the last kHistory samples are kept to be read back.
template <typename Visit>
void ForEachEnergyHolding(const UsableLeads& leads, Visit& visit) {
  std::array<double, 3> held{};
  std::array<std::array<double, 3>, kHistory> history{};
  for (std::size_t l = 0; l < 3; ++l) held[l] = FirstUsable(leads.Lead(static_cast<int>(l)), leads.Length());
  history.fill(held);
  EnergySums sums;
  auto slot = [](Index i) { return static_cast<std::size_t>(i & (kHistory - 1)); };
  for (Index i = 0; i < leads.Length(); ++i) {
    for (std::size_t l = 0; l < 3; ++l) {
      const double v = leads.Lead(static_cast<int>(l))[i];
      if (IsUsableSample(v)) held[l] = v;
    }
    history[slot(i)] = held;
    visit(i, sums.Add(held, history[slot(i - kBoxcar)], history[slot(i - 2 * kBoxcar)]));
  }
}

// Calls visit(i, energy) for every sample i in turn with the integrated QRS-band
// energy there. An unusable sample counts as the lead's last usable value and the
// signal before the start as the first, so the sums start from rest.
template <typename Visit>
void ForEachEnergy(const UsableLeads& leads, Visit visit) {
  if (leads.UnusableCount() > 0) {
    ForEachEnergyHolding(leads, visit);
  } else {
    ForEachEnergyOfUsable(leads, visit);
  }
}

double DetectionThreshold(const std::vector<float>& energy) {
  std::vector<float> peaks;
  for (std::size_t first = 0; first < energy.size(); first += kSegment) {
    const std::size_t last = std::min(energy.size(), first + static_cast<std::size_t>(kSegment));
    peaks.push_back(*std::max_element(energy.begin() + static_cast<std::ptrdiff_t>(first),
                                      energy.begin() + static_cast<std::ptrdiff_t>(last)));
  }
  if (peaks.empty()) return 0.0;
  const auto middle = peaks.begin() + static_cast<std::ptrdiff_t>(peaks.size() / 2);
  std::nth_element(peaks.begin(), middle, peaks.end());
  return kThresholdFraction * *middle;
}

}  // namespace

bool IsUsableSample(double microvolts) {
  // False for NaN and both infinities too.
  return std::fabs(microvolts) <= kLargestUsableMicrovolts;
}

UsableLeads::UsableLeads(const Recording& recording) {
  std::size_t length = recording.Microvolts[0].size();
  for (const auto& lead : recording.Microvolts) {
    lengthsDiffer_ = lengthsDiffer_ || lead.size() != recording.Microvolts[0].size();
    length = std::min(length, lead.size());
  }
  length_ = static_cast<Index>(length);
  for (std::size_t l = 0; l < 3; ++l) leads_[l] = recording.Microvolts[l].data();
  // Nearly every recording is usable throughout: one branch-free look first.
  int all = 1;
  for (Index i = 0; i < length_; ++i) {
    all &= static_cast<int>(IsUsableSample(leads_[0][i])) & static_cast<int>(IsUsableSample(leads_[1][i])) &
           static_cast<int>(IsUsableSample(leads_[2][i]));
  }
  if (all != 0) return;
  for (Index i = 0; i < length_; ++i) {
    if (IsUsableSample(leads_[0][i]) && IsUsableSample(leads_[1][i]) && IsUsableSample(leads_[2][i])) {
      continue;
    }
    ++unusableCount_;
    if (!unusable_.empty() && unusable_.back().Last == i) {
      unusable_.back().Last = i + 1;
    } else {
      unusable_.push_back({i, i + 1});
    }
  }
}

bool UsableLeads::Usable(Index first, Index last) const {
  if (first < 0 || last > length_ || first >= last) return false;
  // The first run that ends after `first` must begin at or after `last`.
  const auto run = std::upper_bound(unusable_.begin(), unusable_.end(), first,
                                    [](Index at, const Run& r) { return at < r.Last; });
  return run == unusable_.end() || run->First >= last;
}

std::vector<Index> FindBeats(const UsableLeads& leads) {
  // Kept as floats: the threshold and the peaks need nothing finer, and a day's
  // recording needs a third of a gigabyte for them instead of two thirds.
  std::vector<float> energy(static_cast<std::size_t>(leads.Length()));
  ForEachEnergy(leads, [&](Index i, double e) { energy[static_cast<std::size_t>(i)] = static_cast<float>(e); });
  std::vector<Index> beats;
  const double threshold = DetectionThreshold(energy);
  if (!(threshold > 0.0)) return beats;  // flat: nothing stands out
  const Index n = leads.Length();
  for (Index i = 0; i < n;) {
    if (!(energy[static_cast<std::size_t>(i)] > threshold)) {
      ++i;
      continue;
    }
    const auto from = energy.begin() + i;
    const Index peak = std::max_element(from, from + std::min(kPeakSearch, n - i)) - energy.begin();
    beats.push_back(std::max<Index>(peak - kDelay, 0));
    i = peak + kRefractory;
  }
  return beats;
}

}  // namespace wavelet::averaging
