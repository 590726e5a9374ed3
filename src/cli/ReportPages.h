#pragma once
// The PDF of --reports, drawn by the companion program wavelet-report-pages (the
// window's page renderer, which needs the toolkit this tool does without). It runs
// beside the analysis: started before the first record, waited for after the last.

#include <sys/types.h>

#include <string>
#include <vector>

#include "cli/BatchInputs.h"

namespace wavelet::cli {

// The companion beside this program, else where the package installs it
// (<bin>/../libexec/wavelet); empty when neither exists.
std::string FindReportPagesProgram();

class ReportPagesRun {
 public:
  ReportPagesRun() = default;
  ~ReportPagesRun();
  ReportPagesRun(const ReportPagesRun&) = delete;
  ReportPagesRun& operator=(const ReportPagesRun&) = delete;

  // Starts `program` writing `output` and hands it the records. False when it could
  // not be started.
  bool Start(const std::string& program, const std::string& output, bool letter,
             const std::vector<BatchInput>& records);
  // Waits for it; true when it wrote the file.
  bool Finish();

 private:
  pid_t pid_ = -1;
};

}  // namespace wavelet::cli
