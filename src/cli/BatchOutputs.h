#pragma once
// Everything wavelet-batch writes besides its messages: the records' CSV, the
// late-potential CSV, the pictures' folder and the report pages. All are opened
// before any analysis (one that cannot be written stops the run then), take each
// record's products in input order, and are put in place together at the end.

#include <memory>
#include <string>

#include "base/AtomicFile.h"
#include "cli/BatchInputs.h"
#include "cli/BatchOptions.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "cli/ReportPages.h"
#include "cli/ToolDiagnostics.h"

namespace wavelet::cli {

class BatchOutputs {
 public:
  BatchOutputs(const BatchOptions& options, ToolDiagnostics& diagnostics);

  // Opens every output asked for, the CSV's title row written; false (the reason
  // reported) when one cannot be written. One page program per worker, never more
  // than there are records.
  bool Open(int jobs, std::size_t records);
  // What the workers are to make besides the rows.
  const OutputRequest& Request() const { return request_; }
  BatchOutput& Csv() { return *csv_; }

  // One record's products, after its row went to Csv(): its messages, its page to the
  // page program, its late-potential row.
  void Take(const BatchInput& input, const RecordRow& row);

  enum class Finished { Written, SomeNotWritten, CsvNotWritten };
  // Puts every output in place and reports those that could not be; the progress line
  // ends before the first report. After CsvNotWritten nothing else is reported.
  Finished Finish(const BatchRunReport& run);

 private:
  bool OpenPictures();
  bool OpenReports(int jobs, std::size_t records);
  bool OpenLatePotentials();

  const BatchOptions& options_;
  ToolDiagnostics& diagnostics_;
  OutputRequest request_;
  std::unique_ptr<BatchOutput> csv_;
  ReportPagesRun reportPages_;
  std::unique_ptr<AtomicFileWriter> latePotentials_;
};

}  // namespace wavelet::cli
