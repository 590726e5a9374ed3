#include "app/BatchGridModel.h"

#include <algorithm>

#include "app/TextForms.h"

namespace wavelet {

BatchGridModel::BatchGridModel(const BatchGrid* grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), shownRows_(std::max(0, grid->RowCount() - 1)) {}

int BatchGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int BatchGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kBatchGridColumns;
}

QVariant BatchGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  return DisplayText(grid_->Cell(index.column(), index.row() + 1));
}

QVariant BatchGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The tooltip gives the whole title where the 50-pixel columns cut it.
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  if (orientation == Qt::Horizontal) return DisplayText(grid_->Cell(section, 0));
  return {};
}

Qt::ItemFlags BatchGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void BatchGridModel::GridReshaped() {
  beginResetModel();
  shownRows_ = std::max(0, grid_->RowCount() - 1);
  endResetModel();
}

void BatchGridModel::GridRowChanged(int gridRow) {
  if (gridRow == 0) {
    emit headerDataChanged(Qt::Horizontal, 0, kBatchGridColumns - 1);
    return;
  }
  if (grid_->RowCount() - 1 != shownRows_) {
    GridReshaped();
    return;
  }
  if (gridRow < 1 || gridRow > shownRows_) return;
  emit dataChanged(index(gridRow - 1, 0), index(gridRow - 1, kBatchGridColumns - 1),
                   {Qt::DisplayRole});
}

}  // namespace wavelet
