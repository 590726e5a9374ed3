#include "session/Workbench.h"

#include "output/BatchRowWriter.h"
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
  const bool wasLoaded = state_kind_ == RecordState::Loaded;
  const std::string previousPath = record_->RecordPath;
  const RecordBytes previousBytes = record_->RecordBuffer;
  const LoadOutcome load = ReadRecord(path, entry, sink);
  if (!load.Ok) {
    state_kind_ = RecordState::LoadFailed;
    failed_entry_ = entry;
    images_analysed_ = false;
    results_analysed_ = false;
    InitialiseImages(*images_);
    return load;
  }
  state_kind_ = RecordState::Loaded;
  const bool sameRecord = wasLoaded && previousPath == path && previousBytes == record_->RecordBuffer;
  if (!sameRecord) {
    images_analysed_ = false;
    results_analysed_ = false;
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
  images_analysed_ = true;
  if (basic) results_analysed_ = true;
}

void Workbench::RunBasicAnalysis(const DriverOptions& options, AnalysisDriverHooks& hooks) {
  if (!AnalysisRefusal().empty()) return;
  wavelet::RunBasicAnalysis(*state_, *record_, *images_, options, hooks);
  images_analysed_ = true;
  results_analysed_ = true;
}

bool Workbench::ClampedWindowsShown() const {
  return state_kind_ == RecordState::Loaded && results_analysed_ && state_->WindowsClamped;
}

std::string Workbench::AnalysisRefusal() const {
  if (state_kind_ != RecordState::LoadFailed) return std::string();
  return "[" + failed_entry_ + "] could not be read, so there is nothing to analyse. "
         "Step to a record that loads.";
}

std::string Workbench::PrintRefusal() const {
  if (work_list_size_ < 0) {
    return "No record to print yet: put records on the work list and press \"Analyse >>\".";
  }
  if (state_kind_ == RecordState::LoadFailed) {
    return "[" + failed_entry_ + "] could not be read, so there is nothing to print. "
           "Step to a record that loads.";
  }
  return std::string();
}

std::string Workbench::BatchRefusal() const {
  if (work_list_size_ >= 0) return std::string();
  return "No work list yet: put records on the work list and press \"Analyse >>\" "
         "before the batch analysis.";
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
  state_kind_ = load.Ok ? RecordState::Loaded : RecordState::LoadFailed;
  failed_entry_ = load.Ok ? std::string() : entry;
  images_analysed_ = false;  // nothing was drawn
  results_analysed_ = load.Ok;

  AnalysedRow row;
  row.Cells = grid_.TakeRow(1);
  row.Read = load.Ok;
  row.ErrorText = load.ErrorText;
  row.WindowsClamped = load.Ok && state_->WindowsClamped;
  return row;
}

}  // namespace wavelet
