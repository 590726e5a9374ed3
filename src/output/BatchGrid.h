#pragma once
// The batch grid: the patient header's columns, then one column per result, one
// title row and one row per record of a batch.

#include <string>
#include <vector>

#include "output/PatientHeader.h"
#include "output/ResultColumns.h"

namespace wavelet {

inline constexpr int kBatchGridColumns = kPatientFieldCount + kResultColumnCount;
inline constexpr int kBatchGridStartRows = 7;

class BatchGrid {
 public:
  explicit BatchGrid(int rowCount = kBatchGridStartRows);

  int RowCount() const { return rowCount_; }
  // Rows beyond the new count are dropped; new rows start empty. Negative counts
  // are taken as 0.
  void SetRowCount(int rowCount);

  // Reads outside the grid give "", writes outside it are ignored.
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string text);

 private:
  int rowCount_ = 0;
  std::vector<std::string> cells_;  // row-major, kBatchGridColumns per row
};

// The batch cursor through which every writer of the grid addresses its next cell.
struct BatchCursor {
  int BatchMode = 0;
  int BatchRow = 1;
  int BatchColumn = 0;
};

// While BatchMode is 1: cell (BatchColumn, BatchRow) = text, ++BatchColumn.
// Otherwise nothing changes.
void WriteBatchCell(BatchGrid&, BatchCursor&, const std::string& text);

// The column titles: the patient header's, then the results'.
std::vector<std::string> BatchGridColumns();

// Writes the titles into row 0 through BatchColumn, which ends at 0 again.
void WriteBatchGridTitles(BatchGrid&, BatchCursor&);

}  // namespace wavelet
