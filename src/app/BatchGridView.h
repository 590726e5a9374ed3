#pragma once
// The batch grid on screen: the title row is the header, and the file-name column is
// frozen in a second view laid over the first, so both stay visible while scrolling.
// Columns can be resized by the user; cells are not editable.

#include <QTableView>

namespace wavelet {

class BatchGridView : public QTableView {
  Q_OBJECT

 public:
  explicit BatchGridView(QAbstractItemModel* model, QWidget* parent = nullptr);

  QTableView* FrozenColumn() const { return frozen_; }
  // Width of a grid column (column 0 is the frozen one).
  int GridColumnWidth(int column) const { return columnWidth(column); }
  void SetGridColumnWidth(int column, int width);
  void SetDefaultColumnWidth(int width);
  void SetDefaultRowHeight(int height);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  void updateGeometries() override;

 private:
  void ShowOnlyFirstColumn();
  void UpdateFrozenGeometry();

  QTableView* frozen_ = nullptr;
};

}  // namespace wavelet
