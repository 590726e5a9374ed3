// The window's reports and pictures without a printer: the batch's one PDF of
// reports, and "Save image as..." writing the bytes wavelet-batch --images writes.

#include <QCheckBox>
#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "support/Analysis.h"
#include "support/AppTestSupport.h"
#include "app/CanvasWidget.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "print/ReportPrinting.h"
#include "session/Workbench.h"

using wavelet::TSDIAppForm;

namespace {

using apptest::ReadAll;

QString PdfInfo(const QString& path) {
  QProcess process;
  process.start("pdfinfo", {path});
  process.waitForFinished(30000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class ReportsAndPicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void BatchWithoutPrinterWritesOnePdfPagePerRecord();
  void CancelledOrUnwritablePdfKeepsEveryRow();
  void SavedImagesAreTheBatchToolsPictures();
  void MapPictureIsTheToolsForTheRecordShown();
  void ToolPagesLookLikeTheWindowsPrint();

 private:
  void OpenAnalyse(int count);
  void CheckRows(int count);
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSDIAppForm> window_;
};

void ReportsAndPicturesTest::init() { apptest::OpenScratchWindow(dir_, window_); }

void ReportsAndPicturesTest::cleanup() {
  window_.reset();
  dir_.reset();
}

// A map draws the rise and fall of its own record's basic analysis, even when the
// record before it was analysed and mapped: the window's map of P0002, reached with auto
// calculation on after P0001's, is the batch tool's map picture byte for byte.
void ReportsAndPicturesTest::MapPictureIsTheToolsForTheRecordShown() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.Button1->click();        // P0001's basic analysis
  w.RadioButton3->click();   // map
  w.Button1->click();
  w.RadioButton4->setChecked(true);  // auto calculation on
  w.ScrollBarFile->setValue(1);
  QTemporaryDir saved, tool;
  QProcess batch;
  batch.start(WAVELET_BINARY_DIR "/wavelet-batch",
              {"-q", "--images", tool.path(), "--display", "map",
               QDir(dir_->path()).filePath("P0002.R01")});
  QVERIFY(batch.waitForFinished(60000));
  QCOMPARE(batch.exitCode(), 0);
  const QString path = QDir(saved.path()).filePath("P0002.R01_M.png");
  w.ImageW[3]->SavePathChooser = [&] { return path; };
  w.ImageW[3]->SaveImageAs();
  QCOMPARE(ReadAll(path), ReadAll(QDir(tool.path()).filePath("P0002.R01_M.png")));
}

void ReportsAndPicturesTest::OpenAnalyse(int count) {
  apptest::WriteRecords(dir_->path(), count);
  apptest::ListAndAnalyse(*window_, dir_->path(),
                          [](int, const QString& name) { return name.endsWith(".R01"); });
  QCOMPARE(window_->ListBox2->count(), count);
}

// Every record's row, as the workbench's row function builds it.
void ReportsAndPicturesTest::CheckRows(int count) {
  TSDIAppForm& w = *window_;
  QCOMPARE(w.Cursor().BatchRow, count + 1);
  wavelet::Workbench bench;
  bench.StartUp();
  for (int i = 1; i <= count; ++i) {
    const QString name = QString("P%1.R01").arg(i, 4, 10, QChar('0'));
    const std::vector<std::string> row =
        wavelet::testing::WorkbenchRow(bench, QDir(dir_->path()).filePath(name).toStdString(), name.toStdString());
    for (int c = 0; c < wavelet::kBatchGridColumns; ++c) QCOMPARE(w.Grid().Cell(c, i), row[c]);
  }
}

void ReportsAndPicturesTest::BatchWithoutPrinterWritesOnePdfPagePerRecord() {
  if (wavelet::SystemPrinterAvailable()) QSKIP("a printer is installed; the batch prints there");
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  QString proposed;
  int asked = 0;
  const QString path = QDir(dir_->path()).filePath("batch.pdf");
  w.ReportsPathChooser = [&](const QString& offered) {
    ++asked;
    proposed = offered;
    return path;
  };
  w.CheckBoxBP->setChecked(true);
  w.Button2->click();
  QCOMPARE(asked, 1);
  QCOMPARE(proposed, QDir(dir_->path()).filePath("reports.pdf"));
  QCOMPARE(w.LastErrorText(), QString());
  const QString info = PdfInfo(path);
  QVERIFY2(info.contains(QRegularExpression("Pages:\\s+3\\n")), qPrintable(info));
  CheckRows(3);
  QCOMPARE(QDir(dir_->path()).entryList({".*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
}

void ReportsAndPicturesTest::CancelledOrUnwritablePdfKeepsEveryRow() {
  if (wavelet::SystemPrinterAvailable()) QSKIP("a printer is installed; the batch prints there");
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  QString path;  // empty: cancelled
  w.ReportsPathChooser = [&](const QString&) { return path; };
  w.CheckBoxBP->setChecked(true);
  w.Button2->click();
  QCOMPARE(w.LastErrorText(), QString());  // cancelled: no printing and no word
  QCOMPARE(QDir(dir_->path()).entryList({"*.pdf"}, QDir::Files), QStringList());
  CheckRows(2);
  path = QDir(dir_->path()).filePath("no/such/dir/reports.pdf");
  w.Button2->click();
  QCOMPARE(w.LastErrorText(), "Cannot write [" + path + "]");
  CheckRows(2);
}

// The window after a record change with auto calculation on, in the basic display,
// saves the same bytes as the batch tool writes for that record.
void ReportsAndPicturesTest::SavedImagesAreTheBatchToolsPictures() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.RadioButton4->setChecked(true);  // auto calculation on
  w.ScrollBarFile->setValue(1);
  QTemporaryDir saved, tool;
  const QString record = QDir(dir_->path()).filePath("P0002.R01");
  QProcess batch;
  batch.start(WAVELET_BINARY_DIR "/wavelet-batch", {"-q", "--images", tool.path(), record});
  QVERIFY(batch.waitForFinished(60000));
  QCOMPARE(batch.exitCode(), 0);
  for (int i = 0; i < wavelet::kImageCount; ++i) {
    const QString name = QString("P0002.R01%1.png").arg(wavelet::PictureSuffix(i));
    const QString path = QDir(saved.path()).filePath(name);
    w.ImageW[i]->SavePathChooser = [&] { return path; };
    w.ImageW[i]->SaveImageAs();
    const QByteArray bytes = ReadAll(path);
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(bytes, ReadAll(QDir(tool.path()).filePath(name)));
  }
  // A failed save goes to the window's error box.
  const QString nowhere = QDir(saved.path()).filePath("no/such/x.png");
  QVERIFY(!w.ImageW[0]->SaveImageTo(nowhere));
  QCOMPARE(w.LastErrorText(), "Cannot write [" + nowhere + "]");
}

// Rendered, the tool's page of a record is the window's printed PDF page of it.
void ReportsAndPicturesTest::ToolPagesLookLikeTheWindowsPrint() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.ScrollBarFile->setValue(1);
  QTemporaryDir out;
  const QString printed = QDir(out.path()).filePath("window.pdf");
  QPrinter printer(QPrinter::HighResolution);
  apptest::SetUpPdf(printer, printed);
  QCOMPARE(w.PrintReportTo(printer), static_cast<int>(wavelet::PrintStatus::Printed));
  const QString tool = QDir(out.path()).filePath("tool.pdf");
  QProcess batch;
  batch.start(WAVELET_BINARY_DIR "/wavelet-batch",
              {"-q", "--reports", tool, QDir(dir_->path()).filePath("P0001.R01"),
               QDir(dir_->path()).filePath("P0002.R01")});
  QVERIFY(batch.waitForFinished(60000));
  QCOMPARE(batch.exitCode(), 0);
  const auto render = [](const QString& pdf, int page) { return apptest::RenderedPdfPage(pdf, page, 40); };
  const QByteArray windowPage = render(printed, 1);
  QVERIFY(windowPage.size() > 1000);
  QCOMPARE(render(tool, 2), windowPage);
  QVERIFY(render(tool, 1) != windowPage);
}

QTEST_MAIN(ReportsAndPicturesTest)
#include "test_reports_and_pictures.moc"
