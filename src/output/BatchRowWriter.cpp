#include "output/BatchRowWriter.h"

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
  cells.reserve(kResultColumnCount);
  for (const ResultColumn& column : ResultColumns()) cells.push_back(ResultText(results, column));
  return cells;
}

}  // namespace wavelet
