#pragma once
// Shared helpers of the window tests: numbered records (support/Records.h) written
// into a directory, the window's labels and lists, and closing the message boxes the
// window opens.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <string>

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

inline QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace apptest
