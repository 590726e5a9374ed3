#include "app/BatchGridView.h"

#include <QHeaderView>
#include <QScrollBar>

namespace wavelet {

BatchGridView::BatchGridView(QAbstractItemModel* model, QWidget* parent)
    : QTableView(parent), frozen_(new QTableView(this)) {
  setModel(model);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setShowGrid(true);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setMinimumSectionSize(8);
  horizontalHeader()->setHighlightSections(false);

  frozen_->setObjectName("FrozenColumn");
  frozen_->setModel(model);
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  frozen_->setWordWrap(false);
  frozen_->setTextElideMode(Qt::ElideNone);
  frozen_->verticalHeader()->hide();
  frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->horizontalHeader()->setHighlightSections(false);
  frozen_->setSelectionModel(selectionModel());
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  frozen_->setStyleSheet("QTableView { border: none; }");
  viewport()->stackUnder(frozen_);
  ShowOnlyFirstColumn();

  connect(model, &QAbstractItemModel::modelReset, this, [this] {
    frozen_->setSelectionModel(selectionModel());
    ShowOnlyFirstColumn();
  });
  // The user resizes column 0 through the main header; the frozen copy follows.
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int newSize) {
            if (section != 0) return;
            frozen_->setColumnWidth(0, newSize);
            UpdateFrozenGeometry();
          });
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  frozen_->show();
  UpdateFrozenGeometry();
}

void BatchGridView::ShowOnlyFirstColumn() {
  const int columns = model() ? model()->columnCount() : 0;
  for (int c = 1; c < columns; ++c) frozen_->setColumnHidden(c, true);
  frozen_->setColumnWidth(0, columnWidth(0));
  frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
}

void BatchGridView::SetGridColumnWidth(int column, int width) {
  setColumnWidth(column, width);
  if (column == 0) frozen_->setColumnWidth(0, width);
  UpdateFrozenGeometry();
}

void BatchGridView::SetDefaultColumnWidth(int width) {
  horizontalHeader()->setDefaultSectionSize(width);
  frozen_->horizontalHeader()->setDefaultSectionSize(width);
  const int columns = model() ? model()->columnCount() : 0;
  for (int c = 0; c < columns; ++c) setColumnWidth(c, width);
  frozen_->setColumnWidth(0, width);
  UpdateFrozenGeometry();
}

void BatchGridView::SetDefaultRowHeight(int height) {
  verticalHeader()->setMinimumSectionSize(std::min(height, verticalHeader()->minimumSectionSize()));
  verticalHeader()->setDefaultSectionSize(height);
  frozen_->verticalHeader()->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
  frozen_->verticalHeader()->setDefaultSectionSize(height);
}

void BatchGridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  UpdateFrozenGeometry();
}

QModelIndex BatchGridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
  // Keep a cell reached with the keyboard from hiding under the frozen column.
  if (cursorAction == MoveLeft && current.column() > 0 &&
      visualRect(current).topLeft().x() < frozen_->columnWidth(0)) {
    const int newValue = horizontalScrollBar()->value() + visualRect(current).topLeft().x() -
                         frozen_->columnWidth(0);
    horizontalScrollBar()->setValue(newValue);
  }
  return current;
}

void BatchGridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() > 0) QTableView::scrollTo(index, hint);
}

void BatchGridView::updateGeometries() {
  QTableView::updateGeometries();
  UpdateFrozenGeometry();
}

void BatchGridView::UpdateFrozenGeometry() {
  if (frozen_ == nullptr) return;
  frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(),
                       columnWidth(0), viewport()->height() + horizontalHeader()->height());
}

}  // namespace wavelet
