#pragma once
// The CSV form of the batch grid.

#include <string>
#include <string_view>
#include <vector>

#include "base/Outcome.h"
#include "output/BatchGrid.h"

namespace wavelet {

// Every cell followed by a comma, CR LF at the end. A cell holding a comma, a double
// quote, CR or LF is quoted (inner quotes doubled) so it cannot shift or split the
// line; every other cell is written byte for byte.
std::string CsvLine(const std::vector<std::string>& cells);
// Appends the CSV line of a grid row (157 cells) to `out`.
void AppendGridRowCsv(std::string& out, const BatchGrid&, int row);

// Rows 0 to recordCount (cells beyond the grid are empty), written atomically.
Outcome WriteGridCsv(const std::string& path, const BatchGrid&, int recordCount);

}  // namespace wavelet
