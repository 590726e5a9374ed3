#pragma once
// The workbench: the state of one analysis session (the loaded record, the analysis
// state, the five images, the batch grid and its cursor) and the operations the
// window and the headless tools share. The window's handlers read their widgets,
// call these and refresh; the batch tool's workers build their rows with the same
// load, analysis and row writer, so the two cannot drift apart.

#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "output/BatchGrid.h"
#include "output/PatientHeader.h"
#include "record/RecordFormat.h"
#include "session/AnalysisDriver.h"
#include "views/LeadImages.h"
#include "views/RawView.h"

namespace wavelet {

// Where a record load puts the header texts: the window's labels on both tabs. The
// batch grid's cells are written by the workbench itself (only while BatchMode is 1).
class HeaderSink {
 public:
  virtual ~HeaderSink() = default;
  virtual void ShowHeaderField(const PatientHeaderEntry& field, const std::string& text) = 0;
  // The path of the record being loaded, before it is read (the window's caption).
  virtual void RecordPathChosen(const std::string& /*path*/) {}
};

// Which record the screen's figures and images belong to.
enum class RecordState {
  NothingLoaded,  // start-up: no record has been read
  Loaded,         // the record at RecordPath is loaded
  LoadFailed,     // the last load failed: only its name is known, nothing else is its
};

struct LoadOutcome {
  bool Ok = false;
  std::string ErrorText;  // why the record could not be read
};

// One record's batch row for a caller without a window.
struct AnalysedRow {
  std::vector<std::string> Cells;  // kBatchGridColumns cells
  bool Read = false;
  std::string ErrorText;
  bool WindowsClamped = false;
};

// How the analysis tab is set when a record is shown: the display mode, the scale
// button (SelectedScale 1..6), the check boxes beside "basic" and the gain slider.
struct ViewSettings {
  int DisplayMode = kDisplayBasic;
  int Scale = 2;
  DriverOptions Options;
  int GainPosition = kScrollBar2Initial;
};

// The file name suffix of image i (0..4) as a picture: "_X", "_Y", "_Z", "_M", "_raw".
const char* PictureSuffix(int image);

struct PictureOutcome {
  bool Ok = true;
  std::string ErrorText;  // "Cannot write [path]" of the first picture that failed
};

class Workbench {
 public:
  Workbench();
  ~Workbench();
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  LoadedRecord& Record() { return *record_; }
  const LoadedRecord& Record() const { return *record_; }
  AnalysisState& Analysis() { return *state_; }
  const AnalysisState& Analysis() const { return *state_; }
  LeadImages& Images() { return *images_; }
  BatchGrid& Grid() { return grid_; }
  const BatchGrid& Grid() const { return grid_; }
  BatchCursor& Cursor() { return cursor_; }
  const BatchCursor& Cursor() const { return cursor_; }

  // Start-up, in this order: the five images black, the analysis state's start-up
  // values, the grid's titles. Every other operation expects a started workbench.
  void StartUp();

  // The record load: the entry's name, then (once read) the header fields, go to
  // the sink and, in a batch, to the grid; the leads and QRS onset/offset are
  // decoded. On a read failure nothing of the record after the file name and path
  // changes, and all five images are cleared as at start-up. A record other than the
  // one loaded before (another path or other bytes) clears the four lead images:
  // whatever they showed belonged to another record. Reloading the same record
  // (the report does) keeps its analysis.
  LoadOutcome LoadRecord(const std::string& path, const std::string& entry, HeaderSink& sink);

  RecordState State() const { return recordState_; }
  // The four lead images show an analysis of the loaded record.
  bool ImagesOfLoadedRecord() const { return imagesAnalysed_; }
  // The analysis results (figures, judgements, the clamped-window flag) are those of
  // a basic analysis of the loaded record.
  bool ResultsOfLoadedRecord() const { return resultsAnalysed_; }
  // A loaded record whose lead images wait for an analysis ("GO").
  bool AwaitingAnalysis() const { return recordState_ == RecordState::Loaded && !imagesAnalysed_; }
  // The loaded record's analysed windows were clamped (the red note).
  bool ClampedWindowsShown() const;
  // Marks the results as the loaded record's: every basic analysis ends with the
  // calculation sheet, the report's own analysis too.
  void BasicResultsShown() { resultsAnalysed_ = true; }

  // "Analyse >>" set the patient selector up for a work list of `entries`.
  void SetWorkListSize(int entries) { workListSize_ = entries; }
  int WorkListSize() const { return workListSize_; }
  // Why the analysis, the report or the batch cannot run now; empty when it can.
  std::string AnalysisRefusal() const;
  std::string PrintRefusal() const;
  std::string BatchRefusal() const;

  // The raw view at a gain slider position.
  void DrawRawSignal(int gainPosition);
  // The analysis of the display mode with its drawing; the basic branch alone. Both
  // do nothing while AnalysisRefusal() is not empty.
  void RunAnalysis(const DriverOptions& options, AnalysisDriverHooks& hooks);
  void RunBasicAnalysis(const DriverOptions& options, AnalysisDriverHooks& hooks);

  // A batch over `records` work-list entries: grid rows for them, cursor on row 1.
  void BeginBatch(int records);
  // Before each record: an empty peak list, the row's first column, cleared images.
  void BeginBatchRecord();
  // After each record: its result cells (or, when it could not be read, empty cells
  // after the file name), then the cursor moves to the next row. Returns the row.
  int FinishBatchRow(bool analysed);
  void EndBatch();

  // A record change with auto calculation on, as the analysis tab shows it: cleared
  // accumulators, the load, the raw view at the gain, then the analysis in the
  // display mode. A spectrogram or a map follows a basic analysis of the same record,
  // so its rise and fall markers are that record's. On a failed load nothing is drawn.
  LoadOutcome ShowRecord(const std::string& path, const std::string& entry, HeaderSink& sink,
                         const ViewSettings& view, AnalysisDriverHooks& hooks);
  // The five images as PNG files "<directory>/<name><suffix>.png", exactly their pixels.
  PictureOutcome WritePictures(const std::string& directory, const std::string& name) const;

  // The batch row of one record file as a batch in the window writes it, without
  // drawing: load, basic analysis and cells, built in row 1 of this workbench's grid
  // and moved out of it.
  AnalysedRow AnalyseRecordRow(const std::string& path, const std::string& entry);

 private:
  LoadOutcome ReadRecord(const std::string& path, const std::string& entry, HeaderSink& sink);

  std::unique_ptr<LoadedRecord> record_;
  std::unique_ptr<AnalysisState> state_;
  std::unique_ptr<LeadImages> images_;
  BatchGrid grid_;
  BatchCursor cursor_;
  RecordState recordState_ = RecordState::NothingLoaded;
  std::string failedEntry_;
  bool imagesAnalysed_ = false;
  bool resultsAnalysed_ = false;
  int workListSize_ = -1;  // no work list before the first "Analyse >>"
};

}  // namespace wavelet
