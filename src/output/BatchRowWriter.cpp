#include "output/BatchRowWriter.h"

#include "output/NumberFormat.h"
#include "output/PatientHeader.h"

namespace wavelet {

std::vector<std::string> HeaderCells(const std::string& fileName, const RecordHeaderTexts& t) {
  std::vector<std::string> cells;
  cells.reserve(kPatientFieldCount);
  for (const PatientHeaderEntry& entry : kPatientHeader) {
    cells.push_back(PatientFieldText(t, fileName, entry.Field));
  }
  return cells;
}

std::vector<std::string> BatchResultCells(const AnalysisResults& results) {
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
  for (int flag : {results.AreaJudge, results.CountJudge, results.LastPeakJudge,
                   results.FqrsJudge, results.Judge1, results.Judge2}) {
    cells.push_back(FormatFlag(flag));
  }
  return cells;
}

void WriteBatchResultsRow(BatchGrid& grid, BatchCursor& cursor, const AnalysisResults& results) {
  for (std::string& cell : BatchResultCells(results)) {
    grid.SetCell(cursor.BatchColumn, cursor.BatchRow, std::move(cell));
    ++cursor.BatchColumn;
  }
}

}  // namespace wavelet
