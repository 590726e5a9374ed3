#pragma once
// Every result of a record's basic analysis as the program shows and exports it: one
// row per result, in the order of the batch grid's result columns. The grid's titles
// and cells, the calculation sheet's labels and their places, and the page's measured
// lines and criteria are all read from this one table, so a result added here shows
// everywhere at once.

#include <optional>
#include <string>
#include <vector>

#include "analysis/AnalysisState.h"

namespace wavelet {

// What a column holds; per lead and scale, per lead, or of lead M as a whole.
enum class ResultValue {
  Area, PeakCount, Fqrs, LastPeak,                        // [Lead][Scale]
  CombinedPeakCount, CombinedFirstPeak, CombinedLastPeak,  // [Lead]
  AreaJudge, CountJudge, LastPeakJudge, FqrsJudge, Judge1, Judge2,
};

// Where the calculation sheet shows a value: a scale item (row = scale index, item =
// area, peak_num, fQRS, last peak) or a combined item (item = peak_num, first_peak,
// last_peak) in the column of its lead, or a judgement line (row = its line).
enum class SheetSection { ScaleItem, CombinedItem, Judgement };

struct SheetPlace {
  SheetSection Section = SheetSection::ScaleItem;
  int Row = 0;
  int Item = 0;
  int Lead = 0;
};

// A judgement's criterion as the page states it: "[<text> <op> <threshold>]".
struct Criterion {
  const char* Text;
  const char* Operator;
};

struct ResultColumn {
  ResultValue Value = ResultValue::Area;
  int Lead = 0;   // for the per-lead values
  int Scale = 0;  // for the per-scale values
  std::string GridTitle;
  std::string SheetLabel;  // the value label's object name on the calculation sheet
  SheetPlace Place;
  // Judgements only: the sheet's caption, the page's measured line (its caption and
  // the column whose value it prints beside the flag) and the page's criterion.
  const char* SheetCaption = nullptr;
  const char* ReportCaption = nullptr;
  std::optional<int> ReportValueColumn;
  std::optional<Criterion> PageCriterion;
};

inline constexpr int kResultColumnCount = 146;

// The table, built once.
const std::vector<ResultColumn>& ResultColumns();

// The column's value as the sheet shows it and the grid exports it.
std::string ResultText(const AnalysisResults& results, const ResultColumn& column);

// The criterion line of a judgement column from the threshold that judges it, padded
// so that the four lines are equally wide: "[fqrs >= 140                  ]".
std::string CriterionText(const AnalysisResults& results, const ResultColumn& column);

}  // namespace wavelet
