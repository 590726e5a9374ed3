#pragma once
// The cells of one batch row: the eleven header cells and the 146 result cells.

#include <string>
#include <vector>

#include "analysis/AnalysisState.h"
#include "output/BatchGrid.h"
#include "record/RecordDecoder.h"

namespace wavelet {

inline constexpr int kHeaderCellCount = 11;
inline constexpr int kResultCellCount = 146;

// File name, ID, name, sex, age, height, weight, race, averaging count, date, time.
std::vector<std::string> HeaderCells(const std::string& fileName, const RecordHeaderTexts&);

// Per lead X, Y, Z, M: per scale area, peak count, fQRS, last peak; then the three
// combined values; finally the six judgements as the analysis left them.
std::vector<std::string> BatchResultCells(const AnalysisResults&);

// Writes BatchResultCells into row BatchRow from column BatchColumn on, raising
// BatchColumn by one per cell.
void WriteBatchResultsRow(BatchGrid&, BatchCursor&, const AnalysisResults&);

}  // namespace wavelet
