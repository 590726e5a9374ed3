#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/Judgement.h"
#include "output/CalculationSheet.h"
#include "output/NumberFormat.h"
#include "output/ResultColumns.h"
#include "support/Analysis.h"

namespace wavelet {
namespace {

TEST(NumberFormat, AreasAreTruncatedThousandths) {
  EXPECT_EQ(FormatArea(12345.9), "12.345");
  EXPECT_EQ(FormatArea(12345.999), "12.345");
  EXPECT_EQ(FormatArea(12000.75), "12");
  EXPECT_EQ(FormatArea(0.0), "0");
  EXPECT_EQ(FormatArea(-0.0), "0");
  EXPECT_EQ(FormatArea(0.999), "0");
  EXPECT_EQ(FormatArea(96000.5), "96");
  // 15 significant digits, not the shortest round trip (999999999.9990001).
  EXPECT_EQ(FormatArea(999999999999.0), "999999999.999");
  EXPECT_EQ(FormatArea(-2500.5), "-2.5");
}

TEST(NumberFormat, AreaGuardsValuesBeyondInt64AndGeneralFormEdges) {
  EXPECT_EQ(FormatArea(1e300), "1e+297");
  EXPECT_EQ(FormatArea(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FormatArea(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(FormatArea(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(FormatGeneral(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(FormatGeneral(0.00001), "0.00001");
  EXPECT_EQ(FormatGeneral(0.0000099), "9.9e-06");
  EXPECT_EQ(FormatGeneral(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatGeneral(1e15), "1e+15");
  EXPECT_EQ(FormatGeneral(9999999999999999.0), "1e+16");
  EXPECT_EQ(FormatGeneral(123456789012345678.0), "1.23456789012346e+17");
}

AnalysisResults StartUpResults() { return testing::FreshState()->Results; }

TEST(Judgement, AreaUsesTheUntruncatedValue) {
  AnalysisResults r = StartUpResults();
  r.Area[LeadM][4] = 96000.5;  // shows as "96", yet lies above the threshold
  ComputeJudgements(r);
  EXPECT_EQ(r.AreaJudge, 0);
  EXPECT_EQ(FormatArea(r.Area[LeadM][4]), "96");
}

TEST(CalculationSheet, EveryLabelInFillingOrderWithItsText) {
  AnalysisResults r = StartUpResults();
  r.Area[0][0] = 12345.9;
  r.PeakCount[0][0] = 3;
  r.Fqrs[0][0] = -12;
  r.LastPeak[3][7] = -40;
  r.CombinedPeakCount[2] = 4;
  r.CombinedFirstPeak[2] = 15;
  r.CombinedLastPeak[2] = 88;
  r.Area[LeadM][4] = 50000.0;
  r.PeakCount[LeadM][0] = 9;
  ComputeJudgements(r);
  const AnalysisResults before = r;
  const std::vector<LabelText> labels = CalculationSheetTexts(r);
  ASSERT_EQ(labels.size(), 4u * (8 * 4 + 3) + 6);
  EXPECT_EQ(labels[0].Name, "LabelA01");
  EXPECT_EQ(labels[0].Text, "12.345");
  EXPECT_EQ(labels[1].Name, "LabelQ01");
  EXPECT_EQ(labels[1].Text, "3");
  EXPECT_EQ(labels[2].Name, "LabelF01");
  EXPECT_EQ(labels[2].Text, "-12");
  EXPECT_EQ(labels[3].Name, "LabelZ01");
  EXPECT_EQ(labels[4].Name, "LabelA02");
  EXPECT_EQ(labels[32].Name, "LabelFN0");
  EXPECT_EQ(labels[33].Name, "LabelFS0");
  EXPECT_EQ(labels[34].Name, "LabelFE0");
  EXPECT_EQ(labels[35].Name, "LabelA11");
  EXPECT_EQ(labels[2 * 35 + 32].Text, "4");
  EXPECT_EQ(labels[2 * 35 + 33].Text, "15");
  EXPECT_EQ(labels[2 * 35 + 34].Name, "LabelFE2");
  EXPECT_EQ(labels[2 * 35 + 34].Text, "88");
  EXPECT_EQ(labels[3 * 35 + 31].Name, "LabelZ38");
  EXPECT_EQ(labels[3 * 35 + 31].Text, "-40");
  const char* judgeNames[] = {"Label239", "Label240", "Label241", "Label72", "Label242", "Label243"};
  const char* judgeTexts[] = {"1", "1", "0", "0", "1", "1"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(labels[140 + i].Name, judgeNames[i]);
    EXPECT_EQ(labels[140 + i].Text, judgeTexts[i]);
  }
  EXPECT_EQ(r.Judge1, 1);
  EXPECT_EQ(0, std::memcmp(&before, &r, sizeof r));  // the texts only read the results
}

// The page's criteria come from the thresholds that judge, and its measured lines
// print the values of lead M beside the flags.
TEST(ResultColumns, CriteriaFromTheThresholdsAndTheMeasuredLinesValues) {
  AnalysisResults r = StartUpResults();
  std::vector<std::string> criteria, values;
  for (const ResultColumn& column : ResultColumns()) {
    if (column.PageCriterion) criteria.push_back(CriterionText(r, column));
    if (column.ReportValueColumn) values.push_back(ResultColumns()[*column.ReportValueColumn].GridTitle);
  }
  EXPECT_EQ(criteria, (std::vector<std::string>{"[decomposed surface area <= 96]",
                                                 "[a count of local maxima >= 7 ]",
                                                 "[the latest local maxima >= 91]",
                                                 "[fqrs >= 140                  ]"}));
  EXPECT_EQ(values, (std::vector<std::string>{"area_M5", "c_peak_n_M", "c_last_n_M", "fQRS_M5"}));
  r.FqrsThreshold = 150;
  EXPECT_EQ(CriterionText(r, ResultColumns()[kResultColumnCount - 3]), "[fqrs >= 150                  ]");
}

}  // namespace
}  // namespace wavelet
