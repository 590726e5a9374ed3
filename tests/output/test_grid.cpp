#include <gtest/gtest.h>

#include "analysis/AnalysisState.h"
#include "analysis/Judgement.h"
#include "output/NumberFormat.h"
#include "output/BatchGrid.h"
#include "output/BatchRowWriter.h"

namespace wavelet {
namespace {

TEST(BatchGridTitles, LayoutOfThe157Columns) {
  const std::vector<std::string> titles = BatchGridColumns();
  ASSERT_EQ(titles.size(), 157u);
  const std::vector<std::string> header(titles.begin(), titles.begin() + 11);
  EXPECT_EQ(header, (std::vector<std::string>{"Filename", "Pt_ID", "Pt_Name", "Sex", "Age", "Height",
                                              "Weight", "Race", "Kasan", "Date", "Time"}));
  EXPECT_EQ(titles[11], "area_X1");
  EXPECT_EQ(titles[12], "peak_n_X1");
  EXPECT_EQ(titles[13], "fQRS_X1");
  EXPECT_EQ(titles[14], "last_p_X1");
  EXPECT_EQ(titles[15], "area_X2");
  EXPECT_EQ(titles[42], "last_p_X8");
  EXPECT_EQ(titles[43], "c_peak_n_X");
  EXPECT_EQ(titles[44], "c_first_p_X");
  EXPECT_EQ(titles[45], "c_last_n_X");
  EXPECT_EQ(titles[46], "area_Y1");
  EXPECT_EQ(titles[81], "area_Z1");
  EXPECT_EQ(titles[116], "area_M1");
  EXPECT_EQ(titles[150], "c_last_n_M");
  const std::vector<std::string> judgements(titles.begin() + 151, titles.end());
  EXPECT_EQ(judgements, (std::vector<std::string>{"s_area", "s_peak_num", "s_last_p", "s_fqrs",
                                                  "judge1", "judge2"}));
}

TEST(BatchGridTitles, WrittenIntoRowZeroThroughTheCursor) {
  BatchGrid grid;
  BatchCursor cursor;
  cursor.BatchColumn = 42;
  WriteBatchGridTitles(grid, cursor);  // not gated by BatchMode
  EXPECT_EQ(cursor.BatchColumn, 0);
  EXPECT_EQ(cursor.BatchRow, 1);
  const auto titles = BatchGridColumns();
  for (int c = 0; c < kBatchGridColumns; ++c) EXPECT_EQ(grid.Cell(c, 0), titles[c]);
  EXPECT_EQ(grid.Cell(0, 1), "");
}

TEST(BatchGridCells, WritesOnlyInBatchModeAndOutsideIsHarmless) {
  BatchGrid grid;
  EXPECT_EQ(grid.RowCount(), 7);
  BatchCursor cursor;
  cursor.BatchColumn = 3;
  WriteBatchCell(grid, cursor, "idle");
  EXPECT_EQ(cursor.BatchColumn, 3);
  EXPECT_EQ(grid.Cell(3, 1), "");

  cursor.BatchMode = 1;
  cursor.BatchColumn = 155;
  for (const char* text : {"a", "b", "c", "d"}) WriteBatchCell(grid, cursor, text);
  EXPECT_EQ(cursor.BatchColumn, 159);  // the column keeps counting past the grid
  EXPECT_EQ(grid.Cell(155, 1), "a");
  EXPECT_EQ(grid.Cell(156, 1), "b");
  EXPECT_EQ(grid.Cell(kBatchGridColumns, 1), "");
  cursor.BatchRow = 7;  // beyond the last row
  cursor.BatchColumn = 0;
  WriteBatchCell(grid, cursor, "lost");
  EXPECT_EQ(grid.Cell(0, 7), "");
  EXPECT_EQ(grid.Cell(-1, 0), "");
  grid.SetCell(-1, -1, "x");

  grid.SetCell(0, 5, "row five");
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cell(0, 5), "");
  grid.SetRowCount(8);
  EXPECT_EQ(grid.Cell(0, 5), "");  // dropped rows come back empty
  EXPECT_EQ(grid.Cell(156, 1), "b");
}

TEST(BatchRowCells, HeaderCellsInLoadOrder) {
  RecordHeaderTexts t{"ID1", "NAME", "F", "63", "171", "68", "-1", "300", "1998/04/17", "09:45"};
  EXPECT_EQ(HeaderCells("P0001.R01", t),
            (std::vector<std::string>{"P0001.R01", "ID1", "NAME", "F", "63", "171", "68", "-1",
                                      "300", "1998/04/17", "09:45"}));
}

AnalysisResults DistinctResults() {
  AnalysisState state;
  InitialiseAnalysisState(state);
  AnalysisResults r = state.Results;
  for (int l = 0; l < kLeads; ++l) {
    for (int s = 0; s < kScales; ++s) {
      r.Area[l][s] = 1000.0 * (l * 8 + s) + 999.9;  // truncated before scaling
      r.PeakCount[l][s] = 100 + l * 8 + s;
      r.Fqrs[l][s] = 200 + l * 8 + s;
      r.LastPeak[l][s] = -(l * 8 + s);
    }
    r.CombinedPeakCount[l] = 10 + l;
    r.CombinedFirstPeak[l] = 20 + l;
    r.CombinedLastPeak[l] = 30 + l;
  }
  return r;
}

TEST(BatchRowCells, ResultCellsInColumnOrder) {
  AnalysisResults r = DistinctResults();
  r.Area[0][0] = 12345.9;
  const std::vector<std::string> cells = BatchResultCells(r);
  ASSERT_EQ(cells.size(), 146u);
  auto at = [&](int column) { return cells[column - 11]; };
  EXPECT_EQ(at(11), "12.345");
  EXPECT_EQ(at(12), "100");
  EXPECT_EQ(at(13), "200");
  EXPECT_EQ(at(14), "0");
  EXPECT_EQ(at(15), FormatArea(1999.9));
  EXPECT_EQ(at(15), "1.999");
  EXPECT_EQ(at(42), "-7");
  EXPECT_EQ(at(43), "10");
  EXPECT_EQ(at(44), "20");
  EXPECT_EQ(at(45), "30");
  EXPECT_EQ(at(46), "8.999");
  EXPECT_EQ(at(116), "24.999");   // area_M1
  EXPECT_EQ(at(117), "124");      // peak_n_M1
  EXPECT_EQ(at(150), "33");       // c_last_n_M
}

// The judgements are the analysis's last step; the row writes them as they stand.
TEST(BatchRowCells, JudgementsAreWrittenAsTheAnalysisComputedThem) {
  for (int variant = 0; variant < 4; ++variant) {
    AnalysisResults r = DistinctResults();
    r.Area[LeadM][4] = variant & 1 ? 50000.0 : 150000.0;
    r.PeakCount[LeadM][0] = variant & 2 ? 9 : 3;
    r.Judge1 = r.Judge2 = r.AreaJudge = 7;
    AnalysisResults expected = r;
    ComputeJudgements(expected);
    ComputeJudgements(r);
    const std::vector<std::string> cells = BatchResultCells(r);
    const std::vector<std::string> judgements(cells.end() - 6, cells.end());
    EXPECT_EQ(judgements,
              (std::vector<std::string>{FormatFlag(expected.AreaJudge), FormatFlag(expected.CountJudge),
                                        FormatFlag(expected.LastPeakJudge), FormatFlag(expected.FqrsJudge),
                                        FormatFlag(expected.Judge1), FormatFlag(expected.Judge2)}));
    EXPECT_EQ(r.Judge1, expected.Judge1);
    EXPECT_EQ(judgements[0], variant & 1 ? "1" : "0");
  }
}

TEST(BatchRowCells, ResultsRowFollowsTheHeaderThroughTheCursor) {
  BatchGrid grid;
  BatchCursor cursor{1, 2, 0};
  const RecordHeaderTexts t{"ID", "N", "M", "1", "2", "3", "4", "5", "2001/01/01", "00:00"};
  for (const std::string& cell : HeaderCells("f.r01", t)) WriteBatchCell(grid, cursor, cell);
  EXPECT_EQ(cursor.BatchColumn, 11);
  AnalysisResults r = DistinctResults();
  for (const std::string& cell : BatchResultCells(r)) WriteBatchCell(grid, cursor, cell);
  EXPECT_EQ(cursor.BatchColumn, kBatchGridColumns);
  EXPECT_EQ(grid.Cell(0, 2), "f.r01");
  EXPECT_EQ(grid.Cell(10, 2), "00:00");
  EXPECT_EQ(grid.Cell(12, 2), "100");
  EXPECT_EQ(grid.Cell(150, 2), "33");
  EXPECT_EQ(grid.Cell(12, 1), "");
}

}  // namespace
}  // namespace wavelet
