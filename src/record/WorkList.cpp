#include "record/WorkList.h"

namespace wavelet {

// Scanning from the last index down and inserting every hit at the same index (the
// old end of `to`) leaves the moved names in their original order; collecting them
// front to back and appending gives the same lists in linear time.
void MoveSelectedEntries(std::vector<std::string>& from, const std::vector<bool>& selected,
                         std::vector<std::string>& to) {
  std::vector<std::string> kept;
  kept.reserve(from.size());
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (i < selected.size() && selected[i]) {
      to.push_back(std::move(from[i]));
    } else {
      kept.push_back(std::move(from[i]));
    }
  }
  from = std::move(kept);
}

}  // namespace wavelet
