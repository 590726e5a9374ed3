#include "output/ResultColumns.h"

#include <string>

#include "analysis/Judgement.h"
#include "output/NumberFormat.h"

namespace wavelet {
namespace {

constexpr const char* kLeadLetters[kLeads] = {"X", "Y", "Z", "M"};
// The width of a criterion between its brackets: the widest of them.
constexpr std::size_t kCriterionWidth = 29;

struct ItemName {
  ResultValue Value;
  const char* GridPrefix;
  const char* LabelPrefix;
};

constexpr ItemName kScaleItems[] = {
    {ResultValue::Area, "area_", "LabelA"},
    {ResultValue::PeakCount, "peak_n_", "LabelQ"},
    {ResultValue::Fqrs, "fQRS_", "LabelF"},
    {ResultValue::LastPeak, "last_p_", "LabelZ"},
};

constexpr ItemName kCombinedItems[] = {
    {ResultValue::CombinedPeakCount, "c_peak_n_", "LabelFN"},
    {ResultValue::CombinedFirstPeak, "c_first_p_", "LabelFS"},
    {ResultValue::CombinedLastPeak, "c_last_n_", "LabelFE"},
};

struct Judgement {
  ResultValue Value;
  const char* GridTitle;
  const char* SheetLabel;
  const char* SheetCaption;
  const char* ReportCaption;
  int ReportValueColumn;  // -1: the page prints the flag alone
  std::optional<Criterion> PageCriterion;
};

// Columns of lead M (lead 3) that the page prints beside the judgements.
constexpr int LeadColumn(int lead) { return lead * (kScales * 4 + 3); }
constexpr int ScaleItemColumn(int lead, int scale, int item) {
  return LeadColumn(lead) + scale * 4 + item;
}
constexpr int CombinedColumn(int lead, int item) { return LeadColumn(lead) + kScales * 4 + item; }

const Judgement kJudgements[] = {
    {ResultValue::AreaJudge, "s_area", "Label239", "decomposed surface area(M5) :",
     "decomposed surface area(M5) :", ScaleItemColumn(LeadM, kJudgedScaleIndex, 0),
     Criterion{"decomposed surface area", "<="}},
    {ResultValue::CountJudge, "s_peak_num", "Label240", "a count of local maxima :",
     "a count of local maxima :", CombinedColumn(LeadM, 0), Criterion{"a count of local maxima", ">="}},
    {ResultValue::LastPeakJudge, "s_last_p", "Label241", "the latest local maxima :",
     "the latest local maxima :", CombinedColumn(LeadM, 2),
     Criterion{"the latest local maxima", ">="}},
    {ResultValue::FqrsJudge, "s_fqrs", "Label72", "fqrs(M5) :", "fqrs(M5) :",
     ScaleItemColumn(LeadM, kJudgedScaleIndex, 2), Criterion{"fqrs", ">="}},
    {ResultValue::Judge1, "judge1", "Label242", "judge 1 :", "judge1 :", -1, std::nullopt},
    {ResultValue::Judge2, "judge2", "Label243", "judge 2 :", "judge2 :", -1, std::nullopt},
};

std::vector<ResultColumn> BuildColumns() {
  std::vector<ResultColumn> columns;
  columns.reserve(kResultColumnCount);
  for (int lead = 0; lead < kLeads; ++lead) {
    const std::string letter = kLeadLetters[lead];
    const std::string index = std::to_string(lead);
    for (int scale = 0; scale < kScales; ++scale) {
      const std::string shown = std::to_string(scale + 1);
      for (int item = 0; item < 4; ++item) {
        const ItemName& name = kScaleItems[item];
        ResultColumn column;
        column.Value = name.Value;
        column.Lead = lead;
        column.Scale = scale;
        column.GridTitle = name.GridPrefix + letter + shown;
        column.SheetLabel = name.LabelPrefix + index + shown;
        column.Place = {SheetSection::ScaleItem, scale, item, lead};
        columns.push_back(std::move(column));
      }
    }
    for (int item = 0; item < 3; ++item) {
      const ItemName& name = kCombinedItems[item];
      ResultColumn column;
      column.Value = name.Value;
      column.Lead = lead;
      column.GridTitle = name.GridPrefix + letter;
      column.SheetLabel = name.LabelPrefix + index;
      column.Place = {SheetSection::CombinedItem, 0, item, lead};
      columns.push_back(std::move(column));
    }
  }
  int line = 0;
  for (const Judgement& judgement : kJudgements) {
    ResultColumn column;
    column.Value = judgement.Value;
    column.Lead = LeadM;
    column.GridTitle = judgement.GridTitle;
    column.SheetLabel = judgement.SheetLabel;
    column.Place = {SheetSection::Judgement, line++, 0, LeadM};
    column.SheetCaption = judgement.SheetCaption;
    column.ReportCaption = judgement.ReportCaption;
    if (judgement.ReportValueColumn >= 0) column.ReportValueColumn = judgement.ReportValueColumn;
    column.PageCriterion = judgement.PageCriterion;
    columns.push_back(std::move(column));
  }
  return columns;
}

}  // namespace

const std::vector<ResultColumn>& ResultColumns() {
  static const std::vector<ResultColumn> columns = BuildColumns();
  return columns;
}

std::string ResultText(const AnalysisResults& r, const ResultColumn& c) {
  switch (c.Value) {
    case ResultValue::Area: return FormatArea(r.Area[c.Lead][c.Scale]);
    case ResultValue::PeakCount: return FormatDecimal(r.PeakCount[c.Lead][c.Scale]);
    case ResultValue::Fqrs: return FormatDecimal(r.Fqrs[c.Lead][c.Scale]);
    case ResultValue::LastPeak: return FormatDecimal(r.LastPeak[c.Lead][c.Scale]);
    case ResultValue::CombinedPeakCount: return FormatDecimal(r.CombinedPeakCount[c.Lead]);
    case ResultValue::CombinedFirstPeak: return FormatDecimal(r.CombinedFirstPeak[c.Lead]);
    case ResultValue::CombinedLastPeak: return FormatDecimal(r.CombinedLastPeak[c.Lead]);
    case ResultValue::AreaJudge: return FormatFlag(r.AreaJudge);
    case ResultValue::CountJudge: return FormatFlag(r.CountJudge);
    case ResultValue::LastPeakJudge: return FormatFlag(r.LastPeakJudge);
    case ResultValue::FqrsJudge: return FormatFlag(r.FqrsJudge);
    case ResultValue::Judge1: return FormatFlag(r.Judge1);
    case ResultValue::Judge2: return FormatFlag(r.Judge2);
  }
  return std::string();
}

std::string CriterionText(const AnalysisResults& r, const ResultColumn& c) {
  if (!c.PageCriterion) return std::string();
  double threshold = 0.0;
  switch (c.Value) {
    case ResultValue::AreaJudge: threshold = r.AreaThreshold; break;
    case ResultValue::CountJudge: threshold = r.CountThreshold; break;
    case ResultValue::LastPeakJudge: threshold = r.LastPeakThreshold; break;
    case ResultValue::FqrsJudge: threshold = r.FqrsThreshold; break;
    default: break;
  }
  std::string text = std::string(c.PageCriterion->Text) + " " + c.PageCriterion->Operator + " " +
                     FormatGeneral(threshold);
  if (text.size() < kCriterionWidth) text.append(kCriterionWidth - text.size(), ' ');
  return "[" + text + "]";
}

}  // namespace wavelet
