// wavelet-batch: the batch table of the window, without the window.

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/LargeBuffers.h"
#include "cli/BatchInputs.h"
#include "cli/BatchOptions.h"
#include "cli/BatchOutputs.h"
#include "cli/BatchRun.h"
#include "cli/ToolDiagnostics.h"
#include "version/Version.h"

namespace {
constexpr const char* kProgram = "wavelet-batch";
}  // namespace

int main(int argc, char** argv) {
  using namespace wavelet;
  using namespace wavelet::cli;

  const ParsedOptions parsed = ParseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) return UsageError(kProgram, parsed.ErrorText);
  const BatchOptions& options = parsed.Options;
  // The report pages are recorded, sent and dropped one after another.
  KeepLargeBuffersInTheHeap();
  if (options.Help) {
    std::fputs(BatchUsageText(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("wavelet-batch %s\n", kBuildVersion);
    return 0;
  }
  int jobs = options.Jobs;
  if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  const ExpandedInputs inputs = ExpandBatchInputs(options.Paths);
  ToolDiagnostics diagnostics(kProgram, options.Quiet, inputs.Records.size(), "records");
  for (const std::string& error : inputs.Errors) diagnostics.Error(error);

  BatchOutputs outputs(options, diagnostics);
  if (!outputs.Open(jobs, inputs.Records.size())) return kExitSomeFailed;
  const BatchRunReport report = RunBatch(
      inputs.Records, jobs, outputs.Csv(),
      [&](std::size_t index, const RecordRow& row) {
        outputs.Take(inputs.Records[index], row);
        diagnostics.Progress(index + 1);
      },
      outputs.Request());
  const BatchOutputs::Finished finished = outputs.Finish(report);
  if (finished == BatchOutputs::Finished::CsvNotWritten) return kExitSomeFailed;
  if (report.Unreadable > 0) {
    diagnostics.Error(std::to_string(report.Unreadable) + " of " +
                      std::to_string(inputs.Records.size()) + " records could not be read");
  }
  return report.Unreadable > 0 || !inputs.Errors.empty() || report.PicturesFailed > 0 ||
                 finished != BatchOutputs::Finished::Written
             ? kExitSomeFailed
             : kExitSuccess;
}
