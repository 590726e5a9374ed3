#include "output/BatchRowWriter.h"

#include "analysis/Judgement.h"
#include "output/NumberFormat.h"

namespace wavelet {

std::vector<std::string> HeaderCells(const std::string& fileName, const RecordHeaderTexts& t) {
  return {fileName, t.PatientId, t.PatientName, t.Sex,  t.Age, t.Height,
          t.Weight, t.Race,      t.AveragingCount, t.Date, t.Time};
}

std::vector<std::string> BatchResultCells(AnalysisResults& results) {
  std::vector<std::string> cells;
  cells.reserve(kResultCellCount);
  for (int lead = 0; lead < kLeads; ++lead) {
    for (int scale = 0; scale < kScales; ++scale) {
      cells.push_back(FormatArea(results.Area[lead][scale]));
      cells.push_back(FormatDecimal(results.PeakCount[lead][scale]));
      cells.push_back(FormatDecimal(results.Fqrs[lead][scale]));
      cells.push_back(FormatDecimal(results.LastPeak[lead][scale]));
    }
    cells.push_back(FormatDecimal(results.CombinedPeakCount[lead]));
    cells.push_back(FormatDecimal(results.CombinedFirstPeak[lead]));
    cells.push_back(FormatDecimal(results.CombinedLastPeak[lead]));
  }
  ComputeJudgements(results);
  for (int flag : {results.AreaJudge, results.CountJudge, results.LastPeakJudge,
                   results.FqrsJudge, results.Judge1, results.Judge2}) {
    cells.push_back(FormatFlag(flag));
  }
  return cells;
}

void WriteBatchResultsRow(BatchGrid& grid, BatchCursor& cursor, AnalysisResults& results) {
  for (std::string& cell : BatchResultCells(results)) {
    grid.SetCell(cursor.BatchColumn, cursor.BatchRow, std::move(cell));
    ++cursor.BatchColumn;
  }
}

}  // namespace wavelet
