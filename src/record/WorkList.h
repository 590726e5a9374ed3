#pragma once
// The moves between the candidate list and the work list ("Add >>", "<< Delete").

#include <string>
#include <vector>

namespace wavelet {

// Moves from[i] for every selected i (scanned from the last index down, inserted
// at the old end of `to`), so moved names keep their order at the end of `to`.
// Indices of `from` beyond `selected` count as not selected.
void MoveSelectedEntries(std::vector<std::string>& from,
                         const std::vector<bool>& selected,
                         std::vector<std::string>& to);

}  // namespace wavelet
