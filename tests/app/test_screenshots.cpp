// Pictures of the window on every tab and in every display mode, written to
// <build>/screenshots for a person to look at; the test checks that each picture
// shows the window at its designed size.

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTabWidget>
#include <QtTest>

#include "support/AppTestSupport.h"
#include "app/DirectoryChooser.h"
#include "app/BatchGridView.h"
#include "app/MainWindow.h"
#include "record/SampleRecords.h"

using wavelet::TSDIAppForm;

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryTabAndView();
};

void ScreenshotTest::EveryTabAndView() {
  QTemporaryDir records;
  QVERIFY(records.isValid());
  // The demo records: note one with late potentials and one without.
  int withLate = -1;
  int withoutLate = -1;
  for (int i = 0; i < 6; ++i) {
    wavelet::SampleRecordInfo info;
    const QString name = QString::fromStdString(wavelet::SampleRecordName(i));
    apptest::WriteRecord(QDir(records.path()).filePath(name), wavelet::MakeSampleRecord(7, i, &info));
    (info.LatePotentials ? withLate : withoutLate) = i;
  }
  QVERIFY(withLate >= 0 && withoutLate >= 0);
  const QString shots = QString(WAVELET_BINARY_DIR) + "/screenshots";
  QDir().mkpath(shots);

  TSDIAppForm window(nullptr, records.path() + "/..");
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.DirectoryListBox1->OpenDirectory(records.path()));
  window.ListBox1->sortItems();
  window.ListBox1->selectAll();
  window.ButtonAdd->click();
  window.ListBox1->addItem("unmoved.r01");

  auto save = [&](const QString& name) {
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    QVERIFY(picture.width() >= 1007 && picture.height() >= 868);
    QVERIFY(picture.save(shots + "/" + name + ".png"));
  };
  save("1-file-selection");

  window.ButtonAnalyse->click();
  window.RadioButton4->setChecked(true);  // auto calculation analyses the record
  window.ScrollBarFile->setValue(withLate == 0 ? 1 : withLate);
  window.ScrollBarFile->setValue(withLate);
  save("2-basic");
  window.RadioButton2->setChecked(true);
  save("3-spectrogram");
  window.RadioButton3->setChecked(true);
  save("4-map");
  window.PageControl1->setCurrentWidget(window.TabSheet3);
  save("5-calculation-data");
  window.RadioButton5->setChecked(true);
  window.Button2->click();
  window.PageControl1->setCurrentWidget(window.TabSheet4);
  save("6-batch-grid");
  window.StringGrid1->horizontalScrollBar()->setValue(window.StringGrid1->horizontalScrollBar()->maximum());
  save("6b-batch-grid-scrolled");
  window.PageControl1->setCurrentWidget(window.TabSheet2);
  window.ScrollBarFile->setValue(withoutLate);
  window.Button1->click();
  save("7-basic-plain-record");

  // The menu opened, for its Japanese captions.
  QMenu* file = window.findChild<QMenu*>("File1");
  QVERIFY(file != nullptr);
  file->popup(window.mapToGlobal(QPoint(0, 0)));
  QCoreApplication::processEvents();
  QVERIFY(file->grab().save(shots + "/8-file-menu.png"));
  file->hide();
  QVERIFY(window.menuBar()->grab().save(shots + "/9-menu-bar.png"));
}

QTEST_MAIN(ScreenshotTest)
#include "test_screenshots.moc"
