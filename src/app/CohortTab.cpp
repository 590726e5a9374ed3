// The cohort tab: after a batch, "Cohort..." on the batch sheet picks a labels file
// and the positive group; the tab shows the study of the batch's records (the
// criteria's and the figures' tables and the pictures) as wavelet-cohort computes it
// from the same rows. It follows every new batch: a batch starting empties it, and
// the batch's end shows the study of its records, never of an earlier batch.

#include <QChartView>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"
#include "charts/CohortCharts.h"
#include "cohort/CohortTables.h"
#include "cohort/Labels.h"
#include "output/LatePotentialTexts.h"

namespace wavelet {
namespace {

constexpr int kChartWidth = 470;
constexpr int kChartHeight = 329;

QTableWidget* NewTable(QWidget* parent, const char* name) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(18);
  table->horizontalHeader()->setDefaultSectionSize(64);
  return table;
}

void FillTable(QTableWidget* table, const cohort::Table& cells) {
  table->clear();
  table->setColumnCount(static_cast<int>(cells.Titles.size()));
  table->setRowCount(static_cast<int>(cells.Rows.size()));
  QStringList titles;
  for (const std::string& title : cells.Titles) titles << QString::fromStdString(title).replace('_', '\n');
  table->setHorizontalHeaderLabels(titles);
  for (int r = 0; r < table->rowCount(); ++r) {
    const std::vector<std::string>& row = cells.Rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < table->columnCount() && c < static_cast<int>(row.size()); ++c) {
      auto* item = new QTableWidgetItem(QString::fromStdString(row[static_cast<std::size_t>(c)]));
      item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(r, c, item);
    }
  }
  table->resizeColumnsToContents();
  table->setColumnWidth(0, 110);
}

}  // namespace

void TSDIAppForm::BuildCohortTab() {
  // "Cohort..." below the batch sheet's grid.
  ButtonCohort = new QPushButton("Cohort...", Panel7);
  ButtonCohort->setObjectName("ButtonCohort");
  ButtonCohort->setToolTip("Compare the groups of a labels file over the records of this batch");
  ButtonCohort->setEnabled(false);
  auto* row = new QHBoxLayout();
  row->addStretch();
  row->addWidget(ButtonCohort);
  static_cast<QVBoxLayout*>(Panel7->layout())->addLayout(row);
  connect(ButtonCohort, &QPushButton::clicked, this, [this] { Guarded([this] { CohortClick(); }); });

  auto* panel = new QFrame(TabSheet6);
  panel->setObjectName("Panel9");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* outer = new QVBoxLayout(TabSheet6);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panel);
  auto* layout = new QVBoxLayout(panel);
  CohortCaption = new QLabel(panel);
  CohortCaption->setObjectName("CohortCaption");
  CohortCaption->setWordWrap(true);
  layout->addWidget(CohortCaption);
  CohortCriteria = NewTable(panel, "CohortCriteria");
  CohortCriteria->setFixedHeight(248);
  layout->addWidget(CohortCriteria);
  CohortAucs = NewTable(panel, "CohortAucs");
  CohortAucs->setFixedHeight(176);
  layout->addWidget(CohortAucs);
  auto* scroll = new QScrollArea(panel);
  scroll->setObjectName("CohortPictures");
  CohortPictureArea = new QWidget();
  new QGridLayout(CohortPictureArea);
  scroll->setWidget(CohortPictureArea);
  scroll->setWidgetResizable(true);
  layout->addWidget(scroll, 1);
  ClearCohort();
}

void TSDIAppForm::ClearCohort() {
  if (CohortCaption == nullptr) return;
  CohortCriteria->clear();
  CohortCriteria->setRowCount(0);
  CohortCriteria->setColumnCount(0);
  CohortAucs->clear();
  CohortAucs->setRowCount(0);
  CohortAucs->setColumnCount(0);
  for (QChartView* view : CohortPictureArea->findChildren<QChartView*>()) delete view;
  CohortCaption->setText(cohortLabels_.empty()
                             ? QString("No cohort: after a batch, press \"Cohort...\" on the batch data output "
                                       "sheet and choose a labels file and the positive group.")
                             : QString("The cohort follows the batch: it is shown when the batch ends."));
}

void TSDIAppForm::CohortClick() {
  if (batchRunning_ || batchRecords_ < 0) {
    ShowError("Run a batch first: the cohort is made of the batch's records.");
    return;
  }
  QString path;
  if (LabelsChooser) {
    path = LabelsChooser();
  } else {
    QFileDialog dialog(this, "Labels of the records", DirectoryListBox1->Directory(),
                       "CSV (*.csv);;all files (*)");
    dialog.setObjectName("LabelsDialog");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().front();
  }
  if (path.isEmpty()) return;
  const cohort::LabelsRead labels = cohort::ReadLabels(ToBytes(path), "group");
  if (!labels.Ok) {
    ShowError(DisplayText(labels.Error));
    return;
  }
  std::vector<std::string> names;
  for (int r = 1; r <= batchRecords_; ++r) names.push_back(Grid().Cell(0, r));
  const std::vector<std::string> groups =
      cohort::MatchedGroups(labels.Labels, cohort::MatchLabels(labels.Labels, names));
  if (groups.empty()) {
    ShowError("No record of this batch has a label in [" + path + "].");
    return;
  }
  QStringList choices;
  for (const std::string& group : groups) choices << DisplayText(group);
  QString chosen;
  if (GroupChooser) {
    chosen = GroupChooser(choices);
  } else {
    bool ok = false;
    chosen = QInputDialog::getItem(this, "Cohort", "The positive group (the patients):", choices, 0, false, &ok);
    if (!ok) chosen.clear();
  }
  const qsizetype index = choices.indexOf(chosen);
  if (index < 0) return;
  cohortLabels_ = ToBytes(path);
  cohortGroup_ = groups[static_cast<std::size_t>(index)];
  ShowCohort();
  PageControl1->setCurrentWidget(TabSheet6);
}

void TSDIAppForm::ShowCohort() {
  ClearCohort();
  if (cohortLabels_.empty() || batchRecords_ < 0) return;
  const cohort::LabelsRead labels = cohort::ReadLabels(cohortLabels_, "group");
  if (!labels.Ok) {
    CohortCaption->setText("No cohort for this batch: " + DisplayText(labels.Error));
    return;
  }
  std::vector<std::string> names;
  for (int r = 1; r <= batchRecords_; ++r) names.push_back(Grid().Cell(0, r));
  const cohort::Matching matching = cohort::MatchLabels(labels.Labels, names);
  const std::vector<std::string> groups = cohort::MatchedGroups(labels.Labels, matching);
  if (std::find(groups.begin(), groups.end(), cohortGroup_) == groups.end()) {
    CohortCaption->setText("No cohort for this batch: none of its records is labelled \"" +
                           DisplayText(cohortGroup_) + "\" in [" + DisplayText(cohortLabels_) + "].");
    return;
  }
  std::vector<std::string> others;
  for (const std::string& group : groups) {
    if (group != cohortGroup_) others.push_back(group);
  }
  const std::vector<std::string> titles = BatchGridColumns();
  std::vector<cohort::CohortRecord> records;
  for (int r = 1; r <= batchRecords_; ++r) {
    const int label = matching.LabelOf[static_cast<std::size_t>(r - 1)];
    if (label < 0) continue;
    std::vector<std::string> cells;
    for (int c = 0; c < kBatchGridColumns; ++c) cells.push_back(Grid().Cell(c, r));
    const std::string& group = labels.Labels[static_cast<std::size_t>(label)].Group;
    static const std::vector<std::string> blank;
    records.push_back(cohort::MakeCohortRecord(
        names[static_cast<std::size_t>(r - 1)], group, group == cohortGroup_, cells,
        static_cast<std::size_t>(r - 1) < batchLatePotentials_.size()
            ? batchLatePotentials_[static_cast<std::size_t>(r - 1)] : blank));
  }
  const cohort::CohortReport report = cohort::BuildReport(
      records, cohortGroup_, others.size() == 1 ? others[0] : "not " + cohortGroup_);
  CohortCaption->setText(QString("Cohort of this batch's %1 labelled records (%2 left out: without a label, "
                                 "or a record given twice): %3 (%4) against %5 (%6); labels [%7].")
                             .arg(records.size())
                             .arg(matching.Unlabelled.size() + matching.Repeated.size())
                             .arg(DisplayText(report.PositiveGroup))
                             .arg(report.PositiveRecords)
                             .arg(DisplayText(report.NegativeGroup))
                             .arg(report.NegativeRecords)
                             .arg(DisplayText(cohortLabels_)));
  FillTable(CohortCriteria, report.Criteria);
  FillTable(CohortAucs, report.Aucs);
  auto* grid = static_cast<QGridLayout*>(CohortPictureArea->layout());
  int at = 0;
  for (charts::CohortPicture& picture : charts::CohortPictures(report)) {
    auto* view = new QChartView(picture.Chart.release(), CohortPictureArea);  // the view owns it
    view->setObjectName(QString::fromStdString("CohortChart_" + picture.Stem));
    view->setRenderHint(QPainter::Antialiasing);
    view->setFixedSize(kChartWidth, kChartHeight);
    grid->addWidget(view, at / 2, at % 2);
    ++at;
  }
}

}  // namespace wavelet
