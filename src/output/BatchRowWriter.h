#pragma once
// The cells of one batch row: the patient header's cells and the result cells.

#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "output/BatchGrid.h"
#include "record/RecordDecoder.h"

namespace wavelet {

// File name, ID, name, sex, age, height, weight, race, averaging count, date, time.
std::vector<std::string> HeaderCells(const std::string& fileName, const RecordHeaderTexts&);

// The result columns' texts in their order, judgements as the analysis left them.
std::vector<std::string> BatchResultCells(const AnalysisResults&);

}  // namespace wavelet
