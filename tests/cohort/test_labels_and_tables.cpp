// The labels file, the matching of records to labels, and the shapes of the tables.

#include <gtest/gtest.h>

#include "cohort/CohortTables.h"
#include "cohort/Labels.h"
#include "output/BatchGrid.h"
#include "output/LatePotentialTexts.h"

namespace wavelet::cohort {
namespace {

TEST(Labels, OneRecordWhateverTheCaseOrSuffixAndQuotedCells) {
  EXPECT_EQ(RecordKey("S0303LRE.R01"), "s0303lre");
  EXPECT_EQ(RecordKey("/data/s0303lre.r01"), "s0303lre");
  EXPECT_EQ(RecordKey("s0303lre"), "s0303lre");

  const LabelsRead read = ParseLabels(
      "\xEF\xBB\xBFrecord,age, Group \r\n"
      "s0303lre,60,MI\r\n"
      "S0303LRE.R01,60,MI\r\n"          // the same record, the same group: one label
      "\"s0010,re\",51,\"Healthy \"\"control\"\"\"\n"
      "s0999,,\n"                         // no group: no label
      "s0500,40, MI ",
      "group", "labels.csv");
  ASSERT_TRUE(read.Ok) << read.Error;
  ASSERT_EQ(read.Labels.size(), 3u);
  EXPECT_EQ(read.Labels[1].Key, "s0010,re");
  EXPECT_EQ(read.Labels[1].Group, "Healthy \"control\"");
  EXPECT_EQ(read.Labels[2].Group, "MI");

  // The same record under a second name counts once, as the first.
  const Matching matching = MatchLabels(read.Labels, {"s0500.R01", "x1.r01", "S0303LRE.r02", "s0303lre.xyz"});
  EXPECT_EQ(matching.LabelOf, (std::vector<int>{2, -1, 0, -1}));
  EXPECT_EQ(matching.Unlabelled, std::vector<std::string>{"x1.r01"});
  EXPECT_EQ(matching.Repeated, std::vector<std::string>{"s0303lre.xyz"});
  EXPECT_EQ(matching.UnusedLabels, std::vector<std::string>{"s0010,re"});
  EXPECT_EQ(MatchedGroups(read.Labels, matching), std::vector<std::string>{"MI"});
}

TEST(Labels, RefusalsSayWhyInOneLine) {
  const LabelsRead noColumn = ParseLabels("record,diagnosis\na,MI\n", "group", "l.csv");
  EXPECT_FALSE(noColumn.Ok);
  EXPECT_EQ(noColumn.Error, "[l.csv] has no column \"group\" after its first");
  // The first column names the record, so it is never the group.
  EXPECT_FALSE(ParseLabels("group,x\na,MI\n", "group", "l.csv").Ok);
  EXPECT_TRUE(ParseLabels("record,diagnosis\na,MI\n", "Diagnosis", "l.csv").Ok);

  const LabelsRead twice = ParseLabels("r,group\nA.r01,MI\na.R02,control\n", "group", "l.csv");
  EXPECT_FALSE(twice.Ok);
  EXPECT_EQ(twice.Error, "[l.csv] names the record a.R02 twice, as \"MI\" and as \"control\"");

  const LabelsRead missing = ReadLabels("/nonexistent/labels.csv", "group");
  EXPECT_EQ(missing.Error, "Cannot read [/nonexistent/labels.csv]: No such file or directory");
  EXPECT_EQ(ReadLabels("/", "group").Error, "Cannot read [/]: Is a directory");
}

// A record's grid and late-potential rows with just the cells the study reads.
CohortRecord Record(const std::string& name, bool positive, const std::string& judge1,
                    const std::string& fqrs, const std::string& late) {
  const std::vector<std::string> titles = BatchGridColumns();
  std::vector<std::string> grid(titles.size());
  std::vector<std::string> lateCells(LatePotentialTitles().size());
  for (std::size_t i = 0; i < titles.size(); ++i) {
    if (titles[i] == "judge1") grid[i] = judge1;
    if (titles[i] == "area_M5") grid[i] = fqrs.empty() ? "" : "1.5";
  }
  lateCells[5] = fqrs;   // fqrs_ms
  lateCells[11] = late;  // late_potentials
  return MakeCohortRecord(name, positive ? "MI" : "HC", positive, grid, lateCells);
}

TEST(CohortTables, ShapesCountsAndBlanks) {
  const std::vector<CohortRecord> records{
      Record("a.r01", true, "1", "120", "1"), Record("b.r01", true, "1", "100", "0"),
      Record("c.r01", true, "0", "", ""),  // QRS not found: in no cell of late_potentials
      Record("d.r01", false, "0", "90", "0"), Record("e.r01", false, "1", "110", "0")};

  const Table rows = RecordsTable(records);
  EXPECT_EQ(rows.Titles.size(), 16u);
  EXPECT_EQ(rows.Titles.front(), "Filename");
  EXPECT_EQ(rows.Titles.back(), "late_potentials");
  EXPECT_EQ(rows.Rows[0], (std::vector<std::string>{"a.r01", "MI", "", "", "", "", "1", "", "", "120",
                                                     "", "", "", "", "", "1"}));

  const Table criteria = CriteriaTable(records);
  ASSERT_EQ(criteria.Rows.size(), 10u);
  EXPECT_EQ(criteria.Rows[0][0], "s_area");  // blank throughout: no counts, nothing defined
  EXPECT_EQ(criteria.Rows[0], (std::vector<std::string>{"s_area", "0", "0", "0", "0", "", "", "", "",
                                                         "", "", "", "", ""}));
  // judge1: tp 2, fn 1, fp 1, tn 1; against the verdict over a, b, d, e: 1,1/1,0/0,0/1,0.
  const std::vector<std::string>& judge1 = criteria.Rows[4];
  EXPECT_EQ(std::vector<std::string>(judge1.begin(), judge1.begin() + 6),
            (std::vector<std::string>{"judge1", "2", "1", "1", "1", "0.6667"}));
  EXPECT_EQ(judge1[8], "0.5000");
  EXPECT_EQ(judge1[11], "0.6667");  // ppv 2/3
  EXPECT_EQ(judge1[12], "0.5000");  // npv 1/2
  // kappa over a, b, d, e (c has no verdict): po 2/4, pe 3/4 x 1/4 + 1/4 x 3/4 = 3/8.
  EXPECT_EQ(judge1[13], "0.2000");
  EXPECT_EQ(criteria.Rows[9][0], "late_potentials");
  EXPECT_EQ(criteria.Rows[9][1], "1");

  const Table aucs = AucTable(records);
  ASSERT_EQ(aucs.Rows.size(), 7u);
  EXPECT_EQ(aucs.Rows[0], (std::vector<std::string>{"fqrs_ms", "2", "2", "110.0000", "100.0000",
                                                     "0.7500", "0.0570", "1.0000"}));
  EXPECT_EQ(aucs.Rows[3][0], "area_M5");
  EXPECT_EQ(aucs.Rows[3][5], "0.5000");
  EXPECT_EQ(aucs.Rows[4], (std::vector<std::string>{"peak_n_M1", "0", "0", "", "", "", "", ""}));

  // One group empty: the rows are there, its proportion blank.
  const Table onlyPatients = CriteriaTable({records[0], records[1]});
  EXPECT_EQ(onlyPatients.Rows[4][5], "1.0000");
  EXPECT_EQ(onlyPatients.Rows[4][8], "");
}

TEST(CohortTables, TheReportSurvivesItsTextForm) {
  const std::vector<CohortRecord> records{Record("a", true, "1", "120", "1"),
                                          Record("b", false, "0", "95.5", "0")};
  const CohortReport report = BuildReport(records, "MI\tx", "HC");
  const std::optional<CohortReport> back = ParseReport(SerializeReport(report));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->PositiveGroup, "MI x");
  EXPECT_EQ(back->Criteria.Rows, report.Criteria.Rows);
  EXPECT_EQ(back->Aucs.Titles, report.Aucs.Titles);
  EXPECT_EQ(back->Values[0].Negative, std::vector<double>{95.5});
  EXPECT_EQ(back->Agreements[0].BothYes, 1);
  const std::string text = SerializeReport(report);
  EXPECT_FALSE(ParseReport(text.substr(0, text.size() - 4)));  // cut short
}

}  // namespace
}  // namespace wavelet::cohort
