// The workbench's shared steps without a window: the record load through its sink,
// the batch row, and the window's batch order against the tools' row function.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "output/BatchGrid.h"
#include "record/RecordEncoder.h"
#include "record/RecordTag.h"
#include "record/SampleRecords.h"
#include "support/TempDir.h"
#include "session/Workbench.h"

namespace wavelet {
namespace {

using testing::TempDir;

struct RecordingSink : HeaderSink {
  void ShowHeaderField(const PatientHeaderEntry& field, const std::string& text) override {
    shown.emplace_back(field.SheetLabel, text);
  }
  void RecordPathChosen(const std::string& path) override { paths.push_back(path); }
  std::vector<std::pair<std::string, std::string>> shown;
  std::vector<std::string> paths;
};

std::unique_ptr<Workbench> StartedBench() {
  auto bench = std::make_unique<Workbench>();
  bench->StartUp();
  return bench;
}

std::string WriteSample(const TempDir& dir, int index) {
  const RecordBytes bytes = MakeSampleRecord(7, index);
  return dir.Write(SampleRecordName(index), bytes.data(), bytes.size());
}

TEST(WorkbenchLoad, ShowsTheHeaderInLoadOrderAndWritesCellsOnlyInABatch) {
  TempDir dir;
  RecordFields f;
  f.PatientId = "ID-42";
  f.PatientName = "SATO";
  f.Year = "03";
  f.AveragingCount = 321;
  const RecordBytes bytes = EncodeRecord(f, LeadSamples{});
  const std::string path = dir.Write("a.r01", bytes.data(), bytes.size());

  auto bench = StartedBench();
  RecordingSink sink;
  ASSERT_TRUE(bench->LoadRecord(path, "a.r01", sink).Ok);
  ASSERT_EQ(sink.shown.size(), 11u);
  EXPECT_EQ(sink.shown[0], std::make_pair(std::string("Label228"), std::string("a.r01")));
  EXPECT_EQ(sink.shown[1], std::make_pair(std::string("Label229"), std::string("ID-42")));
  EXPECT_EQ(sink.shown[3].first, "Label232");  // sex before age, as the grid's columns
  EXPECT_EQ(sink.shown[8], std::make_pair(std::string("Label238"), std::string("321")));
  EXPECT_EQ(sink.shown[9].second.substr(0, 2), "20");
  EXPECT_EQ(sink.paths, std::vector<std::string>{path});
  EXPECT_EQ(bench->Record().RecordPath, path);
  EXPECT_EQ(bench->Grid().Cell(0, 1), "");  // not in a batch: no cells

  // In a batch the eleven cells follow the cursor; a reload after the row is full
  // (a batch print) writes past the last column, which is ignored.
  bench->BeginBatch(1);
  bench->Cursor().BatchColumn = 0;
  ASSERT_TRUE(bench->LoadRecord(path, "a.r01", sink).Ok);
  EXPECT_EQ(bench->Cursor().BatchColumn, 11);
  EXPECT_EQ(bench->Grid().Cell(1, 1), "ID-42");
  bench->Cursor().BatchColumn = kBatchGridColumns;
  ASSERT_TRUE(bench->LoadRecord(path, "other", sink).Ok);
  EXPECT_EQ(bench->Grid().Cell(0, 1), "a.r01");
  EXPECT_EQ(bench->Cursor().BatchColumn, kBatchGridColumns + kPatientFieldCount);
}

TEST(WorkbenchLoad, ASexTheRecordingDidNotStateShowsAsSuchWhileTheGridKeepsTheByte) {
  TempDir dir;
  RecordBytes bytes = EncodeRecord(RecordFields{}, LeadSamples{});  // sex byte 0: M
  WriteRecordTag(bytes, {0.1, 1000, "x.edf", true, false});
  const std::string path = dir.Write("a.r01", bytes.data(), bytes.size());
  auto bench = StartedBench();
  bench->BeginBatch(1);
  bench->Cursor().BatchColumn = 0;
  RecordingSink sink;
  ASSERT_TRUE(bench->LoadRecord(path, "a.r01", sink).Ok);
  EXPECT_EQ(sink.shown[3], std::make_pair(std::string("Label232"), std::string("sex not stated")));
  EXPECT_EQ(bench->Grid().Cell(3, 1), "M");

  WriteRecordTag(bytes, {0.1, 1000, "x.edf"});
  const std::string stated = dir.Write("b.r01", bytes.data(), bytes.size());
  sink.shown.clear();
  ASSERT_TRUE(bench->LoadRecord(stated, "b.r01", sink).Ok);
  EXPECT_EQ(sink.shown[3], std::make_pair(std::string("Label232"), std::string("M")));
}

TEST(WorkbenchLoad, AFailedLoadChangesNothingButTheNameAndPath) {
  TempDir dir;
  auto bench = StartedBench();
  RecordingSink sink;
  ASSERT_TRUE(bench->LoadRecord(WriteSample(dir, 1), SampleRecordName(1), sink).Ok);
  const LoadedRecord before = bench->Record();
  const RecordBytes full = MakeSampleRecord(7, 2);
  const std::string shortFile = dir.Write("short.r01", full.data(), 100);
  sink.shown.clear();
  const Outcome load = bench->LoadRecord(shortFile, "short.r01", sink);
  EXPECT_FALSE(load.Ok);
  EXPECT_EQ(load.ErrorText, "Not a record (100 bytes): [" + shortFile + "]");
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].second, "short.r01");
  EXPECT_EQ(bench->Record().RecordPath, shortFile);
  EXPECT_EQ(bench->Record().RecordBuffer, before.RecordBuffer);
  EXPECT_EQ(bench->Record().LeadSignals, before.LeadSignals);
  EXPECT_EQ(bench->Record().QrsOnset, before.QrsOnset);
}

bool LeadImagesBlack(Workbench& bench, int count = 4) {
  for (int i = 0; i < count; ++i) {
    const Canvas& c = bench.Images().Lead(i);
    if (std::any_of(c.Pixels(), c.Pixels() + c.Width() * c.Height(), [](auto p) { return p != 0; })) return false;
  }
  return true;
}

// What the screen shows must belong to the record loaded: another record's images and
// figures go on every load of another record (another path, or the same path with
// other bytes) and wait for its own analysis; the report's reload of the same record
// keeps them. The clamped-window note is for the loaded record's own results.
TEST(WorkbenchRecordState, AnotherRecordsImagesAndResultsGoUntilItsOwnAnalysis) {
  TempDir dir;
  RecordFields f;
  f.QrsOnset = 200;
  f.QrsOffset = 780;
  const RecordBytes clamped = EncodeRecord(f, LeadSamples{});
  const std::string first = WriteSample(dir, 1);
  const std::string second = dir.Write("c.r01", clamped.data(), clamped.size());
  auto bench = StartedBench();
  RecordingSink sink;
  DisplaySettings options;
  AnalysisDriverHooks hooks;
  bench->RunAnalysis(options, hooks);  // "GO" with no record: the all-zero record
  EXPECT_TRUE(bench->Analysis().WindowsClamped && !bench->ClampedWindowsShown());

  ASSERT_TRUE(bench->LoadRecord(first, "1", sink).Ok);
  EXPECT_TRUE(bench->AwaitingAnalysis());
  bench->RunAnalysis(options, hooks);
  ASSERT_TRUE(bench->LoadRecord(first, "1", sink).Ok);
  EXPECT_FALSE(LeadImagesBlack(*bench) || bench->AwaitingAnalysis());

  ASSERT_TRUE(bench->LoadRecord(second, "c", sink).Ok);
  EXPECT_TRUE(LeadImagesBlack(*bench) && bench->AwaitingAnalysis());
  EXPECT_FALSE(bench->ResultsOfLoadedRecord() || bench->ClampedWindowsShown());
  bench->Analysis().Display.DisplayMode = kDisplaySpectrogram;  // display only: the figures stay another's
  bench->RunAnalysis(options, hooks);
  EXPECT_FALSE(bench->AwaitingAnalysis() || bench->ResultsOfLoadedRecord());
  bench->Analysis().Display.DisplayMode = kDisplayBasic;
  bench->RunAnalysis(options, hooks);
  EXPECT_TRUE(bench->ClampedWindowsShown());

  const RecordBytes changed = MakeSampleRecord(7, 3);
  dir.Write("c.r01", changed.data(), changed.size());
  ASSERT_TRUE(bench->LoadRecord(second, "c", sink).Ok);
  EXPECT_TRUE(LeadImagesBlack(*bench) && bench->AwaitingAnalysis());
}

TEST(WorkbenchRecordState, AFailedLoadClearsEveryImageAndRefusesUntilARecordLoads) {
  TempDir dir;
  const std::string good = WriteSample(dir, 1);
  const std::string bad = dir.Write("bad.r01", "x", 1);
  auto bench = StartedBench();
  RecordingSink sink;
  DisplaySettings options;
  AnalysisDriverHooks hooks;
  // The batch and the report need the work list "Analyse >>" sets up.
  EXPECT_NE(bench->BatchRefusal().find("\"Analyse >>\""), std::string::npos);
  EXPECT_NE(bench->PrintRefusal().find("\"Analyse >>\""), std::string::npos);
  bench->SetWorkListSize(2);
  EXPECT_EQ(bench->BatchRefusal() + bench->PrintRefusal(), "");

  ASSERT_TRUE(bench->LoadRecord(good, "good.r01", sink).Ok);
  bench->DrawRawSignal(70);
  bench->RunAnalysis(options, hooks);
  EXPECT_FALSE(bench->LoadRecord(bad, "bad.r01", sink).Ok);
  EXPECT_EQ(bench->State(), RecordState::LoadFailed);
  EXPECT_TRUE(LeadImagesBlack(*bench, kImageCount));  // the raw view too
  EXPECT_NE(bench->AnalysisRefusal().find("[bad.r01] could not be read"), std::string::npos);
  EXPECT_NE(bench->PrintRefusal().find("[bad.r01] could not be read"), std::string::npos);
  bench->RunAnalysis(options, hooks);
  EXPECT_TRUE(LeadImagesBlack(*bench, kImageCount));

  ASSERT_TRUE(bench->LoadRecord(good, "good.r01", sink).Ok);
  EXPECT_EQ(bench->AnalysisRefusal() + bench->PrintRefusal(), "");
}

// One step per entry serves the row, the images and the page: asking for images and a
// page (after an earlier map on screen) leaves every row cell as the bare row has it.
TEST(WorkbenchBatch, OneStepGivesTheSameRowWithOrWithoutImagesAndPage) {
  TempDir dir;
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    WriteSample(dir, i);
    names.push_back(SampleRecordName(i));
  }
  names.insert(names.begin() + 2, "missing.r01");

  auto window = StartedBench();
  DisplaySettings options;
  AnalysisDriverHooks hooks;
  window->Analysis().Display.DisplayMode = kDisplayMap;  // an earlier on-screen map
  window->RunAnalysis(options, hooks);
  window->BeginBatch(static_cast<int>(names.size()));
  DisplaySettings view;
  view.DisplayMode = kDisplayMap;
  EntryRequest request;
  request.View = &view;
  request.PageWidth = 4760;
  request.PageHeight = 6736;
  RecordingSink sink;
  for (const std::string& name : names) {
    const EntryProducts products = window->ProcessEntry(dir.File(name), name, sink, request, hooks);
    EXPECT_EQ(products.Page.has_value(), name != "missing.r01");
  }
  window->EndBatch();
  EXPECT_EQ(window->Cursor().BatchMode, 0);
  EXPECT_EQ(window->Cursor().BatchRow, 6);

  // The tool's step, outside any batch of the grid, gives the same rows as values.
  auto tool = StartedBench();
  for (std::size_t r = 0; r < names.size(); ++r) {
    const EntryProducts row = tool->ProcessEntry(dir.File(names[r]), names[r], sink, EntryRequest{}, hooks);
    EXPECT_EQ(row.Load.Ok, names[r] != "missing.r01");
    EXPECT_FALSE(row.Page.has_value());
    ASSERT_EQ(row.Cells.size(), static_cast<std::size_t>(kBatchGridColumns));
    for (int c = 0; c < kBatchGridColumns; ++c) {
      ASSERT_EQ(window->Grid().Cell(c, static_cast<int>(r) + 1), row.Cells[c]) << names[r] << " column " << c;
    }
  }
  EXPECT_EQ(tool->Grid().Cell(0, 1), "");
  EXPECT_EQ(window->Grid().Cell(0, 3), "missing.r01");
  EXPECT_EQ(window->Grid().Cell(1, 3), "");
  EXPECT_EQ(window->Grid().Cell(0, 0), "Filename");
}

}  // namespace
}  // namespace wavelet
