#pragma once
// The command line of the headless batch tool.

#include <string>
#include <vector>

namespace wavelet::cli {

enum class PageSize { A4, Letter };

struct BatchOptions {
  std::vector<std::string> Paths;
  std::string OutputPath;  // empty: standard output
  int Jobs = 0;            // 0: one per core
  bool Header = true;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
  // Pictures: empty for none; else the directory of the five PNG files per record.
  std::string ImagesDirectory;
  int DisplayMode = 0;  // kDisplayBasic, kDisplaySpectrogram or kDisplayMap
  int Scale = 2;        // 1..6
  bool Dots = true;
  bool Lines = true;
  int Gain = 30;  // 1..100, the raw view's gain
  // Reports: empty for none; else the PDF file of one page per record.
  std::string ReportsPath;
  PageSize Page = PageSize::A4;
  // Late potentials: empty for none; else their CSV file, one row per record.
  std::string LatePotentialsPath;
  double UnitUv = 0.1;  // microvolts per unit of records whose tag states none
};

struct ParsedOptions {
  bool Ok = false;
  std::string ErrorText;  // why the command line was refused
  BatchOptions Options;
};

ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments);

const char* BatchUsageText();

}  // namespace wavelet::cli
