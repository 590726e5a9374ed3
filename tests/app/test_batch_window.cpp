// The batch run and the CSV export on the real window.

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <QTableWidget>
#include <QChartView>

#include "support/Analysis.h"
#include "support/AppTestSupport.h"
#include "app/BatchGridModel.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "print/ReportPrinting.h"
#include "base/AtomicFile.h"
#include "output/CsvWriter.h"
#include "record/SampleRecords.h"
#include "session/Workbench.h"

using wavelet::TSDIAppForm;

namespace {

using apptest::ReadAll;

QList<QByteArray> Lines(const QByteArray& csv) {
  QList<QByteArray> lines = csv.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// The row of one record as the workbench's row function builds it (the batch tool's
// rows come from the same function).
std::vector<std::string> CoreRow(const std::string& name, const wavelet::RecordBytes& bytes) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath(QString::fromStdString(name));
  apptest::WriteBytes(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  auto bench = std::make_unique<wavelet::Workbench>();
  bench->StartUp();
  return wavelet::testing::WorkbenchRow(*bench, path.toStdString(), name);
}

std::string Name(int index) {
  return QString("P%1.R01").arg(index, 4, 10, QChar('0')).toStdString();
}

}  // namespace

class BatchWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void ExportBeforeAnyBatch();
  void BatchOverOneAndThreeRecords();
  void ShorterSecondBatchAndStartAtRecordFive();
  void BatchAfterOnScreenAnalysisMatchesAFreshOne();
  void CommaInANameIsQuoted();
  void FailedWriteKeepsThePreviousFile();
  void UnreadableRecordsAreListedOnce();
  void ControlsAreDisabledWhileTheBatchRuns();
  void BatchPrintCancelledRunsWithoutPrintingOrAWord();
  void BatchCoversTheWorkListAsItStands();
  void CancelledPrintChangesNothing();
  void PrintToPdfReadsTheWindowsSheet();
  void BatchOrderIsTheToolsDirectoryOrder();
  void CohortTabFollowsEveryBatch();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSDIAppForm> window_;
  void OpenAnalyse(int count);
  QString Export();
};

void BatchWindowTest::init() { apptest::OpenScratchWindow(dir_, window_); }

void BatchWindowTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void BatchWindowTest::OpenAnalyse(int count) {
  if (QDir(dir_->path()).entryList({"*.R01"}, QDir::Files).isEmpty()) {
    apptest::WriteRecords(dir_->path(), count);
  }
  apptest::ListAndAnalyse(*window_, dir_->path(), [count](int row, const QString& name) {
    return row < count && name.endsWith(".R01");
  });
  QCOMPARE(window_->ListBox2->count(), count);
}

QString BatchWindowTest::Export() {
  const QString path = QDir(dir_->path()).filePath("out.csv");
  window_->SavePathChooser = [path] { return path; };
  window_->findChild<QAction*>("FileSaveAsItem")->trigger();
  return path;
}

void BatchWindowTest::ExportBeforeAnyBatch() {
  OpenAnalyse(2);
  const QList<QByteArray> lines = Lines(ReadAll(Export()));
  QCOMPARE(lines.size(), 3);
  QVERIFY(lines[0].startsWith("Filename,Pt_ID,Pt_Name,Sex,Age,Height,Weight,Race,Kasan,Date,"
                              "Time,area_X1,peak_n_X1,"));
  QVERIFY(lines[0].endsWith("s_area,s_peak_num,s_last_p,s_fqrs,judge1,judge2,\r"));
  QCOMPARE(lines[0].split(',').at(116), QByteArray("area_M1"));
  QCOMPARE(lines[0].split(',').at(150), QByteArray("c_last_n_M"));
  QCOMPARE(lines[1], QByteArray(wavelet::kBatchGridColumns, ',') + "\r");
  QCOMPARE(lines[2], QByteArray(wavelet::kBatchGridColumns, ',') + "\r");
}

void BatchWindowTest::BatchOverOneAndThreeRecords() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  w.Button2->click();
  QCOMPARE(w.Cursor().BatchRow, 2);
  QCOMPARE(w.Cursor().BatchMode, 0);
  QCOMPARE(w.Grid().RowCount(), 2);
  QCOMPARE(w.GridModel()->rowCount(), 1);
  QCOMPARE(Lines(ReadAll(Export())).size(), 2);

  // Three records: a fresh window over the same directory.
  window_ = std::make_unique<TSDIAppForm>(nullptr, dir_->path());
  window_->SetInteractiveMessages(false);
  apptest::WriteRecords(dir_->path(), 2, 2);
  OpenAnalyse(3);
  TSDIAppForm& v = *window_;
  v.RadioButton4->click();  // auto calculation on, display map: the batch resets both
  v.RadioButton3->click();
  v.Button2->click();
  QCOMPARE(v.Cursor().BatchRow, 4);
  QCOMPARE(v.Grid().RowCount(), 4);
  QVERIFY(v.RadioButton5->isChecked() && v.RadioButton1->isChecked());
  QCOMPARE(v.Analysis().Display.AutoCalculation, 0);
  QCOMPARE(v.Analysis().Display.DisplayMode, 0);
  QCOMPARE(v.ScrollBarFile->value(), 2);  // stays at the last record

  const QList<QByteArray> lines = Lines(ReadAll(Export()));
  QCOMPARE(lines.size(), 4);
  for (int r = 1; r <= 3; ++r) {
    const std::vector<std::string> expected = CoreRow(Name(r), apptest::RecordFor(r));
    QCOMPARE(lines[r], QByteArray::fromStdString(wavelet::CsvLine(expected)).chopped(1));
    QCOMPARE(lines[r].count(','), wavelet::kBatchGridColumns);
    for (int c = 0; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(v.Grid().Cell(c, r), expected[c]);
  }
}

void BatchWindowTest::ShorterSecondBatchAndStartAtRecordFive() {
  OpenAnalyse(6);
  TSDIAppForm& w = *window_;
  w.ScrollBarFile->setValue(4);  // the selector at record 5
  w.Button2->click();
  QCOMPARE(w.Grid().Cell(0, 1), Name(1));
  QCOMPARE(w.Grid().Cell(0, 6), Name(6));
  QCOMPARE(w.Grid().RowCount(), 7);

  // Back two records to the candidates, "Analyse >>", batch again: four rows.
  w.PageControl1->setCurrentWidget(w.TabSheet1);
  apptest::SelectRows(w.ListBox2, {4, 5});
  w.ButtonDelete->click();
  w.ButtonAnalyse->click();
  w.Button2->click();
  QCOMPARE(w.Grid().RowCount(), 5);
  QCOMPARE(w.Cursor().BatchRow, 5);
  QCOMPARE(w.Grid().Cell(0, 4), Name(4));
  QCOMPARE(w.Grid().Cell(0, 5), std::string());
  QCOMPARE(Lines(ReadAll(Export())).size(), 5);
}

void BatchWindowTest::BatchAfterOnScreenAnalysisMatchesAFreshOne() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.Button1->click();
  w.Button1->click();
  w.Button2->click();
  const std::vector<std::string> fresh = CoreRow(Name(1), apptest::RecordFor(1));
  for (int c = 0; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(w.Grid().Cell(c, 1), fresh[c]);
}

void BatchWindowTest::CommaInANameIsQuoted() {
  wavelet::RecordFields f = apptest::Fields(1);
  f.PatientName = "DOE, \"JO\"";
  const wavelet::RecordBytes bytes =
      wavelet::EncodeRecord(f, apptest::BeatSamples(1, f.QrsOnset, f.QrsOffset));
  apptest::WriteBytes(QDir(dir_->path()).filePath("P0001.R01"),
                      reinterpret_cast<const char*>(bytes.data()), bytes.size());
  OpenAnalyse(1);
  window_->Button2->click();
  const QList<QByteArray> lines = Lines(ReadAll(Export()));
  QCOMPARE(lines.size(), 2);
  QVERIFY(lines[1].contains(",\"DOE, \"\"JO\"\"\","));
  QVERIFY(lines[1].endsWith(",\r"));
}

void BatchWindowTest::FailedWriteKeepsThePreviousFile() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  const QString missing = QDir(dir_->path()).filePath("no-such-dir/out.csv");
  w.SavePathChooser = [missing] { return missing; };
  w.SetInteractiveMessages(true);
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.findChild<QAction*>("FileSaveAsItem")->trigger();
  QCOMPARE(box.Seen, 1);
  QCOMPARE(box.Title, QString("Error"));
  QCOMPARE(box.Text, "Cannot write [" + missing + "]");
  QVERIFY(!QFile::exists(missing));

  // A target that cannot be replaced (a directory of that name) keeps what was there.
  w.SetInteractiveMessages(false);
  const QString blocked = QDir(dir_->path()).filePath("blocked.csv");
  QDir(dir_->path()).mkpath("blocked.csv/inside");
  w.SavePathChooser = [blocked] { return blocked; };
  w.findChild<QAction*>("FileSaveAsItem")->trigger();
  QCOMPARE(w.LastErrorText(), "Cannot write [" + blocked + "]");
  QVERIFY(QFileInfo(blocked).isDir());
  QCOMPARE(QDir(dir_->path()).entryList({"*.tmp*", ".*csv*"}, QDir::Files | QDir::Hidden).size(), 0);
}

void BatchWindowTest::UnreadableRecordsAreListedOnce() {
  OpenAnalyse(4);
  TSDIAppForm& w = *window_;
  w.Button2->click();  // a full first run fills row 2
  QVERIFY(!w.Grid().Cell(20, 2).empty());
  QVERIFY(QFile::remove(QDir(dir_->path()).filePath("P0002.R01")));
  apptest::WriteBytes(QDir(dir_->path()).filePath("P0003.R01"), "short", 5);
  w.SetInteractiveMessages(true);
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.Button2->click();
  QCOMPARE(box.Seen, 1);
  QVERIFY(box.Text.contains("P0002.R01") && box.Text.contains("P0003.R01"));
  QVERIFY(!box.Text.contains("P0004.R01"));
  QCOMPARE(w.Cursor().BatchRow, 5);
  for (int r : {2, 3}) {
    QCOMPARE(w.Grid().Cell(0, r), Name(r));
    for (int c = 1; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(w.Grid().Cell(c, r), std::string());
  }
  const std::vector<std::string> last = CoreRow(Name(4), apptest::RecordFor(4));
  for (int c = 0; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(w.Grid().Cell(c, 4), last[c]);
  QCOMPARE(Lines(ReadAll(Export())).size(), 5);
}

void BatchWindowTest::ControlsAreDisabledWhileTheBatchRuns() {
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  QAction* saveAs = w.findChild<QAction*>("FileSaveAsItem");
  bool checked = false;
  bool allDisabled = true;
  int rowsBeforeNestedStart = 0;
  QTimer::singleShot(0, &w, [&] {
    checked = w.BatchRunning();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             w.DirectoryListBox1, w.ButtonAdd, w.ButtonDelete, w.ButtonAnalyse, w.Button1,
             w.Button2, w.Button3, w.RadioButton1, w.RadioButton3, w.ScaleButtons[0],
             w.CheckBoxDot, w.RadioButton4, w.ScrollBarFile}) {
      allDisabled = allDisabled && !widget->isEnabled();
    }
    allDisabled = allDisabled && !saveAs->isEnabled();
    rowsBeforeNestedStart = w.Cursor().BatchRow;
    w.Button2Click();  // a second batch cannot start inside the first
  });
  w.Button2->click();
  QVERIFY(checked);
  QVERIFY(allDisabled);
  QVERIFY(rowsBeforeNestedStart >= 1);
  QCOMPARE(w.Cursor().BatchRow, 4);
  QVERIFY(w.Button2->isEnabled() && w.ButtonAnalyse->isEnabled() && saveAs->isEnabled());
  QVERIFY(w.ScrollBarFile->isEnabled() && w.ScaleButtons[0]->isEnabled());
  QVERIFY(!w.BatchRunning());
}

// Without a printer the batch offers a PDF file; cancelling that choice runs the batch
// without printing and without an error box: the user chose not to print.
void BatchWindowTest::BatchPrintCancelledRunsWithoutPrintingOrAWord() {
  if (wavelet::SystemPrinterAvailable()) QSKIP("a printer is installed; nothing to print to here");
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  w.CheckBoxBP->setChecked(true);
  w.ReportsPathChooser = [](const QString&) { return QString(); };  // cancelled
  w.SetInteractiveMessages(true);
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.Button2->click();
  QTest::qWait(100);
  QCOMPARE(box.Seen, 0);
  QCOMPARE(w.Cursor().BatchRow, 4);
  const std::vector<std::string> last = CoreRow(Name(3), apptest::RecordFor(3));
  for (int c = 0; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(w.Grid().Cell(c, 3), last[c]);
}

// A batch covers the work list as it stands when GO is pressed: records added after
// "Analyse >>" are analysed too, and after entries are deleted the grid and the export
// hold this batch's rows alone, none of an earlier batch.
void BatchWindowTest::BatchCoversTheWorkListAsItStands() {
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  apptest::WriteRecords(dir_->path(), 3, 4);
  w.PageControl1->setCurrentWidget(w.TabSheet1);
  QVERIFY(w.DirectoryListBox1->OpenDirectory(QDir(dir_->path()).filePath("sub")));
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir_->path()));
  apptest::SelectRows(w.ListBox1, {0, 1, 2, 3, 4, 5});
  w.ButtonAdd->click();
  w.ButtonAnalyse->click();
  apptest::SelectRows(w.ListBox1, {});
  QCOMPARE(w.ListBox2->count(), 6);
  w.Button2->click();
  QCOMPARE(w.Cursor().BatchRow, 7);
  QCOMPARE(w.Grid().Cell(0, 6), Name(6));

  w.PageControl1->setCurrentWidget(w.TabSheet1);
  apptest::SelectRows(w.ListBox2, {0, 1, 2, 3});
  w.ButtonDelete->click();  // no "Analyse >>": the selector still spans six
  QCOMPARE(w.ListBox2->count(), 2);
  w.SetInteractiveMessages(true);
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.Button2->click();
  QTest::qWait(100);
  QCOMPARE(box.Seen, 0);
  QCOMPARE(w.Grid().RowCount(), 3);
  QCOMPARE(w.Grid().Cell(0, 1), Name(5));
  QCOMPARE(w.Grid().Cell(0, 2), Name(6));
  const QList<QByteArray> lines = Lines(ReadAll(Export()));
  QCOMPARE(lines.size(), 3);  // the titles and this batch's two rows
  QVERIFY(lines[1].startsWith(Name(5).c_str()) && lines[2].startsWith(Name(6).c_str()));
  QVERIFY(w.Button2->isEnabled() && w.ScrollBarFile->isEnabled() && !w.BatchRunning());
}

void BatchWindowTest::CancelledPrintChangesNothing() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  w.Button1->click();
  w.Analysis().PeakListCount = 3;  // anything a print would reset
  const QString caption = w.windowTitle();
  bool dialogShown = false;
  QTimer::singleShot(100, &w, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialogShown = true;
      dialog->reject();
    }
  });
  w.Button3->click();
  QVERIFY(dialogShown);
  QCOMPARE(w.Analysis().PeakListCount, 3);
  QCOMPARE(w.windowTitle(), caption);
}

void BatchWindowTest::PrintToPdfReadsTheWindowsSheet() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.ScrollBarFile->setValue(1);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = QDir(dir_->path()).filePath("report.pdf");
  printer.setOutputFileName(pdf);
  QCOMPARE(w.PrintReportTo(printer), static_cast<int>(wavelet::PrintStatus::Printed));
  QVERIFY(QFileInfo(pdf).size() > 1000);
  // The report ran the basic analysis of the record and refreshed the sheet.
  const std::vector<std::string> row = CoreRow(Name(2), apptest::RecordFor(2));
  QCOMPARE(w.findChild<QLabel*>("LabelA35")->text().toStdString(), row[11 + 35 * 3 + 16]);
  const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
  if (pdftotext.isEmpty()) return;
  QProcess process;
  process.start(pdftotext, {"-layout", pdf, "-"});
  QVERIFY(process.waitForFinished(30000));
  const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
  QVERIFY2(text.contains("P0002.R01") && text.contains("ID1002"), qPrintable(text.left(400)));
  QVERIFY(text.contains("[a count of local maxima >= 7 ]"));
}

// Names of mixed case and numbers of different lengths: the window's listing, work list
// and batch rows come in the order the batch tool gives the same directory.
void BatchWindowTest::BatchOrderIsTheToolsDirectoryOrder() {
  const QStringList names = {"p10.r01", "P9.R01", "b.r01", "A.r01", "P0011.r01", "p1.r01"};
  for (int i = 0; i < names.size(); ++i) {
    const wavelet::RecordBytes bytes = apptest::RecordFor(i + 1);
    apptest::WriteBytes(QDir(dir_->path()).filePath(names[i]),
                        reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  TSDIAppForm& w = *window_;
  QDir(dir_->path()).mkdir("sub");
  QVERIFY(w.DirectoryListBox1->OpenDirectory(QDir(dir_->path()).filePath("sub")));
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir_->path()));
  w.ListBox1->selectAll();
  w.ButtonAdd->click();
  w.ButtonAnalyse->click();
  w.Button2->click();

  QProcess tool;
  tool.start(QString(WAVELET_BINARY_DIR) + "/wavelet-batch", {"-q", "-j", "1", dir_->path()});
  QVERIFY(tool.waitForFinished(60000));
  const QList<QByteArray> lines = Lines(tool.readAllStandardOutput());
  QCOMPARE(lines.size(), names.size() + 1);
  QStringList toolOrder;
  QStringList windowOrder;
  for (int r = 1; r <= names.size(); ++r) {
    toolOrder << QString::fromLatin1(lines[r].left(lines[r].indexOf(',')));
    windowOrder << QString::fromStdString(w.Grid().Cell(0, r));
  }
  QCOMPARE(windowOrder, toolOrder);
  QCOMPARE(windowOrder, QStringList({"A.r01", "b.r01", "p1.r01", "P9.R01", "p10.r01", "P0011.r01"}));
}

// The cohort tab after a batch: the groups offered are the labelled ones of the
// batch's records, the tables and the pictures are those of this batch, and the next
// batch replaces them (its records alone: here only patients, so no specificity).
void BatchWindowTest::CohortTabFollowsEveryBatch() {
  // Records whose filtered QRS is found, so that the time-domain figures count too.
  for (int i = 1; i <= 4; ++i) {
    const wavelet::RecordBytes bytes = wavelet::MakeSampleRecord(29, i);
    apptest::WriteBytes(QDir(dir_->path()).filePath(QString::fromStdString(Name(i))),
                        reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  OpenAnalyse(4);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.PageControl1->count(), 6);
  QCOMPARE(w.PageControl1->tabText(5), QString("cohort"));
  QVERIFY(!w.ButtonCohort->isEnabled());
  const QString labels = QDir(dir_->path()).filePath("labels.csv");
  const QByteArray text = "record,group\nP0001,MI\np0002.r01,MI\nP0003,HC\nP0004.R01,HC\nP9999,HC\n";
  apptest::WriteBytes(labels, text.constData(), static_cast<std::size_t>(text.size()));
  w.LabelsChooser = [labels] { return labels; };
  QStringList offered;
  w.GroupChooser = [&offered](const QStringList& groups) {
    offered = groups;
    return QString("MI");
  };
  w.Button2->click();
  QVERIFY(w.ButtonCohort->isEnabled());
  w.ButtonCohort->click();
  QCOMPARE(offered, QStringList({"MI", "HC"}));
  QCOMPARE(w.PageControl1->currentWidget(), w.TabSheet6);
  QVERIFY2(w.CohortCaption->text().contains("MI (2) against HC (2)"), qPrintable(w.CohortCaption->text()));
  QCOMPARE(w.CohortCriteria->rowCount(), 10);
  QCOMPARE(w.CohortCriteria->columnCount(), 14);
  QCOMPARE(w.CohortCriteria->item(4, 0)->text(), QString("judge1"));
  auto cell = [](QTableWidget* table, int row, int column) { return table->item(row, column)->text(); };
  QCOMPARE(cell(w.CohortCriteria, 4, 1).toInt() + cell(w.CohortCriteria, 4, 2).toInt(), 2);
  QCOMPARE(cell(w.CohortCriteria, 4, 3).toInt() + cell(w.CohortCriteria, 4, 4).toInt(), 2);
  QCOMPARE(w.CohortAucs->rowCount(), 7);
  QCOMPARE(cell(w.CohortAucs, 0, 2), QString("2"));
  QCOMPARE(w.CohortPictureArea->findChildren<QChartView*>().size(), 11);
  QVERIFY(w.CohortPictureArea->findChild<QChartView*>("CohortChart_roc_wavelet") != nullptr);

  // The controls' records leave the work list; the next batch has patients only.
  w.PageControl1->setCurrentWidget(w.TabSheet1);
  apptest::SelectRows(w.ListBox2, {2, 3});
  w.ButtonDelete->click();
  w.ButtonAnalyse->click();
  w.Button2->click();
  QVERIFY2(w.CohortCaption->text().contains("MI (2) against not MI (0)"), qPrintable(w.CohortCaption->text()));
  QCOMPARE(cell(w.CohortAucs, 0, 2), QString("0"));
  QCOMPARE(cell(w.CohortCriteria, 4, 3).toInt() + cell(w.CohortCriteria, 4, 4).toInt(), 0);
  QCOMPARE(cell(w.CohortCriteria, 4, 8), QString());  // no specificity
  QCOMPARE(w.CohortPictureArea->findChildren<QChartView*>().size(), 11);
}

QTEST_MAIN(BatchWindowTest)
#include "test_batch_window.moc"
