#include "cohort/CohortTables.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "base/FixedDecimals.h"
#include "cohort/Statistics.h"
#include "output/BatchGrid.h"
#include "output/LatePotentialTexts.h"

namespace wavelet::cohort {
namespace {

constexpr const char* kGridCells[] = {"s_area", "s_peak_num", "s_last_p", "s_fqrs", "judge1", "judge2"};
constexpr const char* kLatePotentialCells[] = {
    "noise_uv",       "fqrs_ms",        "rms40_uv",       "las40_ms",
    "fqrs_abnormal", "rms40_abnormal", "las40_abnormal", "late_potentials"};
constexpr const char* kCriteria[] = {"s_area",        "s_peak_num",     "s_last_p",       "s_fqrs",
                                     "judge1",        "judge2",         "fqrs_abnormal",  "rms40_abnormal",
                                     "las40_abnormal", "late_potentials"};
// What the wavelet criteria compare with their thresholds: the judged scale's area and
// fQRS of lead M, its count of maxima at the counted scale, its latest maximum.
constexpr const char* kWaveletValues[] = {"area_M5", "peak_n_M1", "c_last_n_M", "fQRS_M5"};
constexpr const char* kTimeDomainValues[] = {"fqrs_ms", "rms40_uv", "las40_ms"};

std::size_t IndexOf(const std::vector<std::string>& titles, const std::string& title) {
  return static_cast<std::size_t>(std::find(titles.begin(), titles.end(), title) - titles.begin());
}

const std::string& CellOf(const std::vector<std::string>& cells, std::size_t index) {
  static const std::string blank;
  return index < cells.size() ? cells[index] : blank;
}

// The value of a records.csv cell by title.
const std::string& RecordCell(const CohortRecord& record, const std::string& title) {
  return CellOf(record.Cells, IndexOf(RecordTitles(), title) - 2);
}

std::optional<double> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<bool> Flag(const std::string& text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

std::string Decimals(const std::optional<double>& value) {
  return value ? FixedDecimals(*value, 4) : std::string();
}

std::string Sanitized(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string Exact(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

const std::vector<std::string>& RecordTitles() {
  static const std::vector<std::string> titles = [] {
    std::vector<std::string> t{"Filename", "group"};
    t.insert(t.end(), std::begin(kGridCells), std::end(kGridCells));
    t.insert(t.end(), std::begin(kLatePotentialCells), std::end(kLatePotentialCells));
    return t;
  }();
  return titles;
}

CohortRecord MakeCohortRecord(std::string name, std::string group, bool positive,
                              const std::vector<std::string>& gridCells,
                              const std::vector<std::string>& latePotentialCells) {
  static const std::vector<std::string> gridTitles = BatchGridColumns();
  static const std::vector<std::string> lateTitles = LatePotentialTitles();
  CohortRecord record{std::move(name), std::move(group), positive, {}, {}};
  for (const char* title : kGridCells) record.Cells.push_back(CellOf(gridCells, IndexOf(gridTitles, title)));
  for (const char* title : kLatePotentialCells) {
    record.Cells.push_back(CellOf(latePotentialCells, IndexOf(lateTitles, title)));
  }
  for (std::size_t i = 0; i < record.WaveletValues.size(); ++i) {
    record.WaveletValues[i] = CellOf(gridCells, IndexOf(gridTitles, kWaveletValues[i]));
  }
  return record;
}

Table RecordsTable(const std::vector<CohortRecord>& records) {
  Table table{RecordTitles(), {}};
  table.Rows.reserve(records.size());
  for (const CohortRecord& record : records) {
    std::vector<std::string> row{record.Name, record.Group};
    row.insert(row.end(), record.Cells.begin(), record.Cells.end());
    table.Rows.push_back(std::move(row));
  }
  return table;
}

Agreement AgreementWithLatePotentials(const std::vector<CohortRecord>& records,
                                      const std::string& criterion) {
  Agreement agreement{criterion};
  for (const CohortRecord& record : records) {
    const std::optional<bool> said = Flag(RecordCell(record, criterion));
    const std::optional<bool> late = Flag(RecordCell(record, "late_potentials"));
    if (!said || !late) continue;
    ++(*said ? (*late ? agreement.BothYes : agreement.CriterionOnly)
             : (*late ? agreement.LateOnly : agreement.BothNo));
  }
  return agreement;
}

Table CriteriaTable(const std::vector<CohortRecord>& records) {
  Table table{{"criterion", "tp", "fn", "fp", "tn", "sensitivity", "sensitivity_low",
               "sensitivity_high", "specificity", "specificity_low", "specificity_high", "ppv",
               "npv", "kappa_vs_late_potentials"},
              {}};
  for (const char* criterion : kCriteria) {
    int tp = 0, fn = 0, fp = 0, tn = 0;
    for (const CohortRecord& record : records) {
      const std::optional<bool> said = Flag(RecordCell(record, criterion));
      if (!said) continue;
      ++(record.Positive ? (*said ? tp : fn) : (*said ? fp : tn));
    }
    std::vector<std::string> row{criterion, std::to_string(tp), std::to_string(fn),
                                 std::to_string(fp), std::to_string(tn)};
    for (const std::optional<Proportion>& p :
         {WilsonProportion(tp, tp + fn), WilsonProportion(tn, tn + fp)}) {
      row.push_back(p ? Decimals(p->Value) : std::string());
      row.push_back(p ? Decimals(p->Wilson.Low) : std::string());
      row.push_back(p ? Decimals(p->Wilson.High) : std::string());
    }
    const std::optional<Proportion> ppv = WilsonProportion(tp, tp + fp);
    const std::optional<Proportion> npv = WilsonProportion(tn, tn + fn);
    row.push_back(ppv ? Decimals(ppv->Value) : std::string());
    row.push_back(npv ? Decimals(npv->Value) : std::string());
    const Agreement a = AgreementWithLatePotentials(records, criterion);
    row.push_back(Decimals(CohenKappa(a.BothYes, a.CriterionOnly, a.LateOnly, a.BothNo)));
    table.Rows.push_back(std::move(row));
  }
  return table;
}

std::vector<FigureValues> Figures(const std::vector<CohortRecord>& records) {
  std::vector<FigureValues> figures;
  for (const char* name : kTimeDomainValues) figures.push_back({name, {}, {}});
  for (const char* name : kWaveletValues) figures.push_back({name, {}, {}});
  for (const CohortRecord& record : records) {
    for (std::size_t f = 0; f < figures.size(); ++f) {
      const std::string& text = f < kTimeDomainFigures
                                    ? RecordCell(record, figures[f].Name)
                                    : record.WaveletValues[f - kTimeDomainFigures];
      if (const std::optional<double> value = Number(text)) {
        (record.Positive ? figures[f].Positive : figures[f].Negative).push_back(*value);
      }
    }
  }
  return figures;
}

Table AucTable(const std::vector<CohortRecord>& records) {
  Table table{{"figure", "n_positive", "n_negative", "median_positive", "median_negative", "auc",
               "auc_low", "auc_high"},
              {}};
  for (const FigureValues& figure : Figures(records)) {
    const std::optional<AucEstimate> auc = MannWhitneyAuc(figure.Positive, figure.Negative);
    // A plain interval and a flag: GCC 12 warns falsely on an optional one here.
    const bool bounded = auc && auc->Confidence;
    const Interval interval = bounded ? *auc->Confidence : Interval{};
    table.Rows.push_back({figure.Name, std::to_string(figure.Positive.size()),
                          std::to_string(figure.Negative.size()), Decimals(Median(figure.Positive)),
                          Decimals(Median(figure.Negative)),
                          auc ? Decimals(auc->Auc) : std::string(),
                          bounded ? Decimals(interval.Low) : std::string(),
                          bounded ? Decimals(interval.High) : std::string()});
  }
  return table;
}

CohortReport BuildReport(const std::vector<CohortRecord>& records, std::string positiveGroup,
                         std::string negativeGroup) {
  CohortReport report;
  report.PositiveGroup = std::move(positiveGroup);
  report.NegativeGroup = std::move(negativeGroup);
  for (const CohortRecord& record : records) ++(record.Positive ? report.PositiveRecords : report.NegativeRecords);
  report.Criteria = CriteriaTable(records);
  report.Aucs = AucTable(records);
  report.Values = Figures(records);
  report.Agreements = {AgreementWithLatePotentials(records, "judge1"),
                       AgreementWithLatePotentials(records, "judge2")};
  return report;
}

namespace {

constexpr const char* kFirstLine = "wavelet-cohort-report 1";

void Line(std::string& out, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += '\t';
    out += Sanitized(fields[i]);
  }
  out += '\n';
}

void TableLines(std::string& out, const char* name, const Table& table) {
  std::vector<std::string> titles{name};
  titles.insert(titles.end(), table.Titles.begin(), table.Titles.end());
  Line(out, titles);
  for (const std::vector<std::string>& row : table.Rows) {
    std::vector<std::string> fields{"row"};
    fields.insert(fields.end(), row.begin(), row.end());
    Line(out, fields);
  }
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

bool Whole(const std::string& text, int& value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || parsed < 0 || parsed > 1'000'000'000) return false;
  value = static_cast<int>(parsed);
  return true;
}

}  // namespace

std::string SerializeReport(const CohortReport& report) {
  std::string out = std::string(kFirstLine) + "\n";
  Line(out, {"groups", report.PositiveGroup, report.NegativeGroup, std::to_string(report.PositiveRecords),
             std::to_string(report.NegativeRecords)});
  TableLines(out, "criteria", report.Criteria);
  TableLines(out, "auc", report.Aucs);
  for (const FigureValues& figure : report.Values) {
    for (const bool positive : {true, false}) {
      std::vector<std::string> fields{positive ? "positive" : "negative", figure.Name};
      for (const double v : positive ? figure.Positive : figure.Negative) fields.push_back(Exact(v));
      Line(out, fields);
    }
  }
  for (const Agreement& a : report.Agreements) {
    Line(out, {"agreement", a.Criterion, std::to_string(a.BothYes), std::to_string(a.CriterionOnly),
               std::to_string(a.LateOnly), std::to_string(a.BothNo)});
  }
  out += "end\n";
  return out;
}

std::optional<CohortReport> ParseReport(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string line;
  if (!std::getline(lines, line) || line != kFirstLine) return std::nullopt;
  CohortReport report;
  Table* table = nullptr;
  while (std::getline(lines, line)) {
    if (line == "end") return report;
    std::vector<std::string> fields = Fields(line);
    const std::string kind = fields.front();
    fields.erase(fields.begin());
    if (kind == "groups" && fields.size() == 4) {
      report.PositiveGroup = fields[0];
      report.NegativeGroup = fields[1];
      if (!Whole(fields[2], report.PositiveRecords) || !Whole(fields[3], report.NegativeRecords)) {
        return std::nullopt;
      }
    } else if (kind == "criteria" || kind == "auc") {
      table = kind == "criteria" ? &report.Criteria : &report.Aucs;
      table->Titles = std::move(fields);
    } else if (kind == "row" && table != nullptr && fields.size() == table->Titles.size()) {
      table->Rows.push_back(std::move(fields));
    } else if ((kind == "positive" || kind == "negative") && !fields.empty()) {
      if (kind == "positive") report.Values.push_back({fields[0], {}, {}});
      if (report.Values.empty() || report.Values.back().Name != fields[0]) return std::nullopt;
      std::vector<double>& values =
          kind == "positive" ? report.Values.back().Positive : report.Values.back().Negative;
      for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::optional<double> value = Number(fields[i]);
        if (!value) return std::nullopt;
        values.push_back(*value);
      }
    } else if (kind == "agreement" && fields.size() == 5) {
      Agreement a{fields[0]};
      if (!Whole(fields[1], a.BothYes) || !Whole(fields[2], a.CriterionOnly) ||
          !Whole(fields[3], a.LateOnly) || !Whole(fields[4], a.BothNo)) {
        return std::nullopt;
      }
      report.Agreements.push_back(a);
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;  // no "end": cut short
}

}  // namespace wavelet::cohort
