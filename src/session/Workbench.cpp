#include "session/Workbench.h"

#include "base/Paths.h"
#include "output/BatchRowWriter.h"
#include "output/LatePotentialTexts.h"
#include "output/PngWriter.h"
#include "record/RecordTag.h"
#include "views/LatePotentialView.h"
#include "session/ReportDriver.h"
#include "record/RecordDecoder.h"
#include "record/RecordFile.h"
#include "views/Overlays.h"
#include "views/RawView.h"

namespace wavelet {

bool ModeShowsBasicResults(int displayMode) {
  return displayMode == kDisplayBasic || displayMode == kDisplayMap;
}

const char* PictureSuffix(int image) {
  static constexpr const char* kSuffixes[kImageCount] = {"_X", "_Y", "_Z", "_M", "_raw"};
  return kSuffixes[image];
}

Workbench::Workbench()
    : record_(std::make_unique<LoadedRecord>()),
      state_(std::make_unique<AnalysisState>()),
      images_(std::make_unique<LeadImages>()),
      latePotentialImage_(
          std::make_unique<Canvas>(kLatePotentialImageWidth, kLatePotentialImageHeight)) {}

Workbench::~Workbench() = default;

void Workbench::StartUp() {
  InitialiseImages(*images_);
  ClearLatePotentials(*latePotentialImage_, "NO RECORD");
  InitialiseAnalysisState(*state_);
  WriteBatchGridTitles(grid_, cursor_);
}

Outcome Workbench::LoadRecord(const std::string& path, const std::string& entry,
                                  HeaderSink& sink) {
  const bool samePath = recordState_ == RecordState::Loaded && record_->RecordPath == path;
  const RecordBytes previousBytes = samePath ? record_->RecordBuffer : RecordBytes{};
  const Outcome load = ReadRecord(path, entry, sink);
  const bool sameRecord = samePath && previousBytes == record_->RecordBuffer;
  NoteLoad(load, entry, sameRecord);
  if (!load.Ok) {
    InitialiseImages(*images_);
  } else if (!sameRecord) {
    ClearLeadImages(*images_);
  }
  return load;
}

void Workbench::NoteLoad(const Outcome& load, const std::string& entry, bool sameRecord) {
  recordState_ = load.Ok ? RecordState::Loaded : RecordState::LoadFailed;
  if (!load.Ok) failedEntry_ = entry;
  if (!load.Ok || !sameRecord) {
    imagesAnalysed_ = false;
    resultsAnalysed_ = false;
  }
}

Outcome Workbench::ReadRecord(const std::string& path, const std::string& entry,
                              HeaderSink& sink, std::vector<std::string>* cells) {
  auto cell = [&](const std::string& text) {
    WriteBatchCell(grid_, cursor_, text);
    if (cells != nullptr) cells->push_back(text);
  };
  sink.ShowHeaderField(kPatientHeader[0], entry);
  cell(entry);
  record_->RecordPath = path;
  sink.RecordPathChosen(path);

  const Outcome read = ReadRecordFile(path, record_->RecordBuffer);
  if (!read.Ok) return read;

  const RecordHeaderTexts header = DecodeHeaderTexts(record_->RecordBuffer);
  for (std::size_t i = 1; i < kPatientHeader.size(); ++i) {
    const PatientField field = kPatientHeader[i].Field;
    sink.ShowHeaderField(kPatientHeader[i], ShownPatientFieldText(header, record_->RecordBuffer, entry, field));
    cell(PatientFieldText(header, entry, field));
  }
  DecodeRecordInto(*record_);
  return Outcome::Success();
}

double Workbench::UnitInUse(double unitSetting) const {
  return RecordMicrovoltsPerUnit(record_->RecordBuffer, unitSetting);
}

bool Workbench::RecordStatesUnit() const {
  return recordState_ == RecordState::Loaded && ReadRecordTag(record_->RecordBuffer).has_value();
}

std::optional<LatePotentialFigures> Workbench::LatePotentials(double unitSetting) const {
  if (recordState_ != RecordState::Loaded) return std::nullopt;
  return ComputeLatePotentials(record_->LeadSignals, UnitInUse(unitSetting));
}

std::optional<LatePotentialFigures> Workbench::DrawLatePotentials(double unitSetting) {
  std::optional<LatePotentialFigures> figures = LatePotentials(unitSetting);
  if (!figures) {
    ClearLatePotentials(*latePotentialImage_,
                        recordState_ == RecordState::LoadFailed ? "RECORD COULD NOT BE READ" : "NO RECORD");
    return figures;
  }
  wavelet::DrawLatePotentials(*latePotentialImage_, *figures, LatePotentialSummary(*figures),
                              UnitText(figures->MicrovoltsPerUnit) + " uV PER UNIT");
  return figures;
}

void Workbench::DrawRawSignal(int gainPosition) {
  wavelet::DrawRawSignal(images_->ImageW4, *record_, gainPosition);
}

void Workbench::RunAnalysis(const DisplaySettings& options, AnalysisDriverHooks& hooks) {
  if (!AnalysisRefusal().empty()) return;
  const bool basic = state_->Display.DisplayMode == kDisplayBasic;
  if (!basic && ModeShowsBasicResults(state_->Display.DisplayMode) && !resultsAnalysed_ &&
      recordState_ == RecordState::Loaded) {
    RunBasicAnalysis(options, hooks);
  }
  wavelet::RunAnalysis(*state_, *record_, *images_, options, hooks);
  imagesAnalysed_ = true;
  if (basic) resultsAnalysed_ = true;
}

void Workbench::RunBasicAnalysis(const DisplaySettings& options, AnalysisDriverHooks& hooks) {
  if (!AnalysisRefusal().empty()) return;
  wavelet::RunBasicAnalysis(*state_, *record_, *images_, options, hooks);
  imagesAnalysed_ = true;
  resultsAnalysed_ = true;
}

bool Workbench::ClampedWindowsShown() const {
  return recordState_ == RecordState::Loaded && resultsAnalysed_ && state_->WindowsClamped;
}

std::string Workbench::AnalysisRefusal() const {
  if (recordState_ != RecordState::LoadFailed) return std::string();
  return "[" + failedEntry_ + "] could not be read, so there is nothing to analyse. "
         "Step to a record that loads.";
}

std::string Workbench::PrintRefusal() const {
  if (workListSize_ < 0) {
    return "No record to print yet: put records on the work list and press \"Analyse >>\".";
  }
  if (recordState_ == RecordState::LoadFailed) {
    return "[" + failedEntry_ + "] could not be read, so there is nothing to print. "
           "Step to a record that loads.";
  }
  return std::string();
}

std::string Workbench::BatchRefusal() const {
  if (workListSize_ >= 0) return std::string();
  return "No work list yet: put records on the work list and press \"Analyse >>\" "
         "before the batch analysis.";
}

Outcome Workbench::ShowRecord(const std::string& path, const std::string& entry,
                              HeaderSink& sink, const DisplaySettings& view,
                              AnalysisDriverHooks& hooks, bool analyse) {
  ClearAnalysisAccumulators(*state_);
  const Outcome load = LoadRecord(path, entry, sink);
  if (!load.Ok) return load;
  DrawRawSignal(view.GainPosition);
  if (!analyse) return load;
  state_->Display.SelectedScale = view.SelectedScale;
  state_->Display.DisplayMode = view.DisplayMode;
  RunAnalysis(view, hooks);
  return load;
}

Outcome Workbench::WritePictures(const std::string& directory, const std::string& name,
                                 DeferredRenames* renames) const {
  Outcome outcome;
  for (int i = 0; i < kImageCount; ++i) {
    const Canvas& image = images_->Lead(i);
    const std::string path = JoinPath(directory, name + PictureSuffix(i) + ".png");
    const Outcome written =
        WritePng(path, image.Pixels(), image.Width(), image.Height(), renames);
    if (!written.Ok && outcome.Ok) outcome = written;
  }
  return outcome;
}

void Workbench::BeginBatch(int records) {
  grid_.SetRowCount(records + 1);
  cursor_.BatchMode = 1;
  cursor_.BatchRow = 1;
}

void Workbench::FinishGridRow(const std::vector<std::string>& cells, bool analysed) {
  if (cursor_.BatchMode != 1) return;
  if (analysed) {
    for (int c = kPatientFieldCount; c < kBatchGridColumns; ++c) WriteBatchCell(grid_, cursor_, cells[c]);
  } else {
    // An unreadable record keeps its file name and nothing else of an earlier run.
    for (int c = 1; c < kBatchGridColumns; ++c) grid_.SetCell(c, cursor_.BatchRow, std::string());
  }
  ++cursor_.BatchRow;
}

void Workbench::EndBatch() { cursor_.BatchMode = 0; }

namespace {

// The basic analysis's drawers of one step, each only when asked for.
class StepObservers final : public BasicAnalysisObserver {
 public:
  StepObservers(BasicAnalysisObserver* view, BasicAnalysisObserver* page) : view_(view), page_(page) {}
  void ScaleDone(int scaleIndex) override {
    if (view_) view_->ScaleDone(scaleIndex);
    if (page_) page_->ScaleDone(scaleIndex);
  }
  void ScalesDone() override {
    if (view_) view_->ScalesDone();
    if (page_) page_->ScalesDone();
  }
  void PeakListClosed() override {
    if (view_) view_->PeakListClosed();
    if (page_) page_->PeakListClosed();
  }
  void RidgesFound() override {
    if (view_) view_->RidgesFound();
    if (page_) page_->RidgesFound();
  }

 private:
  BasicAnalysisObserver* view_;
  BasicAnalysisObserver* page_;
};

}  // namespace

EntryProducts Workbench::ProcessEntry(const std::string& path, const std::string& entry,
                                      HeaderSink& sink, const EntryRequest& request,
                                      AnalysisDriverHooks& hooks) {
  EntryProducts products;
  state_->PeakListCount = 0;
  cursor_.BatchColumn = 0;
  ClearAnalysisAccumulators(*state_);
  products.Cells.reserve(kBatchGridColumns);
  products.Load = ReadRecord(path, entry, sink, &products.Cells);
  NoteLoad(products.Load, entry, false);
  // Without a view nothing is drawn, so the images stay as they are: clearing them
  // would cost more than the rest of a row.
  if (request.View != nullptr) {
    if (products.Load.Ok) {
      ClearLeadImages(*images_);
    } else {
      InitialiseImages(*images_);
    }
  }
  const DisplaySettings* view = products.Load.Ok ? request.View : nullptr;
  const bool basicView = view != nullptr && view->DisplayMode == kDisplayBasic;
  if (products.Load.Ok) {
    if (view != nullptr) {
      DrawRawSignal(view->GainPosition);
      state_->Display.SelectedScale = view->SelectedScale;
    }
    std::unique_ptr<BasicDrawing> drawing;
    if (basicView) drawing = std::make_unique<BasicDrawing>(*state_, *record_, *images_, *view);
    std::unique_ptr<PageRecorder> recorder;
    std::unique_ptr<ReportPageDrawing> page;
    if (request.PageWidth > 0 && request.PageHeight > 0) {
      recorder = std::make_unique<PageRecorder>(request.PageWidth, request.PageHeight);
      page = std::make_unique<ReportPageDrawing>(*recorder, *state_, *record_, entry,
                                                 request.PageSquareScale);
    }
    StepObservers observers(drawing.get(), page.get());
    RunBasicAnalysisSequence(*state_, *record_, observers);
    hooks.ShowCalculationData();
    imagesAnalysed_ = basicView;
    resultsAnalysed_ = true;
    products.WindowsClamped = state_->WindowsClamped;
    if (page) {
      page->Finish();
      products.Page = std::move(recorder->Page());
      products.Page->Entry = entry;
    }
    for (std::string& cell : BatchResultCells(state_->Results)) products.Cells.push_back(std::move(cell));
  } else {
    products.Cells.resize(kBatchGridColumns);
  }
  FinishGridRow(products.Cells, products.Load.Ok);
  if (view != nullptr && !basicView) {
    state_->Display.DisplayMode = view->DisplayMode;
    RunAnalysis(*view, hooks);
  }
  WritePictureProducts(request, entry, products);
  return products;
}

// After the row and the sweep, so that the pictures are what the analysis tab shows.
void Workbench::WritePictureProducts(const EntryRequest& request, const std::string& entry,
                                     EntryProducts& products) {
  const bool pictures = products.Load.Ok && request.View != nullptr && !request.PictureDirectory.empty();
  if (pictures) products.Pictures = WritePictures(request.PictureDirectory, entry, request.PictureRenames);
  const std::optional<double> unit = request.LatePotentialUnit;
  if (!unit) return;
  // The picture is drawn from the figures of the row, computed once.
  const bool picture = pictures && products.Pictures.Ok;
  const std::optional<LatePotentialFigures> figures =
      !products.Load.Ok ? std::nullopt : picture ? DrawLatePotentials(*unit) : LatePotentials(*unit);
  products.LatePotentialCells = LatePotentialCells(entry, figures, record_->QrsOnset, record_->QrsOffset);
  if (picture) {
    const Canvas& image = *latePotentialImage_;
    products.Pictures = WritePng(JoinPath(request.PictureDirectory, entry + "_LP.png"), image.Pixels(),
                                 image.Width(), image.Height(), request.PictureRenames);
  }
}

}  // namespace wavelet
