#include "session/Workbench.h"

#include "output/BatchRowWriter.h"
#include "output/PngWriter.h"
#include "record/RecordDecoder.h"
#include "record/RecordFile.h"
#include "views/Overlays.h"
#include "views/RawView.h"

namespace wavelet {
namespace {

class NoHeaderSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

}  // namespace

const char* PictureSuffix(int image) {
  static constexpr const char* kSuffixes[kImageCount] = {"_X", "_Y", "_Z", "_M", "_raw"};
  return kSuffixes[image];
}

Workbench::Workbench()
    : record_(std::make_unique<LoadedRecord>()),
      state_(std::make_unique<AnalysisState>()),
      images_(std::make_unique<LeadImages>()) {}

Workbench::~Workbench() = default;

void Workbench::StartUp() {
  InitialiseImages(*images_);
  InitialiseAnalysisState(*state_);
  WriteBatchGridTitles(grid_, cursor_);
}

LoadOutcome Workbench::LoadRecord(const std::string& path, const std::string& entry,
                                  HeaderSink& sink) {
  const bool wasLoaded = recordState_ == RecordState::Loaded;
  const std::string previousPath = record_->RecordPath;
  const RecordBytes previousBytes = record_->RecordBuffer;
  const LoadOutcome load = ReadRecord(path, entry, sink);
  if (!load.Ok) {
    recordState_ = RecordState::LoadFailed;
    failedEntry_ = entry;
    imagesAnalysed_ = false;
    resultsAnalysed_ = false;
    InitialiseImages(*images_);
    return load;
  }
  recordState_ = RecordState::Loaded;
  const bool sameRecord = wasLoaded && previousPath == path && previousBytes == record_->RecordBuffer;
  if (!sameRecord) {
    imagesAnalysed_ = false;
    resultsAnalysed_ = false;
    ClearLeadImages(*images_);
  }
  return load;
}

LoadOutcome Workbench::ReadRecord(const std::string& path, const std::string& entry,
                                  HeaderSink& sink) {
  auto show = [&](const PatientHeaderEntry& field, const std::string& text) {
    sink.ShowHeaderField(field, text);
    WriteBatchCell(grid_, cursor_, text);
  };
  show(kPatientHeader[0], entry);
  record_->RecordPath = path;
  sink.RecordPathChosen(path);

  const RecordReadResult read = ReadRecordFile(path, record_->RecordBuffer);
  if (!read.Ok) return {false, read.ErrorText};

  const RecordHeaderTexts header = DecodeHeaderTexts(record_->RecordBuffer);
  for (std::size_t i = 1; i < kPatientHeader.size(); ++i) {
    show(kPatientHeader[i], PatientFieldText(header, entry, kPatientHeader[i].Field));
  }
  DecodeRecordInto(*record_);
  return {true, std::string()};
}

void Workbench::DrawRawSignal(int gainPosition) {
  wavelet::DrawRawSignal(images_->ImageW4, *record_, gainPosition);
}

void Workbench::RunAnalysis(const DriverOptions& options, AnalysisDriverHooks& hooks) {
  if (!AnalysisRefusal().empty()) return;
  const bool basic = state_->DisplayMode == kDisplayBasic;
  wavelet::RunAnalysis(*state_, *record_, *images_, options, hooks);
  imagesAnalysed_ = true;
  if (basic) resultsAnalysed_ = true;
}

void Workbench::RunBasicAnalysis(const DriverOptions& options, AnalysisDriverHooks& hooks) {
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

LoadOutcome Workbench::ShowRecord(const std::string& path, const std::string& entry,
                                  HeaderSink& sink, const ViewSettings& view,
                                  AnalysisDriverHooks& hooks) {
  ClearAnalysisAccumulators(*state_);
  const LoadOutcome load = LoadRecord(path, entry, sink);
  if (!load.Ok) return load;
  DrawRawSignal(view.GainPosition);
  state_->SelectedScale = static_cast<double>(view.Scale);
  if (view.DisplayMode != kDisplayBasic) {
    state_->DisplayMode = kDisplayBasic;
    RunAnalysis(view.Options, hooks);
  }
  state_->DisplayMode = view.DisplayMode;
  RunAnalysis(view.Options, hooks);
  return load;
}

PictureOutcome Workbench::WritePictures(const std::string& directory,
                                        const std::string& name) const {
  PictureOutcome outcome;
  for (int i = 0; i < kImageCount; ++i) {
    const Canvas& image = images_->Lead(i);
    const std::string path =
        (directory.empty() ? std::string() : directory + "/") + name + PictureSuffix(i) + ".png";
    const PngWriteResult written = WritePng(path, image.Pixels(), image.Width(), image.Height());
    if (!written.Ok && outcome.Ok) outcome = {false, written.ErrorText};
  }
  return outcome;
}

void Workbench::BeginBatch(int records) {
  grid_.SetRowCount(records + 1);
  cursor_.BatchMode = 1;
  cursor_.BatchRow = 1;
}

void Workbench::BeginBatchRecord() {
  state_->PeakListCount = 0;
  cursor_.BatchColumn = 0;
  ClearLeadImages(*images_);
}

int Workbench::FinishBatchRow(bool analysed) {
  const int row = cursor_.BatchRow;
  if (analysed) {
    WriteBatchResultsRow(grid_, cursor_, state_->Results);
  } else {
    // An unreadable record keeps its file name and nothing else of an earlier run.
    for (int c = 1; c < kBatchGridColumns; ++c) grid_.SetCell(c, row, std::string());
  }
  cursor_.BatchRow = row + 1;
  return row;
}

void Workbench::EndBatch() { cursor_.BatchMode = 0; }

AnalysedRow Workbench::AnalyseRecordRow(const std::string& path, const std::string& entry) {
  if (grid_.RowCount() < 2) grid_.SetRowCount(2);
  cursor_.BatchMode = 1;
  cursor_.BatchRow = 1;
  state_->PeakListCount = 0;
  cursor_.BatchColumn = 0;
  ClearAnalysisAccumulators(*state_);
  NoHeaderSink sink;
  // Nothing is shown, so the images and the screen's record state stay as they are.
  const LoadOutcome load = ReadRecord(path, entry, sink);
  if (load.Ok) AnalyseRecord(*state_, *record_);
  FinishBatchRow(load.Ok);
  recordState_ = load.Ok ? RecordState::Loaded : RecordState::LoadFailed;
  failedEntry_ = load.Ok ? std::string() : entry;
  imagesAnalysed_ = false;  // nothing was drawn
  resultsAnalysed_ = load.Ok;

  AnalysedRow row;
  row.Cells = grid_.TakeRow(1);
  row.Read = load.Ok;
  row.ErrorText = load.ErrorText;
  row.WindowsClamped = load.Ok && state_->WindowsClamped;
  return row;
}

}  // namespace wavelet
