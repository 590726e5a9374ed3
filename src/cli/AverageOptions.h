#pragma once
// The command line of wavelet-average.

#include <string>
#include <vector>

#include "acquisition/AverageFile.h"

namespace wavelet::cli {

struct AverageOptions {
  std::vector<std::string> Paths;
  std::string OutputDirectory;
  int Jobs = 0;  // 0: one per core
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
  AverageFileRequest Request;
};

struct ParsedAverageOptions {
  bool Ok = false;
  std::string ErrorText;
  AverageOptions Options;
};

ParsedAverageOptions ParseAverageOptions(const std::vector<std::string>& arguments);
const char* AverageUsageText();

}  // namespace wavelet::cli
