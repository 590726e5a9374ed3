// The batch run, the CSV export, the remaining menu commands and the wiring of every
// handler to its widget.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include "app/BatchGridModel.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "app/SaveDialog.h"
#include "app/TextForms.h"
#include "app/WindowHooks.h"
#include "output/BatchRowWriter.h"
#include "output/CsvWriter.h"
#include "views/Overlays.h"

namespace wavelet {

void TSDIAppForm::SetBatchControlsEnabled(bool enabled) {
  // While a batch runs, nothing that would disturb it can be started; afterwards
  // every control gets back the state it had.
  QList<QWidget*> widgets = {DirectoryListBox1, DriveComboBox1, ButtonAdd,   ButtonDelete,
                             ButtonAnalyse,     Button1,        Button2,     Button3,
                             RadioButton1,      RadioButton2,   RadioButton3, CheckBoxDot,
                             CheckBoxLine,      RadioButton4,   RadioButton5, ScrollBarFile,
                             ButtonImport};
  for (QRadioButton* scale : ScaleButtons) widgets.append(scale);
  QList<QAction*> actions = {FileSave1, FileSaveAs1};
  if (QAction* item = findChild<QAction*>("FileSaveAsItem")) actions.append(item);
  if (!enabled) {
    for (QWidget* w : widgets) {
      w->setProperty("EnabledBeforeBatch", w->isEnabled());
      w->setEnabled(false);
    }
    for (QAction* a : actions) {
      a->setProperty("EnabledBeforeBatch", a->isEnabled());
      a->setEnabled(false);
    }
    return;
  }
  for (QWidget* w : widgets) w->setEnabled(w->property("EnabledBeforeBatch").toBool());
  for (QAction* a : actions) a->setEnabled(a->property("EnabledBeforeBatch").toBool());
}

void TSDIAppForm::Button2Click() {
  if (batchRunning_) return;
  if (Refused(workbench_->BatchRefusal())) return;
  if (ListBox2->count() == 0) {
    ShowError("The work list is empty: put records on it and press \"Analyse >>\".");
    return;
  }
  batchRunning_ = true;
  batchUnreadable_.clear();
  batchLatePotentials_.clear();
  ClearCohort();  // never the cohort of an earlier batch
  ButtonCohort->setEnabled(false);
  SetBatchControlsEnabled(false);
  Guarded([this] {
    // However the run ends, the window leaves batch mode.
    struct EndOfBatch {
      Workbench& bench;
      ~EndOfBatch() { bench.EndBatch(); }
    } endOfBatch{*workbench_};

    // The batch covers the work list as it stands now, even when it was edited after
    // "Analyse >>": the selector is set up for it as "Analyse >>" would, and the grid
    // holds this batch's rows alone.
    const int max = ListBox2->count() - 1;
    RadioButton5->setChecked(true);
    RadioButton1->setChecked(true);
    // The selector shows each record as the batch reaches it; the batch's own step
    // loads and analyses it, once.
    auto moveSelector = [this](const std::function<void()>& move) {
      batchMovesSelector_ = true;
      struct Restore {
        bool& flag;
        ~Restore() { flag = false; }
      } restore{batchMovesSelector_};
      move();
    };
    workbench_->SetWorkListSize(max + 1);
    moveSelector([&] { ScrollBarFile->setMaximum(max); });
    workbench_->BeginBatch(max + 1);
    batchRecords_ = max + 1;
    gridModel_->GridReshaped();
    BeginBatchPrinting();
    for (int i = 0; i <= max && !closeRequested_; ++i) {
      moveSelector([&] { ScrollBarFile->setValue(i); });
      ShowRecordPosition();
      RunBatchRecord(SelectedEntry());
      QCoreApplication::processEvents();
    }
  });
  EndBatchPrinting();
  SetBatchControlsEnabled(true);
  batchRunning_ = false;
  ButtonCohort->setEnabled(batchRecords_ >= 0);
  ShowCohort();
  if (!batchUnreadable_.empty()) {
    QString text = "These records could not be read; their rows hold only the file name:";
    for (const std::string& name : batchUnreadable_) text += "\n" + DisplayText(name);
    ShowError(text);
  }
  if (closeRequested_) close();
}

bool TSDIAppForm::RunBatchRecord(const std::string& entry) {
  WindowHeaderSink sink(*this);
  WindowHooks hooks(*this);
  const DisplaySettings view = CurrentView();
  EntryRequest request;
  request.View = &view;
  const bool printing = CheckBoxBP->isChecked() && BatchPageSize(request.PageWidth, request.PageHeight);
  request.PageSquareScale = Analysis().Display.SelectedScale;
  request.LatePotentialUnit = UnitSetting != nullptr ? UnitSetting->value() : kDefaultMicrovoltsPerUnit;
  lastLoadOk_ = false;
  const int row = Cursor().BatchRow;
  EntryProducts products = workbench_->ProcessEntry(EntryPath(entry), entry, sink, request, hooks);
  batchLatePotentials_.push_back(std::move(products.LatePotentialCells));
  const bool loaded = RecordLoaded(products.Load, entry);
  RefreshImages();
  QCoreApplication::processEvents();
  gridModel_->GridRowChanged(row);
  if (loaded && CheckBoxBP->isChecked()) PrintReportInBatch(printing ? &*products.Page : nullptr);
  return loaded;
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
  if (batchRunning_) {
    // The batch is stopped after its current record; the window closes then.
    closeRequested_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

bool TSDIAppForm::ExportGrid(const QString& path) {
  // After a batch, exactly its rows; before any, the selector's count as always.
  const int records = batchRecords_ >= 0 ? batchRecords_ : ScrollBarFile->maximum() + 1;
  const Outcome result = WriteGridCsv(ToBytes(path), Grid(), records);
  if (!result.Ok) {
    ShowError("Cannot write [" + path + "]", DisplayText(result.Reason));
    return false;
  }
  return true;
}

void TSDIAppForm::FileSave1Execute() {
  Guarded([this] {
    QString path;
    if (SavePathChooser) {
      path = SavePathChooser();
    } else {
      // In the records' folder, named after it.
      const QDir folder(DirectoryListBox1->Directory());
      const QString proposed = folder.filePath(folder.dirName().isEmpty() ? QString("batch.csv")
                                                                          : folder.dirName() + ".csv");
      path = AskSavePath(this, {"SaveDialog", "csv", "csvファイル (*.csv)", proposed, false});
    }
    if (path.isEmpty()) return;
    ExportGrid(path);
  });
}

void TSDIAppForm::FileOpen1Execute() {
  QFileDialog dialog(this);
  dialog.setObjectName("OpenDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter("すべてのファイル (*)");
  dialog.exec();  // the choice is not used
}

void TSDIAppForm::ConnectHandlers() {
  connect(DirectoryListBox1, &DirectoryChooser::DirectoryChanged, this,
          [this] { Guarded([this] { DirectoryListBox1Change(); }); });
  connect(ButtonAdd, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonAddClick(); }); });
  connect(ButtonDelete, &QPushButton::clicked, this,
          [this] { Guarded([this] { ButtonDeleteClick(); }); });
  connect(ButtonAnalyse, &QPushButton::clicked, this, [this] { ButtonAnalyseClick(); });
  connect(ButtonImport, &QPushButton::clicked, this,
          [this] { Guarded([this] { ImportRecordingsClick(); }); });
  connect(ScrollBarFile, &QScrollBar::valueChanged, this, [this] { ScrollBarFileChange(); });
  connect(ScrollBar2, &QScrollBar::valueChanged, this,
          [this] { Guarded([this] { ScrollBar2Change(); }); });

  auto onChecked = [this](QRadioButton* button, void (TSDIAppForm::*handler)(QObject*)) {
    connect(button, &QRadioButton::toggled, this, [this, button, handler](bool checked) {
      if (checked) Guarded([&] { (this->*handler)(button); });
    });
  };
  for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3}) {
    onChecked(b, &TSDIAppForm::RadioButton1Click);
  }
  for (QRadioButton* b : {RadioButton4, RadioButton5}) onChecked(b, &TSDIAppForm::RadioButton4Click);
  for (QRadioButton* b : ScaleButtons) onChecked(b, &TSDIAppForm::RadioButton6Click);

  connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
  connect(CheckBoxDot, &QCheckBox::toggled, this,
          [this] { Guarded([this] { CheckBoxDotClick(); }); });
  connect(CheckBoxLine, &QCheckBox::toggled, this,
          [this] { Guarded([this] { CheckBoxLineClick(); }); });
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
    if (PageControl1->widget(index) == TabSheet3) Guarded([this] { TabSheet3Enter(); });
  });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });

  connect(FileNew1, &QAction::triggered, this, [] {});
  connect(FileOpen1, &QAction::triggered, this, [this] { FileOpen1Execute(); });
  connect(FileSave1, &QAction::triggered, this, [this] { FileSave1Execute(); });
  connect(FileSaveAs1, &QAction::triggered, this, [this] { FileSave1Execute(); });
  connect(FileExit1, &QAction::triggered, this, [this] { close(); });
  connect(HelpAbout1, &QAction::triggered, this, [this] { HelpAbout1Execute(); });
}

}  // namespace wavelet
