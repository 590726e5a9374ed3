#include "output/BatchGrid.h"

#include <algorithm>

#include "output/PatientHeader.h"

namespace wavelet {
namespace {

const std::string kEmptyCell;

}  // namespace

BatchGrid::BatchGrid(int rowCount) { SetRowCount(rowCount); }

void BatchGrid::SetRowCount(int rowCount) {
  rowCount_ = std::max(0, rowCount);
  cells_.resize(static_cast<std::size_t>(rowCount_) * kBatchGridColumns);
}

const std::string& BatchGrid::Cell(int column, int row) const {
  if (column < 0 || column >= kBatchGridColumns || row < 0 || row >= rowCount_) return kEmptyCell;
  return cells_[static_cast<std::size_t>(row) * kBatchGridColumns + static_cast<std::size_t>(column)];
}

void BatchGrid::SetCell(int column, int row, std::string text) {
  // Writes past the last column happen (a reload during a batch print puts its
  // header cells at 157 and on) and must stay harmless.
  if (column < 0 || column >= kBatchGridColumns || row < 0 || row >= rowCount_) return;
  cells_[static_cast<std::size_t>(row) * kBatchGridColumns + static_cast<std::size_t>(column)] =
      std::move(text);
}

void WriteBatchCell(BatchGrid& grid, BatchCursor& cursor, const std::string& text) {
  if (cursor.BatchMode != 1) return;
  grid.SetCell(cursor.BatchColumn, cursor.BatchRow, text);
  ++cursor.BatchColumn;
}

std::vector<std::string> BatchGridColumns() {
  std::vector<std::string> titles;
  titles.reserve(kBatchGridColumns);
  for (const PatientHeaderEntry& entry : kPatientHeader) titles.push_back(entry.GridTitle);
  for (const ResultColumn& column : ResultColumns()) titles.push_back(column.GridTitle);
  return titles;
}

void WriteBatchGridTitles(BatchGrid& grid, BatchCursor& cursor) {
  cursor.BatchColumn = 0;
  for (const std::string& title : BatchGridColumns()) {
    grid.SetCell(cursor.BatchColumn, 0, title);
    ++cursor.BatchColumn;
  }
  cursor.BatchColumn = 0;
}

}  // namespace wavelet
