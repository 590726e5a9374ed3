#pragma once
// The command line of the study tool, wavelet-cohort.

#include <string>
#include <vector>

namespace wavelet::cli {

struct CohortOptions {
  std::vector<std::string> Paths;
  std::string LabelsPath;
  std::string PositiveGroup;
  std::string GroupColumn = "group";
  std::string OutputDirectory;
  double UnitUv = 0.1;  // microvolts per unit of records whose tag states none
  int Jobs = 0;         // 0: one per core
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

struct ParsedCohortOptions {
  bool Ok = false;
  std::string ErrorText;
  CohortOptions Options;
};

ParsedCohortOptions ParseCohortOptions(const std::vector<std::string>& arguments);

const char* CohortUsageText();

}  // namespace wavelet::cli
