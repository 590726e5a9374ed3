#pragma once
// A study's tables from its labelled records: the records with the cells the batch
// tool prints, one row per yes/no criterion (the 2 x 2 counts, sensitivity and
// specificity with Wilson intervals, predictive values, kappa against the
// time-domain verdict) and one row per figure (medians by group, AUC with DeLong's
// interval); and the report the pictures are drawn from, in a text form that the
// picture program reads.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavelet::cohort {

// One labelled record: its cells of records.csv after the file name and the group
// (the wavelet judgements, then the time-domain figures and flags), and the four
// values the wavelet criteria compare with their thresholds, as the grid prints them.
struct CohortRecord {
  std::string Name;
  std::string Group;
  bool Positive = false;
  std::vector<std::string> Cells;
  std::array<std::string, 4> WaveletValues;
};

// The title row of records.csv.
const std::vector<std::string>& RecordTitles();
// The record from its batch-grid row (every column) and its late-potential row, as
// the batch tool writes them; an unreadable record has blank cells.
CohortRecord MakeCohortRecord(std::string name, std::string group, bool positive,
                              const std::vector<std::string>& gridCells,
                              const std::vector<std::string>& latePotentialCells);

struct Table {
  std::vector<std::string> Titles;
  std::vector<std::vector<std::string>> Rows;
};

// records.csv, cohort.csv and auc.csv (their titles and rows).
Table RecordsTable(const std::vector<CohortRecord>& records);
Table CriteriaTable(const std::vector<CohortRecord>& records);
Table AucTable(const std::vector<CohortRecord>& records);

// The seven figures by name, and the values of each known in the two groups.
struct FigureValues {
  std::string Name;
  std::vector<double> Positive;
  std::vector<double> Negative;
};
std::vector<FigureValues> Figures(const std::vector<CohortRecord>& records);
// The time-domain figures are the first three of Figures(), the wavelet values the rest.
inline constexpr std::size_t kTimeDomainFigures = 3;

// A criterion against the time-domain verdict, over the records where both are known.
struct Agreement {
  std::string Criterion;
  int BothYes = 0;
  int CriterionOnly = 0;
  int LateOnly = 0;
  int BothNo = 0;
};
Agreement AgreementWithLatePotentials(const std::vector<CohortRecord>& records,
                                      const std::string& criterion);

struct CohortReport {
  std::string PositiveGroup;
  std::string NegativeGroup;  // the other group's name, or "not <positive>"
  int PositiveRecords = 0;
  int NegativeRecords = 0;
  Table Criteria;
  Table Aucs;
  std::vector<FigureValues> Values;
  std::vector<Agreement> Agreements;  // judge1, judge2
};

CohortReport BuildReport(const std::vector<CohortRecord>& records, std::string positiveGroup,
                         std::string negativeGroup);

// The report as lines of tab-separated fields (tabs and line ends in a text become
// spaces; numbers round-trip), and back; nothing for text that is not one.
std::string SerializeReport(const CohortReport& report);
std::optional<CohortReport> ParseReport(std::string_view text);

}  // namespace wavelet::cohort
