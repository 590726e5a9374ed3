#pragma once
// The command line of the headless batch tool.

#include <string>
#include <vector>

namespace wavelet::cli {

struct BatchOptions {
  std::vector<std::string> Paths;
  std::string OutputPath;  // empty: standard output
  int Jobs = 0;            // 0: one per core
  bool Header = true;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

struct ParsedOptions {
  bool Ok = false;
  std::string ErrorText;  // why the command line was refused
  BatchOptions Options;
};

ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments);

const char* BatchUsageText();

}  // namespace wavelet::cli
