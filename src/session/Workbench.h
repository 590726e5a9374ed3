#pragma once
// The workbench: the state of one analysis session (the loaded record, the analysis
// state, the five images, the batch grid and its cursor) and the operations the
// window and the headless tools share. The window's handlers read their widgets,
// call these and refresh; the batch tool's workers build their rows with the same
// load, analysis and row writer, so the two cannot drift apart.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/LatePotentials.h"
#include "base/AtomicFile.h"
#include "base/Outcome.h"
#include "output/BatchGrid.h"
#include "output/RecordedPage.h"
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


// The file name suffix of image i (0..4) as a picture: "_X", "_Y", "_Z", "_M", "_raw".
const char* PictureSuffix(int image);

// What one work-list entry's step makes besides its row: the images of the analysis
// tab, the page of its report, the pictures and the late-potential row, all from one
// load and one analysis.
struct EntryRequest {
  // Draw the raw view and the four lead images as the analysis tab shows the record
  // in these settings; null: draw nothing.
  const DisplaySettings* View = nullptr;
  // Record the report's page on a page of this size (device units); 0: no page.
  int PageWidth = 0;
  int PageHeight = 0;
  // The display scale the page's squares stand at (the window's, or the start-up one).
  double PageSquareScale = 2.0;
  // With View: the five pictures (and, with late potentials, NAME_LP.png) go into this
  // folder, through PictureRenames when it is set. Empty: no pictures.
  std::string PictureDirectory;
  DeferredRenames* PictureRenames = nullptr;
  // The late-potential row, in this unit for records that state none; nothing: none.
  std::optional<double> LatePotentialUnit;
};

// Everything one entry's step makes.
struct EntryProducts {
  Outcome Load;
  // The row: the header cells, then the result cells (kBatchGridColumns); an unreadable
  // record keeps only its file name.
  std::vector<std::string> Cells;
  bool WindowsClamped = false;
  std::optional<RecordedPage> Page;  // when asked for and the record was read
  Outcome Pictures;                  // the first picture that could not be written
  std::vector<std::string> LatePotentialCells;  // when asked for
};

// Whether a display mode draws the markers of a basic analysis (the rise and fall of
// the judged scale), so that it must follow one of the record it shows.
bool ModeShowsBasicResults(int displayMode);

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
  Outcome LoadRecord(const std::string& path, const std::string& entry, HeaderSink& sink);

  RecordState State() const { return recordState_; }
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
  // do nothing while AnalysisRefusal() is not empty. A map of a record without its
  // own basic results runs the basic analysis first, so its markers are the record's.
  void RunAnalysis(const DisplaySettings& options, AnalysisDriverHooks& hooks);
  void RunBasicAnalysis(const DisplaySettings& options, AnalysisDriverHooks& hooks);

  // A batch of the window over `records` work-list entries: grid rows for them, cursor
  // on row 1.
  void BeginBatch(int records);
  // The step of one work-list entry, the one home of a record's batch work: one load
  // (its header into the sink), one basic analysis with the images and the page drawn
  // as it goes, the row, for a spectrogram or a map that sweep after the row, then the
  // pictures and the late-potential row (see EntryRequest). In the window's batch the
  // row also goes into the cursor's grid row and the cursor moves to the next. The
  // batch of the window and the batch tool's workers both come through here.
  EntryProducts ProcessEntry(const std::string& path, const std::string& entry, HeaderSink& sink,
                             const EntryRequest& request, AnalysisDriverHooks& hooks);
  void EndBatch();

  // A record change, as the analysis tab shows it: cleared accumulators, the load, the
  // raw view at the gain and, with `analyse`, the analysis in the display mode (a map
  // follows a basic analysis of the same record). On a failed load nothing is drawn.
  Outcome ShowRecord(const std::string& path, const std::string& entry, HeaderSink& sink,
                     const DisplaySettings& view, AnalysisDriverHooks& hooks, bool analyse = true);
  // The five images as PNG files "<directory>/<name><suffix>.png", exactly their
  // pixels; renamed into place at once, or with the run's others through `renames`.
  Outcome WritePictures(const std::string& directory, const std::string& name,
                        DeferredRenames* renames = nullptr) const;

  // The late-potential figures of the loaded record, in the unit its own tag states,
  // else in `unitSetting` (microvolts per unit); nothing while no record is loaded (at
  // start-up, after a failed load).
  std::optional<LatePotentialFigures> LatePotentials(double unitSetting) const;
  // Their picture, as the late-potentials tab shows it (a note when there is no
  // record); returns the figures drawn, so they are computed once.
  std::optional<LatePotentialFigures> DrawLatePotentials(double unitSetting);
  const Canvas& LatePotentialImage() const { return *latePotentialImage_; }
  // The loaded record states its unit in a tag of its own.
  bool RecordStatesUnit() const;

 private:
  // The unit the loaded record is read in: its tag's, else the setting.
  double UnitInUse(double unitSetting) const;
  // The header cells go to the sink, the grid's cursor and `cells`.
  Outcome ReadRecord(const std::string& path, const std::string& entry, HeaderSink& sink,
                     std::vector<std::string>* cells = nullptr);
  // The one home of what a load leaves of the analysis and the lead images' state.
  void NoteLoad(const Outcome& load, const std::string& entry, bool sameRecord);
  void FinishGridRow(const std::vector<std::string>& cells, bool analysed);
  void WritePictureProducts(const EntryRequest& request, const std::string& entry,
                            EntryProducts& products);

  std::unique_ptr<LoadedRecord> record_;
  std::unique_ptr<AnalysisState> state_;
  std::unique_ptr<LeadImages> images_;
  std::unique_ptr<Canvas> latePotentialImage_;
  BatchGrid grid_;
  BatchCursor cursor_;
  RecordState recordState_ = RecordState::NothingLoaded;
  std::string failedEntry_;
  bool imagesAnalysed_ = false;
  bool resultsAnalysed_ = false;
  int workListSize_ = -1;  // no work list before the first "Analyse >>"
};

}  // namespace wavelet
