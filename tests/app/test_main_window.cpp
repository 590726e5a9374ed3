// The main window from start-up through file selection, the work list, the patient
// selector and record loading, on the real widgets.

#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <QAction>
#include <QDialog>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

#include "support/AppTestSupport.h"
#include "app/AboutBox.h"
#include "app/BatchGridModel.h"
#include "app/BatchGridView.h"
#include "app/CanvasWidget.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "output/BatchGrid.h"
#include "record/RecordDecoder.h"
#include "record/RecordEncoder.h"
#include "version/Version.h"

using wavelet::TSDIAppForm;

namespace {

using apptest::Caption;

bool AllBlack(const wavelet::Canvas& canvas) {
  const std::uint32_t* p = canvas.Pixels();
  for (int i = 0; i < canvas.Width() * canvas.Height(); ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void StartUpState();
  void WidgetsAreWhereDesigned();
  void MenusAndActions();
  void AboutOpensAndClosesTwice();
  void ListingADirectory();
  void AddDeleteAndAnalyse();
  void TwelveRecords();
  void LongNamesShowWholeInTheirLabels();
  void SelectorBeforeTheFirstAnalyse();
  void OneClickOnTheSelectorArrowIsOneStepAndOneBox();
  void DirectoryChangeEmptiesTheWorkList();
  void UnreadableRecordsKeepTheProgramRunning();
  void BatchModeLoadWritesElevenCells();
  void NestedRecordChangeLoadsTheFinalPosition();
  void AnalyseReportsOnlyTheRecordItShows();
  void ImportAveragesRecordingsAndListsTheFolder();
  void ImportKeepsTheWorkList();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSDIAppForm> window_;
  // Opens the record directory and moves every candidate to the work list.
  void OpenAndAddAll(int count);
};

void MainWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  window_ = std::make_unique<TSDIAppForm>(nullptr, dir_->path() + "/..");
  window_->show();
}

void MainWindowTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void MainWindowTest::OpenAndAddAll(int count) {
  apptest::WriteRecords(dir_->path(), count);
  QVERIFY(window_->DirectoryListBox1->OpenDirectory(dir_->path()));
  QCOMPARE(window_->ListBox1->count(), count);
  // Work-list order is the names' order, whatever the directory's order was.
  window_->ListBox1->sortItems();
  window_->ListBox1->selectAll();
  window_->ButtonAdd->click();
  QCOMPARE(window_->ListBox2->count(), count);
}

void MainWindowTest::StartUpState() {
  TSDIAppForm& w = *window_;
  QCOMPARE(w.objectName(), QString("SDIAppForm"));
  QCOMPARE(w.windowTitle(), QString("wavelet"));
  for (int i = 0; i < wavelet::kImageCount; ++i) {
    QVERIFY2(AllBlack(w.Images().Lead(i)), qPrintable(QString("ImageW%1").arg(i)));
    const QImage shown = w.ImageW[i]->Image();
    QCOMPARE(shown.size(), QSize(w.Images().Lead(i).Width(), w.Images().Lead(i).Height()));
    QCOMPARE(shown.pixel(shown.width() / 2, shown.height() / 2), qRgb(0, 0, 0));
  }
  QVERIFY(!w.ButtonAdd->isEnabled());
  QVERIFY(!w.ButtonDelete->isEnabled());
  QVERIFY(!w.ButtonAnalyse->isEnabled());
  QCOMPARE(w.PageControl1->currentWidget(), w.TabSheet1);
  QCOMPARE(Caption(w, "Label22"), QString("11/230"));
  QCOMPARE(Caption(w, "Label23"), QString("30"));
  QCOMPARE(w.ScrollBarFile->maximum(), 100);
  QCOMPARE(w.ScrollBar2->value(), 70);
  for (int i = 1; i <= 11; ++i) {
    QCOMPARE(Caption(w, qPrintable(QString("LabelP%1").arg(i))), QString("000"));
    QCOMPARE(Caption(w, qPrintable(QString("Label%1").arg(227 + i))), QString("0000000000"));
  }
  for (const char* name : {"LabelA01", "LabelZ38", "LabelQ24", "LabelF35", "LabelFN3",
                           "LabelFS0", "LabelFE2", "Label239", "Label72", "Label243"}) {
    QCOMPARE(Caption(w, name), QString("0000000000"));
  }
  QVERIFY(w.ProgressBar1->isHidden());
  QCOMPARE(w.ProgressBar1->maximum(), 150);

  // Display, scale and auto calculation defaults with their Tags.
  QVERIFY(w.RadioButton1->isChecked());
  QVERIFY(w.RadioButton5->isChecked());
  QVERIFY(w.ScaleButtons[1]->isChecked());
  QVERIFY(w.CheckBoxDot->isChecked() && w.CheckBoxLine->isChecked());
  QCOMPARE(w.RadioButton2->property("Tag").toInt(), 1);
  QCOMPARE(w.RadioButton3->property("Tag").toInt(), 2);
  QCOMPARE(w.RadioButton4->property("Tag").toInt(), 1);
  QCOMPARE(w.RadioButton5->property("Tag").toInt(), 0);
  for (int i = 0; i < 6; ++i) {
    QCOMPARE(w.ScaleButtons[i]->objectName(), QString("RadioButton%1").arg(6 + i));
    QCOMPARE(w.ScaleButtons[i]->property("Tag").toInt(), i + 1);
  }
  QCOMPARE(w.Analysis().PlotDivisor, 40.0);
  QCOMPARE(w.Analysis().Display.AutoCalculation, 0);

  // The batch grid: every column, 7 rows, titles, widths and row height.
  QCOMPARE(w.Grid().RowCount(), 7);
  QCOMPARE(w.GridModel()->columnCount(), wavelet::kBatchGridColumns);
  QCOMPARE(w.GridModel()->rowCount(), 6);
  QCOMPARE(w.GridModel()->headerData(0, Qt::Horizontal).toString(), QString("Filename"));
  QCOMPARE(w.GridModel()->headerData(116, Qt::Horizontal).toString(), QString("area_M1"));
  QCOMPARE(w.GridModel()->headerData(156, Qt::Horizontal).toString(), QString("judge2"));
  for (int c = 0; c < wavelet::kBatchGridColumns; ++c) {
    const int expected = c == 0 ? 120 : c == 2 ? 150 : c == 9 ? 70 : 50;
    QCOMPARE(w.StringGrid1->columnWidth(c), expected);
  }
  QCOMPARE(w.StringGrid1->FrozenColumn()->columnWidth(0), 120);
  QCOMPARE(w.StringGrid1->rowHeight(0), 18);
  QCOMPARE(w.StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
  QCOMPARE(w.Cursor().BatchColumn, 0);
  QCOMPARE(w.Cursor().BatchMode, 0);
}

void MainWindowTest::WidgetsAreWhereDesigned() {
  TSDIAppForm& w = *window_;
  QCOMPARE(w.centralWidget()->size(), QSize(1007, 868));
  QCOMPARE(w.minimumSize(), w.maximumSize());  // not resizable
  const QStringList captions = {"file selection", "wavelet analysis", "calculation data",
                                "batch data output sheet"};
  for (int i = 0; i < 4; ++i) QCOMPARE(w.PageControl1->tabText(i), captions[i]);

  auto geometry = [&](const char* name) {
    const QWidget* widget = w.findChild<QWidget*>(name);
    return widget ? widget->geometry() : QRect();
  };
  QCOMPARE(geometry("DriveComboBox1"), QRect(40, 40, 225, 19));
  QCOMPARE(geometry("DirectoryListBox1"), QRect(40, 80, 225, 705));
  QCOMPARE(geometry("ListBox1"), QRect(296, 40, 225, 745));
  QCOMPARE(geometry("ButtonAdd"), QRect(552, 296, 75, 25));
  QCOMPARE(geometry("ButtonDelete"), QRect(552, 352, 75, 25));
  QCOMPARE(geometry("ListBox2"), QRect(656, 40, 225, 745));
  QCOMPARE(geometry("ButtonAnalyse"), QRect(904, 760, 81, 25));
  QCOMPARE(w.ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
  QCOMPARE(geometry("ScrollBarFile"), QRect(8, 24, 129, 17));
  QCOMPARE(geometry("ScrollBar2"), QRect(978, 24, 17, 185));
  QCOMPARE(geometry("ProgressBar1"), QRect(8, 800, 145, 17));
  QCOMPARE(geometry("PanelW4").topLeft(), QPoint(168, 2));
  QCOMPARE(geometry("PanelW0").topLeft(), QPoint(168, 210));
  QCOMPARE(geometry("PanelW1").topLeft(), QPoint(592, 210));
  QCOMPARE(geometry("PanelW2").topLeft(), QPoint(168, 518));
  QCOMPARE(geometry("PanelW3").topLeft(), QPoint(592, 518));
  QCOMPARE(geometry("ImageW4"), QRect(4, 4, 800, 200));
  QCOMPARE(geometry("ImageW3"), QRect(4, 4, 400, 300));
  // The position read-out holds a five-digit work list whole, inside its group.
  w.Label22->setText("10000/10000");
  QVERIFY(w.Label22->fontMetrics().horizontalAdvance(w.Label22->text()) <=
          w.Label22->contentsRect().width());
  QVERIFY(w.Label22->geometry().right() < w.Label22->parentWidget()->width() - 2);
  // Every image lies inside its tab's panel, so nothing is cut off at the bottom.
  w.PageControl1->setCurrentWidget(w.TabSheet2);
  QCoreApplication::processEvents();
  const QRect image = w.ImageW[2]->geometry().translated(w.ImageW[2]->parentWidget()->pos());
  QVERIFY2(w.Panel4->rect().contains(image), qPrintable(QString("panel %1x%2, image bottom %3").arg(w.Panel4->width()).arg(w.Panel4->height()).arg(image.bottom())));

  // The sheet: value labels 70 x 16 at their grid places.
  QCOMPARE(geometry("LabelA01"), QRect(192, 128, 70, 16));
  QCOMPARE(geometry("LabelZ38"), QRect(192 + 88 * 3, 128 + 72 * 7 + 48, 70, 16));
  QCOMPARE(geometry("LabelFS2"), QRect(192 + 176, 720, 70, 16));
  QCOMPARE(geometry("Label228"), QRect(656, 128, 70, 16));
  QCOMPARE(geometry("Label238"), QRect(656, 288, 70, 16));
  QCOMPARE(geometry("Label72"), QRect(792, 368, 70, 16));
  QCOMPARE(geometry("Label243"), QRect(792, 400, 70, 16));
}

void MainWindowTest::MenusAndActions() {
  TSDIAppForm& w = *window_;
  struct Entry {
    const char* name;
    const char* caption;
    const char* keys;
    bool enabled;
  };
  const Entry entries[] = {
      {"FileNewItem", "新規作成(&N)", "Ctrl+N", false},
      {"FileOpenItem", "開く(&O)...", "Ctrl+O", false},
      {"FileSaveItem", "上書き保存(&S)", "Ctrl+S", false},
      {"FileSaveAsItem", "名前をつけて保存(&A)...", "", true},
      {"FileExitItem", "終了(&X)", "", true},
      {"HelpAboutItem", "バージョン情報(&A)...", "", true},
  };
  for (const Entry& e : entries) {
    QAction* item = w.findChild<QAction*>(e.name);
    QVERIFY2(item != nullptr, e.name);
    QCOMPARE(item->text(), QString::fromUtf8(e.caption));
    QCOMPARE(item->shortcut(), QKeySequence(e.keys));
    QCOMPARE(item->isEnabled(), e.enabled);
  }
  QVERIFY(!w.findChild<QAction*>("FileSaveItem")->icon().isNull());
  QVERIFY(w.FileSave1->isEnabled());  // the action stays enabled behind its entry
  QCOMPARE(w.findChild<QMenu*>("File1")->title(), QString::fromUtf8("ファイル(&F)"));
  QCOMPARE(w.findChild<QMenu*>("Edit1")->title(), QString::fromUtf8("編集(&E)"));
  QCOMPARE(w.findChild<QMenu*>("Help1")->title(), QString::fromUtf8("ヘルプ(&H)"));
  QCOMPARE(w.findChild<QAction*>("CopyItem")->shortcut(), QKeySequence("Ctrl+C"));

  // Ctrl+S reaches the disabled entry and saves nothing.
  int asked = 0;
  w.SavePathChooser = [&] {
    ++asked;
    return QString();
  };
  w.activateWindow();
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
  QCOMPARE(asked, 0);
  w.findChild<QAction*>("FileSaveAsItem")->trigger();
  QCOMPARE(asked, 1);
}

void MainWindowTest::AboutOpensAndClosesTwice() {
  TSDIAppForm& w = *window_;
  wavelet::TAboutBox* about = w.AboutBox();
  QCOMPARE(about->objectName(), QString("AboutBox"));
  QCOMPARE(about->windowTitle(), QString("About"));
  QVERIFY(about->isHidden());
  QVERIFY(about->OKButton->isDefault());
  // One version, the build's: no second number beside it.
  QCOMPARE(about->Label1->text(), QString("Version : ") + wavelet::kBuildVersion);
  QVERIFY(about->Comments->text().isEmpty());
  // Every line stays inside the panel rather than being clipped by it.
  for (const QLabel* line : {about->ProductName, about->Version, about->Label1, about->Copyright,
                             about->Comments}) {
    QVERIFY2(line->geometry().right() < about->Panel1->width(), qPrintable(line->text()));
  }
  for (int round = 0; round < 2; ++round) {
    bool shown = false;
    QTimer::singleShot(50, about, [&] {
      shown = about->isVisible() && QApplication::activeModalWidget() == about;
      if (round == 0) {
        QTest::keyClick(about, Qt::Key_Return);  // the default button
      } else {
        about->OKButton->click();
      }
    });
    w.findChild<QAction*>("HelpAboutItem")->trigger();
    QVERIFY(shown);
    QVERIFY(about->isHidden());
    QCOMPARE(about->result(), int(QDialog::Accepted));
  }
  QCOMPARE(w.Label22->text(), QString("11/230"));

  // Only the application's name is set: a display name of its own would be appended
  // by the platform to every caption, which must be the record's path alone.
  wavelet::SetApplicationIdentity();
  QCOMPARE(QGuiApplication::applicationDisplayName(), QString("wavelet"));
  QGuiApplication::setApplicationName("renamed");
  QCOMPARE(QGuiApplication::applicationDisplayName(), QString("renamed"));
}

void MainWindowTest::ListingADirectory() {
  TSDIAppForm& w = *window_;
  apptest::WriteRecords(dir_->path(), 2);
  QDir d(dir_->path());
  d.mkdir("folder.r99");   // a matching directory is listed too
  d.mkdir("plain");
  apptest::WriteBytes(d.filePath("notes.txt"), "x", 1);
  apptest::WriteBytes(d.filePath("TRAIL.R"), "x", 1);      // dot, R, nothing after
  apptest::WriteBytes(d.filePath("a.b.rec.gz"), "x", 1);   // ".r" in the middle
  apptest::WriteBytes(d.filePath("lower.r12"), "x", 1);
  apptest::WriteBytes(d.filePath("p9.r01"), "x", 1);
  apptest::WriteBytes(d.filePath("P10.r01"), "x", 1);

  // Listed sorted by name, case aside and numbers by value, as the batch tool orders a
  // directory (the platform's enumeration order means nothing).
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir_->path()));
  QCOMPARE(apptest::Texts(w.ListBox1),
           QStringList({"a.b.rec.gz", "folder.r99", "lower.r12", "P0001.R01", "P0002.R01",
                        "p9.r01", "P10.r01", "TRAIL.R"}));
  QVERIFY(w.ButtonAdd->isEnabled());
  QVERIFY(w.ButtonDelete->isEnabled());
  QVERIFY(!w.ButtonAnalyse->isEnabled());
  QVERIFY(QApplication::overrideCursor() == nullptr);

  // The chooser shows the ancestors and the subdirectories; reopening the directory
  // already shown lists nothing again.
  QStringList chooser = apptest::Texts(w.DirectoryListBox1);
  for (QString& s : chooser) s = s.trimmed();
  QVERIFY(chooser.contains("folder.r99") && chooser.contains("plain"));
  QCOMPARE(chooser.first(), QDir::rootPath());
  w.ListBox1->clear();
  QVERIFY(!w.DirectoryListBox1->OpenDirectory(dir_->path()));
  QCOMPARE(w.ListBox1->count(), 0);

  // Activating a subdirectory entry opens it.
  QListWidgetItem* plain = nullptr;
  for (int i = 0; i < w.DirectoryListBox1->count(); ++i) {
    if (w.DirectoryListBox1->item(i)->text().trimmed() == "plain") plain = w.DirectoryListBox1->item(i);
  }
  QVERIFY(plain != nullptr);
  emit w.DirectoryListBox1->itemActivated(plain);
  QCOMPARE(w.DirectoryListBox1->Directory(), QDir::toNativeSeparators(d.filePath("plain")));
  QCOMPARE(w.ListBox1->count(), 0);
}

void MainWindowTest::AddDeleteAndAnalyse() {
  TSDIAppForm& w = *window_;
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir_->path()));  // empty: enables Add/Delete
  w.ListBox1->clear();
  // The listing's order: case aside, numbers by value (neither the bytes' order nor a
  // case-blind one of characters).
  const QStringList listed = {"P2.R01", "p10.r01", "Q1.r01", "q20.r01"};
  for (const QString& name : listed) {
    auto* item = new QListWidgetItem(name);
    item->setData(Qt::UserRole + 1, name.toUtf8());
    w.ListBox1->addItem(item);
  }
  w.ButtonAdd->click();  // nothing selected: nothing moves
  QCOMPARE(apptest::Texts(w.ListBox1), listed);
  QVERIFY(w.ButtonAdd->isEnabled() && !w.ButtonAnalyse->isEnabled());

  apptest::SelectRows(w.ListBox1, {3, 1});
  w.ButtonAdd->click();
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList({"P2.R01", "Q1.r01"}));
  QCOMPARE(apptest::Texts(w.ListBox2), QStringList({"p10.r01", "q20.r01"}));
  QVERIFY(w.ButtonAnalyse->isEnabled());
  QVERIFY(w.Button1->isEnabled());

  // "<< Delete" puts each name back at its place in the candidate list.
  apptest::SelectRows(w.ListBox2, {1});
  w.ButtonDelete->click();
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList({"P2.R01", "Q1.r01", "q20.r01"}));
  QCOMPARE(apptest::Texts(w.ListBox2), QStringList({"p10.r01"}));
  apptest::SelectRows(w.ListBox2, {0});
  w.ButtonDelete->click();
  QCOMPARE(apptest::Texts(w.ListBox1), listed);
  QVERIFY(!w.ButtonAnalyse->isEnabled());
  QVERIFY(QApplication::overrideCursor() == nullptr);
}

void MainWindowTest::TwelveRecords() {
  TSDIAppForm& w = *window_;
  OpenAndAddAll(12);
  w.ButtonAnalyse->click();
  QCOMPARE(w.PageControl1->currentWidget(), w.TabSheet2);
  QCOMPARE(w.Label22->text(), QString("1/12"));
  QCOMPARE(Caption(w, "LabelP1"), QString("P0001.R01"));
  QCOMPARE(Caption(w, "Label228"), QString("P0001.R01"));
  // The raw view has been drawn.
  QVERIFY(!AllBlack(w.Images().ImageW4));

  w.ScrollBarFile->setValue(w.ScrollBarFile->maximum());
  QCOMPARE(w.Label22->text(), QString("12/12"));
  QCOMPARE(Caption(w, "LabelP1"), QString("P0012.R01"));
  const QString path = QDir(dir_->path()).filePath("P0012.R01");
  QCOMPARE(w.windowTitle(), QDir::toNativeSeparators(path));
  QCOMPARE(QString::fromStdString(w.Record().RecordPath), path);

  // The header texts on both tabs, from the core's decoding of the same bytes.
  const wavelet::RecordHeaderTexts header = wavelet::DecodeHeaderTexts(apptest::RecordFor(12));
  QCOMPARE(Caption(w, "LabelP2"), QString::fromStdString(header.PatientId));
  QCOMPARE(Caption(w, "Label230"), QString::fromStdString(header.PatientName));
  QCOMPARE(Caption(w, "LabelP5"), QString::fromStdString(header.Sex));
  QCOMPARE(Caption(w, "Label235"), QString::fromStdString(header.Date));
  QCOMPARE(Caption(w, "LabelP11"), QString::fromStdString(header.AveragingCount));
  // Labels narrower than their texts give the whole text as a tooltip; so do the
  // grid's 50-pixel column titles.
  for (const char* name : {"LabelP3", "Label230", "LabelP2"}) {
    QCOMPARE(w.findChild<QLabel*>(name)->toolTip(), Caption(w, name));
  }
  QCOMPARE(w.GridModel()->headerData(145, Qt::Horizontal, Qt::ToolTipRole).toString(),
           w.GridModel()->headerData(145, Qt::Horizontal).toString());
  QCOMPARE(w.Record().QrsOnset, apptest::Fields(12).QrsOnset);
  // Not in batch mode: the grid is untouched.
  QCOMPARE(w.Grid().Cell(0, 1), std::string());
  QCOMPARE(w.Cursor().BatchColumn, 0);

  // "Analyse >>" again while the selector is elsewhere moves it back: the record
  // change runs once, then the first record is loaded.
  w.ButtonAnalyse->click();
  QCOMPARE(w.Label22->text(), QString("1/12"));
  QCOMPARE(Caption(w, "LabelP1"), QString("P0001.R01"));
}

// A patient's name that runs on into the ID's first bytes, as in real records (24
// characters, where the labels of both tabs were made for about ten), shows whole,
// narrowed, in the labels' own place and size.
void MainWindowTest::LongNamesShowWholeInTheirLabels() {
  TSDIAppForm& w = *window_;
  wavelet::RecordFields fields = apptest::Fields(1);
  fields.PatientName = "MATSUMOTO MICHIKO WWM";
  apptest::WriteRecord(QDir(dir_->path()).filePath("P0001.R01"),
                       wavelet::EncodeRecord(fields, wavelet::testing::BeatSamples(
                                                         1, fields.QrsOnset, fields.QrsOffset)));
  QVERIFY(w.DirectoryListBox1->OpenDirectory(dir_->path()));
  w.ListBox1->selectAll();
  w.ButtonAdd->click();
  for (const char* name : {"LabelP3", "Label230"}) {
    QLabel* label = w.findChild<QLabel*>(name);
    const QRect place = label->geometry();
    w.ButtonAnalyse->click();
    QCOMPARE(label->text(), QString("MATSUMOTO MICHIKO WWMID1"));
    QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width(),
             name);
    QCOMPARE(label->geometry(), place);
  }
}

void MainWindowTest::SelectorBeforeTheFirstAnalyse() {
  TSDIAppForm& w = *window_;
  // Before any record "GO" refuses as after a failed load, and so does every control
  // that analyses (auto calculation, a scale, the squares): the record in memory is
  // the all-zero one, whose flat curves and "judge 1: 1" would look like a patient's.
  // The batch and "Print" wait for a work list.
  w.SetInteractiveMessages(false);
  for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{
           w.Button1, w.RadioButton4, w.ScaleButtons[3], w.CheckBoxDot}) {
    w.Button2->click();
    QVERIFY(w.LastErrorText().startsWith("No work list yet"));
    control->click();
    QVERIFY2(w.LastErrorText().startsWith("No record is loaded, so there is nothing to analyse"),
             qPrintable(control->objectName() + ": " + w.LastErrorText()));
  }
  for (int i = 0; i < wavelet::kImageCount; ++i) QVERIFY(AllBlack(w.Images().Lead(i)));
  for (const char* name : {"Label242", "Label243", "LabelA01", "Label228"}) {
    QCOMPARE(Caption(w, name), QString("0000000000"));
  }
  QVERIFY(w.ClampNote->text().isEmpty() && w.AnalysisNote->text().isEmpty());
  w.RadioButton5->click();  // auto calculation off again
  w.Button2->click();
  QVERIFY(w.LastErrorText().contains("\"Analyse >>\""));
  QCOMPARE(w.Grid().RowCount(), 7);
  QCOMPARE(w.Cursor().BatchRow, 1);
  w.SetInteractiveMessages(true);
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.ScrollBarFile->setValue(1);  // the work list is empty: a list-index error
  QCOMPARE(w.Label22->text(), QString("2/101"));
  QCOMPARE(box.Seen, 1);
  QVERIFY(box.Text.contains("List index out of bounds (1)"));
  QVERIFY(box.Text.contains("the work list has 0 entries"));
  QVERIFY(AllBlack(w.Images().ImageW4));  // the raw view was not redrawn
  QCOMPARE(w.windowTitle(), QString("wavelet"));
  // The program goes on: a real work list works afterwards.
  OpenAndAddAll(2);
  w.ButtonAnalyse->click();
  QCOMPARE(w.Label22->text(), QString("1/2"));
}

void MainWindowTest::DirectoryChangeEmptiesTheWorkList() {
  TSDIAppForm& w = *window_;
  OpenAndAddAll(3);
  QVERIFY(w.ButtonAnalyse->isEnabled());
  QDir(dir_->path()).mkdir("other");
  QVERIFY(w.DirectoryListBox1->OpenDirectory(QDir(dir_->path()).filePath("other")));
  QCOMPARE(w.ListBox2->count(), 0);
  QCOMPARE(w.ListBox1->count(), 0);
  QVERIFY(!w.ButtonAnalyse->isEnabled());
  QVERIFY(w.ButtonAdd->isEnabled());
}

void MainWindowTest::UnreadableRecordsKeepTheProgramRunning() {
  TSDIAppForm& w = *window_;
  OpenAndAddAll(2);
  w.ButtonAnalyse->click();
  const wavelet::LoadedRecord before = w.Record();

  // The second record disappears, the third is too short.
  QDir d(dir_->path());
  QVERIFY(QFile::remove(d.filePath("P0002.R01")));
  apptest::MessageBoxCatcher box;
  box.Arm();
  w.ScrollBarFile->setValue(1);
  QCOMPARE(box.Seen, 1);
  QCOMPARE(box.Title, QString("Error"));
  QCOMPARE(box.Text, "Cannot read [" + d.filePath("P0002.R01") + "]");
  QVERIFY(w.isVisible());
  QVERIFY(w.Record().RecordBuffer == before.RecordBuffer);
  QVERIFY(w.Record().LeadSignals == before.LeadSignals);
  // On screen only the failed entry's name: no header, leads or images of another;
  // "Print", "GO" and auto calculation refuse (no print dialog opens).
  QCOMPARE(Caption(w, "Label228"), QString("P0002.R01"));
  for (const char* name : {"LabelP2", "LabelP3", "Label229", "Label238"}) QCOMPARE(Caption(w, name), QString());
  QVERIFY(AllBlack(w.Images().ImageW4) && AllBlack(w.Images().ImageW0));
  w.SetInteractiveMessages(false);
  QTimer::singleShot(200, &w, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  w.Button3->click();
  QVERIFY(w.LastErrorText().contains("nothing to print"));
  w.Button1->click();
  QVERIFY(w.LastErrorText().contains("nothing to analyse"));
  w.Button3->click();
  w.RadioButton4->click();
  QVERIFY(w.LastErrorText().contains("nothing to analyse"));
  w.RadioButton5->click();
  w.SetInteractiveMessages(true);

  apptest::WriteBytes(d.filePath("P0002.R01"), "0123456789", 10);
  box.Arm();
  w.ScrollBarFile->setValue(0);
  w.ScrollBarFile->setValue(1);
  QCOMPARE(box.Seen, 2);
  QCOMPARE(box.Text, "Not a record (10 bytes): [" + d.filePath("P0002.R01") + "]");
  QVERIFY(w.Record().LeadSignals == before.LeadSignals);

  // A longer file: its first 5025 bytes are the record.
  wavelet::RecordBytes bytes = apptest::RecordFor(7);
  std::string longer(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  longer += std::string(100, '\x7f');
  apptest::WriteBytes(d.filePath("P0002.R01"), longer.data(), longer.size());
  w.ScrollBarFile->setValue(0);
  w.ScrollBarFile->setValue(1);
  QCOMPARE(Caption(w, "LabelP2"), QString("ID1007"));
}

void MainWindowTest::BatchModeLoadWritesElevenCells() {
  TSDIAppForm& w = *window_;
  OpenAndAddAll(1);
  w.ButtonAnalyse->click();
  w.Cursor().BatchMode = 1;
  w.Cursor().BatchRow = 2;
  w.Cursor().BatchColumn = 0;
  QVERIFY(w.LoadRecord());
  w.Cursor().BatchMode = 0;
  QCOMPARE(w.Cursor().BatchColumn, 11);
  const wavelet::RecordHeaderTexts h = wavelet::DecodeHeaderTexts(apptest::RecordFor(1));
  const std::vector<std::string> expected = {"P0001.R01", h.PatientId, h.PatientName,
                                             h.Sex,       h.Age,       h.Height,
                                             h.Weight,    h.Race,      h.AveragingCount,
                                             h.Date,      h.Time};
  for (int c = 0; c < 11; ++c) QCOMPARE(w.Grid().Cell(c, 2), expected[c]);
  QCOMPARE(w.GridModel()->index(1, 2).data().toString(), QString::fromStdString(h.PatientName));
  QCOMPARE(w.Grid().Cell(0, 1), std::string());
}

void MainWindowTest::NestedRecordChangeLoadsTheFinalPosition() {
  TSDIAppForm& w = *window_;
  OpenAndAddAll(4);
  w.ButtonAnalyse->click();
  // A further move arrives while the first change processes pending events: the
  // nested change runs completely, then the outer one loads the position of then.
  QTimer::singleShot(0, &w, [&] { w.ScrollBarFile->setValue(3); });
  w.ScrollBarFile->setValue(1);
  QCOMPARE(w.Label22->text(), QString("4/4"));
  QCOMPARE(Caption(w, "LabelP1"), QString("P0004.R01"));
}

// "Analyse >>" first clamps the selector to the shorter work list, loading the entry
// there on the way to the first one: that entry is not the user's business.
void MainWindowTest::AnalyseReportsOnlyTheRecordItShows() {
  TSDIAppForm& w = *window_;
  w.SetInteractiveMessages(false);
  OpenAndAddAll(5);
  w.ButtonAnalyse->click();
  w.ScrollBarFile->setValue(4);
  apptest::SelectRows(w.ListBox2, {3, 4});
  w.ButtonDelete->click();
  apptest::WriteBytes(QDir(dir_->path()).filePath("P0003.R01"), "short", 5);
  w.ButtonAnalyse->click();
  QVERIFY2(w.LastErrorText().isEmpty(), qPrintable(w.LastErrorText()));
  QCOMPARE(Caption(w, "LabelP1"), QString("P0001.R01"));
  QCOMPARE(w.Label22->text(), QString("1/3"));
}

// A copy of a shared PTB recording whose header has CR LF line ends, which the reader
// warns of; empty when the recordings are not beside the project.
static QString CrLfRecording(const QString& folder) {
  const QString ptb = QString(WAVELET_SOURCE_DIR) + "/../shared/recordings/ptb/";
  QFile header(ptb + "s0010_re.hea");
  if (!header.open(QIODevice::ReadOnly)) return QString();
  QByteArray text = header.readAll();
  text.replace("\r\n", "\n").replace("\n", "\r\n");
  QDir().mkpath(folder);
  const QString copy = QDir(folder).filePath("s0010_re.hea");
  apptest::WriteBytes(copy, text.constData(), static_cast<std::size_t>(text.size()));
  for (const char* data : {"s0010_re.dat", "s0010_re.xyz"}) {
    if (!QFile::copy(ptb + data, QDir(folder).filePath(data))) return QString();
  }
  return copy;
}

// The import averages the recordings into the folder chosen, updates the folder's table,
// and its summary gives each record's beats kept, noise and warnings, and names once each
// recording that gave no record; with no work list to lose, the chooser then lists that
// folder.
void MainWindowTest::ImportAveragesRecordingsAndListsTheFolder() {
  const QString recording = CrLfRecording(QDir(dir_->path()).filePath("recordings"));
  if (recording.isEmpty()) QSKIP("no recordings beside the project");
  TSDIAppForm& w = *window_;
  w.SetInteractiveMessages(false);
  const QString junk = QDir(dir_->path()).filePath("junk.edf");
  apptest::WriteBytes(junk, "not a recording", 15);
  const QString target = QDir(dir_->path()).filePath("records");
  QVERIFY(QDir().mkpath(target));
  w.RecordingsChooser = [&] { return QStringList{recording, junk}; };
  w.ImportFolderChooser = [&] { return target; };
  w.ButtonImport->click();
  const QString record = QDir(target).filePath("s0010_re.R01");
  QVERIFY(QFileInfo(record).size() == 5025);
  // The folder's averaging table, as wavelet-average keeps it: the record's row, then
  // the recording that gave none.
  const QList<QByteArray> table = apptest::ReadAll(QDir(target).filePath("averaging.csv")).split('\n');
  QCOMPARE(table.size(), 4);
  QVERIFY(table[1].startsWith("s0010_re.R01," + recording.toUtf8() + ",frank,1000,"));
  QCOMPARE(table[2], "," + junk.toUtf8() + ",,,,,,,,,,,,,,\r");
  QCOMPARE(w.DirectoryListBox1->Directory(), QDir(target).absolutePath());
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList{"s0010_re.R01"});
  // The beats kept as the record's own averaging count states them.
  const QByteArray bytes = apptest::ReadAll(record);
  wavelet::RecordBytes recordBytes{};
  std::copy(bytes.begin(), bytes.end(), recordBytes.begin());
  const wavelet::RecordHeaderTexts header = wavelet::DecodeHeaderTexts(recordBytes);
  const QString summary = w.LastImportSummary();
  QVERIFY2(summary.startsWith("1 of 2 recordings gave a record in " + target + ":\n  s0010_re.R01: " +
                              QString::fromStdString(header.AveragingCount) + " of "),
           qPrintable(summary));
  QVERIFY2(QRegularExpression(" beats kept, noise [0-9]+\\.[0-9]{2} uV, with warnings:\n"
                              "(      .*\n)*      CR LF line ends in the header of \\[" +
                              QRegularExpression::escape(recording) + "\\]")
               .match(summary)
               .hasMatch(),
           qPrintable(summary));
  QCOMPARE(summary.count(junk), 1);
  QVERIFY(summary.contains("These recordings gave no record:\n  "));
  QVERIFY(w.LastErrorText().isEmpty());
}

// The import never empties the work list: records imported into the folder shown join
// the candidates, records imported elsewhere leave both lists and the chooser as they
// are (the summary says where the records went), and an import that gave no record
// changes nothing.
void MainWindowTest::ImportKeepsTheWorkList() {
  const QString recording = CrLfRecording(QDir(dir_->path()).filePath("recordings"));
  if (recording.isEmpty()) QSKIP("no recordings beside the project");
  TSDIAppForm& w = *window_;
  w.SetInteractiveMessages(false);
  OpenAndAddAll(3);
  apptest::SelectRows(w.ListBox2, {1});
  w.ButtonDelete->click();
  const QStringList work = {"P0001.R01", "P0003.R01"};
  QCOMPARE(apptest::Texts(w.ListBox2), work);
  const QString shown = w.DirectoryListBox1->Directory();
  const QString junk = QDir(dir_->path()).filePath("junk.edf");
  apptest::WriteBytes(junk, "not a recording", 15);
  const QString elsewhere = QDir(dir_->path()).filePath("elsewhere");
  QVERIFY(QDir().mkpath(elsewhere));
  QStringList recordings = {junk};
  QString target = shown;
  w.RecordingsChooser = [&] { return recordings; };
  w.ImportFolderChooser = [&] { return target; };

  w.ButtonImport->click();
  QVERIFY(w.LastImportSummary().startsWith("0 of 1 recording gave a record in " + shown + "."));
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList{"P0002.R01"});
  QCOMPARE(apptest::Texts(w.ListBox2), work);

  recordings = {recording};
  target = elsewhere;
  w.ButtonImport->click();
  QVERIFY(QFileInfo::exists(QDir(elsewhere).filePath("s0010_re.R01")));
  QCOMPARE(w.DirectoryListBox1->Directory(), shown);
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList{"P0002.R01"});
  QCOMPARE(apptest::Texts(w.ListBox2), work);
  QVERIFY2(w.LastImportSummary().endsWith("The work list is kept: open " + elsewhere +
                                          " in the chooser to list the new records."),
           qPrintable(w.LastImportSummary()));

  target = shown;
  w.ButtonImport->click();
  QCOMPARE(w.DirectoryListBox1->Directory(), shown);
  QCOMPARE(apptest::Texts(w.ListBox1), QStringList({"P0002.R01", "s0010_re.R01"}));
  QCOMPARE(apptest::Texts(w.ListBox2), work);
  QVERIFY(w.ButtonAdd->isEnabled() && w.ButtonAnalyse->isEnabled());
}

// An ordinary click on the selector's arrow (pressed about 120 ms) while each step is an
// error: the box that opens takes the mouse, and the arrow must not go on repeating
// behind it. The user reads each box for 700 ms, longer than the arrow's repeat delay.
void MainWindowTest::OneClickOnTheSelectorArrowIsOneStepAndOneBox() {
  TSDIAppForm& w = *window_;
  w.PageControl1->setCurrentWidget(w.TabSheet2);
  w.SetInteractiveMessages(true);
  QSet<QWidget*> boxes;
  QElapsedTimer open;
  QTimer reader;
  reader.setInterval(20);
  QObject::connect(&reader, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    if (!boxes.contains(box)) {
      boxes.insert(box);
      open.restart();
    } else if (open.elapsed() > 700) {
      static_cast<QDialog*>(box)->accept();
    }
  });
  reader.start();
  const int before = w.ScrollBarFile->value();
  const QPoint rightArrow(w.ScrollBarFile->width() - 4, w.ScrollBarFile->height() / 2);
  QTest::mousePress(w.ScrollBarFile, Qt::LeftButton, {}, rightArrow);
  QTest::qWait(120);
  QTest::mouseRelease(w.ScrollBarFile, Qt::LeftButton, {}, rightArrow);
  QTest::qWait(1500);
  reader.stop();
  QCOMPARE(boxes.size(), 1);
  QCOMPARE(w.ScrollBarFile->value(), before + 1);
  QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
