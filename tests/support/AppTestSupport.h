#pragma once
// Shared helpers of the window tests: numbered records (support/Records.h) written
// into a directory, the window's labels and lists, and closing the message boxes the
// window opens.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"

#include "support/Records.h"
#include "support/TempDir.h"

namespace apptest {

inline wavelet::RecordFields Fields(int index) { return wavelet::testing::NumberedFields(index); }
using wavelet::testing::BeatSamples;
inline wavelet::RecordBytes RecordFor(int index) { return wavelet::testing::NumberedRecord(index); }

inline void WriteBytes(const QString& path, const char* data, std::size_t size) {
  wavelet::testing::WriteAll(path.toStdString(), data, size);
}
inline void WriteRecord(const QString& path, const wavelet::RecordBytes& bytes) {
  wavelet::testing::WriteRecord(path.toStdString(), bytes);
}

// Writes records P0001.R01 .. P000n.R01 (index 1..n) into `dir`.
inline void WriteRecords(const QString& dir, int count, int first = 1) {
  for (int i = first; i < first + count; ++i) {
    WriteRecord(QDir(dir).filePath(QString("P%1.R01").arg(i, 4, 10, QChar('0'))), RecordFor(i));
  }
}

// The text of the window's label `name`.
inline QString Caption(const QWidget& window, const QString& name) {
  const QLabel* label = window.findChild<QLabel*>(name);
  return label ? label->text() : QString("<missing %1>").arg(name);
}

// Answers the next modal message box (whenever it opens) and keeps its texts.
struct MessageBoxCatcher {
  QString Title;
  QString Text;
  int Seen = 0;

  void Arm() {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      Title = box->windowTitle();
      Text = box->text();
      ++Seen;
      box->accept();
      timer->stop();
      timer->deleteLater();
    });
    timer->start();
  }
};

// Selects exactly the given rows of a list.
inline void SelectRows(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

// A window on a scratch directory whose message boxes are only recorded.
inline void OpenScratchWindow(std::unique_ptr<QTemporaryDir>& dir,
                              std::unique_ptr<wavelet::TSDIAppForm>& window) {
  dir = std::make_unique<QTemporaryDir>();
  window = std::make_unique<wavelet::TSDIAppForm>(nullptr, dir->path());
  window->SetInteractiveMessages(false);
  window->show();
}

// Lists `dir` (through its subfolder "sub": the directory shown already is no change),
// moves the names `take` accepts (by row and name) to the work list and presses
// "Analyse >>".
inline void ListAndAnalyse(wavelet::TSDIAppForm& w, const QString& dir,
                           const std::function<bool(int, const QString&)>& take) {
  QDir(dir).mkdir("sub");
  QVERIFY(w.DirectoryListBox1->OpenDirectory(QDir(dir).filePath("sub")));
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir));
  w.ListBox1->sortItems();
  for (int i = 0; i < w.ListBox1->count(); ++i) {
    w.ListBox1->item(i)->setSelected(take(i, w.ListBox1->item(i)->text()));
  }
  w.ButtonAdd->click();
  w.ButtonAnalyse->click();
}

// A file's bytes ("" when it cannot be read).
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

// A printer that writes an A4 portrait PDF file.
inline void SetUpPdf(QPrinter& printer, const QString& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
}

// Page `page` of `pdf` as pdftoppm renders it in grey at `dpi`: a PGM file's bytes, ""
// when it failed.
inline QByteArray RenderedPdfPage(const QString& pdf, int page, int dpi) {
  const QString prefix = pdf + QString::number(page);
  QProcess process;
  process.start("pdftoppm", {"-r", QString::number(dpi), "-gray", "-f", QString::number(page),
                             "-l", QString::number(page), "-singlefile", pdf, prefix});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  return ReadAll(prefix + ".pgm");
}

inline QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace apptest
