#pragma once
// The recording-wide part of the averaging: the three leads made safe for recursive
// filters, and the QRS complexes found in them. Everything after this works on short
// windows around the beats found here.

#include <array>
#include <cstddef>
#include <vector>

#include "acquisition/Recording.h"

namespace wavelet::averaging {

using Index = std::ptrdiff_t;
// An index into a recording's or a beat's samples, as the containers take it.
inline std::size_t At(Index i) { return static_cast<std::size_t>(i); }

// Far beyond any body-surface potential (electrode offsets included); a larger or a
// non-finite sample is unusable, as a filter would carry it along the recording.
inline constexpr double kLargestUsableMicrovolts = 1e6;

// X, Y, Z over the length all three have, and where they cannot be used. Only the
// beat finder runs over the whole recording, and it holds each lead's last usable
// value over an unusable sample; everything else reads windows that Usable() passed.
class UsableLeads {
 public:
  // Keeps pointers into `recording`, which must outlive this object.
  explicit UsableLeads(const Recording& recording);

  Index Length() const { return length_; }
  const double* Lead(int lead) const { return leads_[static_cast<std::size_t>(lead)]; }
  std::size_t UnusableCount() const { return unusableCount_; }
  bool LengthsDiffer() const { return lengthsDiffer_; }

  // True when [first, last) lies inside the recording and holds no unusable sample.
  bool Usable(Index first, Index last) const;

 private:
  struct Run {
    Index First, Last;  // of unusable samples (in any lead), [First, Last)
  };
  Index length_ = 0;
  bool lengthsDiffer_ = false;
  std::array<const double*, 3> leads_{};
  std::vector<Run> unusable_;  // ascending, apart
  std::size_t unusableCount_ = 0;
};

bool IsUsableSample(double microvolts);

// The fiducial points of the QRS complexes, ascending and at least a refractory
// period apart: each is the centre of the largest QRS-band energy of its complex.
std::vector<Index> FindBeats(const UsableLeads& leads);

}  // namespace wavelet::averaging
