#pragma once
// The main window: four tabs (file selection, wavelet analysis, calculation data,
// batch data output sheet), the menu, and every handler. Handlers are thin: they keep
// the required step order and call the Qt-free core on the state this window owns.

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "session/Workbench.h"

class QAction;
class QPrinter;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace wavelet {

class BatchGridModel;
class BatchGridView;
class CanvasWidget;
class DirectoryChooser;
class TAboutBox;

// Narrows the label's font just enough for its text to show whole, but not below
// `leastStretch` per cent of its width (see MainWindow.cpp).
void FitTextToLabel(QLabel* label, int leastStretch = 70);

// The late-potential tab's note on how sure its figures are: the P-wave guard moved
// the onset, or the record's tag says its averaging gave warnings; empty when neither.
QString LatePotentialNoteText(const LatePotentialFigures& figures, bool averagedWithWarnings);

// What the calculation sheet's labels show until a basic analysis fills them.
inline constexpr const char* kInitialSheetValue = "0000000000";

// The application's name as the desktop shows it. Only the name is set: a display
// name would be appended by the platform to every window caption, which must be the
// record's path alone.
void SetApplicationIdentity();

class TSDIAppForm : public QMainWindow {
  Q_OBJECT

 public:
  // `startDirectory` is where the directory chooser opens (the working directory by
  // default).
  explicit TSDIAppForm(QWidget* parent = nullptr, const QString& startDirectory = QString());
  ~TSDIAppForm() override;

  // The state the window owns; every core routine works on these.
  Workbench& Bench() { return *workbench_; }
  LoadedRecord& Record() { return workbench_->Record(); }
  AnalysisState& Analysis() { return workbench_->Analysis(); }
  LeadImages& Images() { return workbench_->Images(); }
  BatchGrid& Grid() { return workbench_->Grid(); }
  BatchCursor& Cursor() { return workbench_->Cursor(); }
  BatchGridModel* GridModel() const { return gridModel_; }
  TAboutBox* AboutBox() const { return aboutBox_; }

  // Places the window in the centre of its screen.
  void CentreOnScreen();

  // --- File selection and work list ---
  void DirectoryListBox1Change();
  void ListRecordFiles(const std::string& directoryText);
  void ButtonAddClick();
  void ButtonDeleteClick();
  void ButtonAnalyseClick();
  // "Import recordings...": recordings averaged into records of a chosen folder.
  void ImportRecordingsClick();
  // Where the import's dialogs are skipped (tests): the recordings and the folder.
  std::function<QStringList()> RecordingsChooser;
  std::function<QString()> ImportFolderChooser;
  // The text of the last import's summary (tests read it).
  QString LastImportSummary() const { return lastImportSummary_; }
  void ScrollBarFileChange();
  void ShowRecordPosition();
  // Loads the work-list entry at the selector's position. Returns false when the
  // record could not be read (the user has been told; nothing of the previous record
  // changed). Throws std::out_of_range for a position outside the work list.
  bool LoadRecord();
  // The work-list entry at the selector's position; throws std::out_of_range as above.
  std::string SelectedEntry() const;
  std::string EntryPath(const std::string& entry) const;
  // "<records' folder>/<record shown><suffix>.png", the file a picture is proposed as.
  QString ProposedPicturePath(const char* suffix) const;
  // How the analysis tab is set now: display mode, scale, check boxes, gain.
  DisplaySettings CurrentView() const;

  // --- Analysis and views ---
  void DrawRawSignal();
  void ScrollBar2Change();
  void RunAnalysis();
  void RunBasicAnalysis();
  void ShowCalculationData();
  void RadioButton1Click(QObject* sender);
  void RadioButton4Click(QObject* sender);
  void RadioButton6Click(QObject* sender);
  void Button1Click();
  void CheckBoxDotClick();
  void CheckBoxLineClick();
  void TabSheet3Enter();
  // Shows every image widget's canvas as it now is.
  void RefreshImages(bool now = false);

  // --- Batch, export, print ---
  void Button2Click();
  void Button3Click();
  // Prints the current record's report on `printer` as it is set up (no dialog);
  // returns the report printer's status as an int (PrintStatus).
  int PrintReportTo(QPrinter& printer);
  void FileSave1Execute();
  // Writes the grid's CSV file to `path`; false (and the "Cannot write" box) on failure.
  bool ExportGrid(const QString& path);
  void FileOpen1Execute();
  void HelpAbout1Execute();
  // Where the save dialog is skipped (tests): when set, FileSave1Execute takes this
  // path instead of asking. Empty = cancel.
  std::function<QString()> SavePathChooser;
  // Where the batch's reports go when "batch print" is ticked and there is no system
  // printer, or the print dialog was last confirmed with PDF output: given the
  // proposed path ("reports.pdf" beside the records), returns the chosen one, or
  // empty to print nothing. Unset: a save dialog asks.
  std::function<QString(const QString&)> ReportsPathChooser;
  // The text of the last error box shown by a handler or a load (tests read it).
  QString LastErrorText() const { return lastErrorText_; }
  QString LastErrorReason() const { return lastErrorReason_; }
  // Shows message boxes modally (true) or only records their texts (false).
  void SetInteractiveMessages(bool interactive) { interactiveMessages_ = interactive; }
  bool BatchRunning() const { return batchRunning_; }
  const std::vector<std::string>& BatchUnreadable() const { return batchUnreadable_; }
  // The work-list entry at the selector's position, as bytes ("" when none).
  std::string CurrentEntry() const;
  // A label's caption bytes by object name (the report reads the sheet this way).
  std::string CaptionBytes(const QString& labelName) const;

  // --- Widgets (object names as the members) ---
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QWidget* TabSheet4 = nullptr;
  QWidget* TabSheet5 = nullptr;  // late potentials
  QWidget* TabSheet6 = nullptr;  // cohort
  QFrame* Panel1 = nullptr;
  QFrame* Panel4 = nullptr;
  QFrame* Panel5 = nullptr;
  QFrame* Panel7 = nullptr;

  QComboBox* DriveComboBox1 = nullptr;
  DirectoryChooser* DirectoryListBox1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QListWidget* ListBox2 = nullptr;
  QPushButton* ButtonAdd = nullptr;
  QPushButton* ButtonDelete = nullptr;
  QPushButton* ButtonAnalyse = nullptr;
  QPushButton* ButtonImport = nullptr;

  QScrollBar* ScrollBarFile = nullptr;
  QLabel* Label22 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QCheckBox* CheckBoxDot = nullptr;
  QCheckBox* CheckBoxLine = nullptr;
  std::array<QRadioButton*, 6> ScaleButtons{};  // RadioButton6..RadioButton11
  QPushButton* Button1 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button2 = nullptr;
  QCheckBox* CheckBoxBP = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QRadioButton* RadioButton5 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QScrollBar* ScrollBar2 = nullptr;
  QLabel* Label23 = nullptr;
  std::array<CanvasWidget*, kImageCount> ImageW{};  // ImageW0..ImageW4
  QLabel* ClampNote = nullptr;       // on the wavelet analysis tab
  QLabel* AnalysisNote = nullptr;    // on the wavelet analysis tab: not analysed, unreadable
  QLabel* SheetClampNote = nullptr;  // on the calculation data tab

  BatchGridView* StringGrid1 = nullptr;

  // The late-potentials tab.
  QLabel* LatePotentialRecord = nullptr;
  CanvasWidget* LatePotentialImage = nullptr;
  std::array<QLabel*, 3> LatePotentialCaptions{};
  std::array<QLabel*, 3> LatePotentialValues{};
  std::array<QLabel*, 3> LatePotentialLimits{};
  std::array<QLabel*, 3> LatePotentialFlags{};
  QLabel* LatePotentialVerdict = nullptr;
  QLabel* LatePotentialNoise = nullptr;
  QLabel* LatePotentialUnit = nullptr;
  QLabel* LatePotentialNote = nullptr;  // how sure the figures are (empty: no doubt known)
  QDoubleSpinBox* UnitSetting = nullptr;
  // Shows the late-potential figures of the record shown (costs microseconds).
  void ShowLatePotentials();

  // The cohort: "Cohort..." on the batch sheet, and its tab.
  QPushButton* ButtonCohort = nullptr;
  QLabel* CohortCaption = nullptr;
  QTableWidget* CohortCriteria = nullptr;
  QTableWidget* CohortAucs = nullptr;
  QWidget* CohortPictureArea = nullptr;  // the charts, "CohortChart_<picture>"
  void CohortClick();
  // Where the cohort's dialogs are skipped (tests): the labels file, and the positive
  // group among those offered. Empty = cancel.
  std::function<QString()> LabelsChooser;
  std::function<QString(const QStringList&)> GroupChooser;

  QAction* FileNew1 = nullptr;
  QAction* FileOpen1 = nullptr;
  QAction* FileSave1 = nullptr;
  QAction* FileSaveAs1 = nullptr;
  QAction* FileExit1 = nullptr;
  QAction* EditCut1 = nullptr;
  QAction* EditCopy1 = nullptr;
  QAction* EditPaste1 = nullptr;
  QAction* HelpAbout1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void BuildMenus();
  void BuildFileSelectionTab();
  void BuildAnalysisTab();
  void BuildPatientDataGroup(QGroupBox* group);
  void BuildCalculationTab();
  void BuildBatchTab();
  void BuildLatePotentialTab();
  void BuildCohortTab();
  // The cohort of the last batch with the chosen labels, or the note why there is none.
  void ShowCohort();
  void ClearCohort();
  void ConnectHandlers();
  QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y,
                    int width = -1, int height = -1);
  QLabel* ValueLabel(const QString& name) const;
  void SetCaption(const QString& labelName, const std::string& bytes);
  void Show(const char* analysisLabel, const char* sheetLabel, const std::string& text);
  void ShowClampNote();
  // The notes, the sheet's figures and (after a failed load) the header, as the
  // workbench's record state says: nothing shown may belong to another record.
  void ShowRecordState();
  // The window's part of every record load: the grid row in a batch, the header of a
  // failed load blanked, the notes and images, the error (or the batch's list of
  // unreadable records). Returns load.Ok.
  bool RecordLoaded(const Outcome& load, const std::string& entry);
  // One batch record through the workbench's step, its page replayed when printing.
  bool RunBatchRecord(const std::string& entry);
  void ResetSheetFigures();
  // Shows `why` in the error box and returns true when it is not empty.
  bool Refused(const std::string& why);
  void SetWorkButtonsEnabled(bool enabled);
  // The import's summary box (its text is kept for LastImportSummary).
  void ShowImportSummary(const QString& text);
  void ListNewCandidates();
  // `sortTarget`: `to` is put in the record-name order afterwards.
  void MoveSelectedBetweenLists(QListWidget* from, QListWidget* to, bool sortTarget);
  void SetBatchControlsEnabled(bool enabled);
  // The error box: `text` as the box's message, `reason` (why, when known) below it.
  void ShowError(const QString& text, const QString& reason = QString());
  void EndSelectorPress();
  void ReportEscapedError(const std::exception_ptr& error);
  // Printing during a batch: the printer is looked up once per run, and a missing
  // printer is reported once.
  void BeginBatchPrinting();
  // The page of the record the batch just analysed (null: no page was recorded).
  void PrintReportInBatch(const RecordedPage* page);
  // The page size the batch's pages are recorded at; false when they go nowhere.
  bool BatchPageSize(int& width, int& height);
  void EndBatchPrinting();
  QString AskReportsPath(const QString& proposed);
  // Runs a handler body; an escaping error is shown in the standard error box and
  // abandons the rest of the handler.
  void Guarded(const std::function<void()>& body);
  // Moves the selector from inside a handler. A list-index error of the record change
  // this causes abandons the calling handler too, with a single error box. With
  // `superseded` the handler loads a record itself afterwards, so a record that
  // cannot be read on the way is not reported (the user never picked it).
  void MoveSelector(const std::function<void()>& move, bool superseded = false);
  static std::vector<std::string> Entries(const QListWidget* list);
  static std::vector<bool> Selection(const QListWidget* list);
  static void FillList(QListWidget* list, const std::vector<std::string>& entries);

  friend class WindowHeaderSink;
  friend class WindowHooks;
  std::unique_ptr<Workbench> workbench_;
  BatchGridModel* gridModel_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  QHash<QString, QLabel*> labels_;

  bool deferSelectorError_ = false;
  bool batchMovesSelector_ = false;
  int batchRecords_ = -1;  // the rows of the last batch; none yet
  QString proposedReport_;  // the PDF file the print dialog was last offered
  bool quietLoads_ = false;
  bool sheetShowsFigures_ = false;
  std::exception_ptr deferredError_;
  bool interactiveMessages_ = true;
  bool batchRunning_ = false;
  bool lastLoadOk_ = false;
  std::vector<std::string> batchUnreadable_;
  std::vector<std::vector<std::string>> batchLatePotentials_;  // per batch row
  std::string cohortLabels_;  // the labels file chosen; empty: no cohort yet
  std::string cohortGroup_;
  QString lastErrorText_;
  QString lastErrorReason_;
  QString lastImportSummary_;
  bool centred_ = false;
  bool closeRequested_ = false;
  bool batchPrinterMissing_ = false;
  struct BatchPrinting;
  std::shared_ptr<BatchPrinting> batchPrinting_;  // shared: complete only where printing lives
};

}  // namespace wavelet
