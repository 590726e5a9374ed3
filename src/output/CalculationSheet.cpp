#include "output/CalculationSheet.h"

#include "output/NumberFormat.h"

namespace wavelet {

std::vector<LabelText> CalculationSheetTexts(const AnalysisResults& r) {
  std::vector<LabelText> labels;
  labels.reserve(kLeads * (kScales * 4 + 3) + 6);
  for (int k = 0; k < kLeads; ++k) {
    const std::string lead = std::to_string(k);
    for (int a = 0; a < kScales; ++a) {
      const std::string suffix = lead + std::to_string(a + 1);
      labels.push_back({"LabelA" + suffix, FormatArea(r.Area[k][a])});
      labels.push_back({"LabelQ" + suffix, FormatDecimal(r.PeakCount[k][a])});
      labels.push_back({"LabelF" + suffix, FormatDecimal(r.Fqrs[k][a])});
      labels.push_back({"LabelZ" + suffix, FormatDecimal(r.LastPeak[k][a])});
    }
    labels.push_back({"LabelFN" + lead, FormatDecimal(r.CombinedPeakCount[k])});
    labels.push_back({"LabelFS" + lead, FormatDecimal(r.CombinedFirstPeak[k])});
    labels.push_back({"LabelFE" + lead, FormatDecimal(r.CombinedLastPeak[k])});
  }
  labels.push_back({"Label239", FormatFlag(r.AreaJudge)});
  labels.push_back({"Label240", FormatFlag(r.CountJudge)});
  labels.push_back({"Label241", FormatFlag(r.LastPeakJudge)});
  labels.push_back({"Label72", FormatFlag(r.FqrsJudge)});
  labels.push_back({"Label242", FormatFlag(r.Judge1)});
  labels.push_back({"Label243", FormatFlag(r.Judge2)});
  return labels;
}

}  // namespace wavelet
