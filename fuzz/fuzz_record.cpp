// libFuzzer target: any bytes as a record file, through everything the program does
// with a record without the window: decode, the basic analysis with every drawing of
// the basic view and its overlays, the raw view, the spectrogram and map sweeps, the
// printed report, the batch row and its CSV text.
//
// Input layout: bytes 0..5024 are the record (a shorter input is padded with zeros,
// as if the tail of the file were blank); byte 5025, when present, picks the extras
// (0x03 the whole map sweep, 0x07 the whole spectrogram sweep, otherwise bit 0 one
// map row and bit 1 one waterfall row, picked by bits 2..7; bit 2 also drops the
// squares, bit 3 the ridge lines, bits 4..7 set the raw view's gain slider); the
// rest is the file name of the batch row, so odd names reach the CSV quoting.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "session/AnalysisDriver.h"
#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "output/CalculationSheet.h"
#include "analysis/Transform.h"
#include "output/BatchGrid.h"
#include "output/BatchRowWriter.h"
#include "output/CsvWriter.h"
#include "session/ReportDriver.h"
#include "record/RecordDecoder.h"
#include "record/RecordFormat.h"
#include "views/LeadImages.h"
#include "views/MapView.h"
#include "views/RawView.h"
#include "views/SpectrogramView.h"

namespace {

using namespace wavelet;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_record: invariant broken: %s\n", what);
  std::abort();
}

// Counts the page's calls and checks that the job is opened and closed once and that
// nothing is drawn outside it; keeps nothing, so a page costs almost nothing.
class CountingReportCanvas : public ReportCanvas {
 public:
  int PageWidth() const override { return 4800; }
  int PageHeight() const override { return 6800; }
  void SetJobTitle(const std::string&) override {}
  bool BeginJob() override {
    if (begun_ || ended_) Fail("report job begun twice");
    begun_ = true;
    return true;
  }
  void EndJob() override {
    if (!begun_ || ended_) Fail("report job ended without a beginning");
    ended_ = true;
  }
  void SetPenWidth(int width) override {
    Drawing();
    if (width < 0) Fail("negative report pen width");
  }
  void SetPenStyle(ReportPenStyle) override { Drawing(); }
  void SetBrushStyle(ReportBrushStyle) override { Drawing(); }
  void SetFont(const std::string&, ReportCharset, int) override { Drawing(); }
  void MoveTo(int, int) override { Drawing(); }
  void LineTo(int, int) override { Drawing(); }
  void Rectangle(int, int, int, int) override { Drawing(); }
  void TextOut(int, int, const std::string& text) override {
    Drawing();
    texts_ += text.size();
  }
  bool Finished() const { return begun_ && ended_ && calls_ > 0; }

 private:
  void Drawing() {
    if (!begun_ || ended_) Fail("report drawn outside its job");
    ++calls_;
  }
  bool begun_ = false;
  bool ended_ = false;
  long calls_ = 0;
  std::size_t texts_ = 0;
};

// The window's side of the report: the reload decodes the file's bytes again.
class FuzzReportSources : public ReportSources {
 public:
  FuzzReportSources(AnalysisState& state, LoadedRecord& record, const RecordBytes& file)
      : state_(state), record_(record), file_(file) {}
  bool ReloadRecord() override {
    record_.RecordBuffer = file_;
    DecodeRecordInto(record_);
    return true;
  }
  void ShowCalculationData() override { sheet_ = CalculationSheetTexts(state_.Results); }
  std::string WorkListEntry() const override { return "fuzz.r01"; }

 private:
  AnalysisState& state_;
  LoadedRecord& record_;
  const RecordBytes& file_;
  std::vector<LabelText> sheet_;
};

// Every cell is followed by a comma outside quotes and the line ends in CR LF; a
// quoted cell must be closed before the line ends.
void CheckCsvLine(const std::string& line) {
  if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
    Fail("CSV line does not end in CR LF");
  }
  int separators = 0;
  bool quoted = false;
  for (std::size_t i = 0; i + 2 < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == ',') {
      ++separators;
    } else if (!quoted && (c == '\r' || c == '\n')) {
      Fail("CSV line broken by a bare line end");
    }
  }
  if (quoted) Fail("CSV quote left open");
  if (separators != kBatchGridColumns) Fail("CSV line without 157 separators");
}

void CheckPeakList(const AnalysisState& state) {
  if (state.PeakListCount < 0 || state.PeakListCount >= kPeakListCapacity) {
    Fail("peak list count out of range");
  }
  if (state.PeakList.PeakListLead[state.PeakListCount] != -1) {
    Fail("peak list without its terminator");
  }
  for (int i = 0; i < state.PeakListCount; ++i) {
    const int lead = state.PeakList.PeakListLead[i];
    const int scale = state.PeakList.PeakListScale[i];
    const int position = state.PeakList.PeakListPosition[i];
    if (lead < 0 || lead >= kLeads || scale < 0 || scale >= kScales || position < 0 ||
        position >= kPositions) {
      Fail("peak list entry out of range");
    }
  }
}

// One set of state per process: the analysis state alone is several hundred
// kilobytes, and the program itself reuses one instance from record to record.
struct Fixture {
  Fixture() {
    InitialiseAnalysisState(state);
    InitialiseImages(images);
  }
  AnalysisState state;
  LoadedRecord record;
  LeadImages images;
  RecordBytes file{};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture* fixture = new Fixture;  // never freed: lives as long as the process
  Fixture& f = *fixture;

  f.file.fill(0);
  std::copy_n(data, std::min(size, kRecordSize), f.file.begin());
  const std::uint8_t extras = size > kRecordSize ? data[kRecordSize] : 0;
  const std::string fileName =
      size > kRecordSize + 1
          ? std::string(reinterpret_cast<const char*>(data) + kRecordSize + 1,
                        size - kRecordSize - 1)
          : std::string("fuzz.r01");

  // The load: decode, the raw view at the chosen gain.
  f.record.RecordBuffer = f.file;
  f.record.RecordPath = fileName;
  DecodeRecordInto(f.record);
  const RecordHeaderTexts header = DecodeHeaderTexts(f.record.RecordBuffer);
  DrawRawSignal(f.images.ImageW4, f.record, (extras >> 4) * 100 / 15);

  // The basic view with its overlays, as GO draws it.
  DisplaySettings options;
  options.Dots = (extras & 4) == 0;
  options.Lines = (extras & 8) == 0;
  AnalysisDriverHooks hooks;
  f.state.Display.DisplayMode = kDisplayBasic;
  RunAnalysis(f.state, f.record, f.images, options, hooks);
  CheckPeakList(f.state);

  // The batch row of this record and its CSV text.
  std::vector<std::string> cells = HeaderCells(fileName, header);
  for (std::string& cell : BatchResultCells(f.state.Results)) cells.push_back(std::move(cell));
  if (cells.size() != static_cast<std::size_t>(kBatchGridColumns)) Fail("batch row width");
  CheckCsvLine(CsvLine(cells));

  // The report re-runs the basic analysis while it draws.
  CountingReportCanvas canvas;
  FuzzReportSources sources(f.state, f.record, f.file);
  if (PrintReport(canvas, f.state, f.record, sources) != ReportOutcome::Printed ||
      !canvas.Finished()) {
    Fail("report not printed");
  }
  CheckPeakList(f.state);

  // The sweeps. A full map costs as much as a dozen basic analyses, so it runs only
  // for one value of the extras byte; otherwise single rows of either sweep, chosen
  // by the input, go through the same transform and drawing code.
  if (extras == 0x03) {
    f.state.Display.DisplayMode = kDisplayMap;
    RunAnalysis(f.state, f.record, f.images, options, hooks);
  } else if (extras == 0x07) {
    f.state.Display.DisplayMode = kDisplaySpectrogram;
    RunAnalysis(f.state, f.record, f.images, options, hooks);
  } else {
    static const std::vector<double> mapScales = SweepScales(kMapStep);
    static const std::vector<double> waterfallScales = SweepScales(kSpectrogramStep);
    const int pick = extras >> 2;  // 0..63
    if (extras & 1) {
      const int row = pick * static_cast<int>(mapScales.size()) / 64;
      TransformAtScale(f.state, f.record, mapScales[row], -1);
      DrawMapRow(f.images, f.state, row);
    }
    if (extras & 2) {
      const int row = pick * static_cast<int>(waterfallScales.size()) / 64;
      TransformAtScale(f.state, f.record, waterfallScales[row], -1);
      DrawWaterfallRow(f.images, f.state, row);
    }
  }
  return 0;
}
