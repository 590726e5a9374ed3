#pragma once
// A read-only table model over the core batch grid: grid row 0 (the titles) is the
// horizontal header, grid rows 1.. are the model's rows 0.., all 157 columns.

#include <QAbstractTableModel>

#include "output/BatchGrid.h"

namespace wavelet {

class BatchGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit BatchGridModel(const BatchGrid* grid, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Tell the views what the core changed: a new row count, one grid row's cells, or
  // the title row.
  void GridReshaped();
  void GridRowChanged(int gridRow);

 private:
  const BatchGrid* grid_;
  int shownRows_ = 0;
};

}  // namespace wavelet
