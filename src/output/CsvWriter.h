#pragma once
// The CSV form of the batch grid and of the tools' tables.

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
// The line of a table other than the grid (the late-potential table, the averaging
// table): cells quoted as CsvLine quotes them, commas between them only, so the line
// ends with its last field and CR LF as readers of CSV expect. The grid keeps
// CsvLine's trailing comma, which the batch export's readers rely on.
std::string CsvTableLine(const std::vector<std::string>& cells);
// The rows of CSV text as these lines (or any RFC 4180 writer) give them: fields split
// at commas outside double quotes, quoted fields unquoted (doubled quotes halved),
// rows ending in CR LF, LF or the end of the text; empty lines are skipped. A
// trailing comma gives a last empty field.
std::vector<std::vector<std::string>> CsvRows(std::string_view text);
// Appends the CSV line of a grid row (157 cells) to `out`.
void AppendGridRowCsv(std::string& out, const BatchGrid&, int row);

// Rows 0 to recordCount (cells beyond the grid are empty), written atomically.
Outcome WriteGridCsv(const std::string& path, const BatchGrid&, int recordCount);

}  // namespace wavelet
