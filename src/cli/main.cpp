// wavelet-batch: the batch table of the window, without the window.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/BatchInputs.h"
#include "cli/BatchOptions.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "cli/ReportPages.h"
#include "cli/ToolDiagnostics.h"
#include "output/BatchGrid.h"
#include "base/AtomicFile.h"
#include "base/LargeBuffers.h"
#include "output/CsvWriter.h"
#include "output/LatePotentialTexts.h"
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

  auto output = OpenBatchOutput(options.OutputPath);
  // "Cannot write [path]" with the system's reason, where it gave one.
  auto cannotWrite = [](const std::string& name, const std::string& reason) {
    return CannotWriteText(name) + (reason.empty() ? std::string() : ": " + reason);
  };
  if (!output->Good()) {
    diagnostics.Error(cannotWrite(output->Name(), output->FailureReason()));
    return kExitSomeFailed;
  }

  // Pictures go into a directory made if need be; one that cannot be made or written
  // stops the run before any analysis, as an output file that cannot be opened does.
  OutputRequest request;
  if (!options.ImagesDirectory.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.ImagesDirectory, error);
    std::string reason = error ? error.message() : std::string();
    std::error_code ignored;
    if (!std::filesystem::is_directory(options.ImagesDirectory, ignored)) {
      if (reason.empty()) reason = ReasonOf(ENOTDIR);
      diagnostics.Error(cannotWrite(options.ImagesDirectory, reason));
      return kExitSomeFailed;
    }
    if (::access(options.ImagesDirectory.c_str(), W_OK | X_OK) != 0) {
      diagnostics.Error(cannotWrite(options.ImagesDirectory, ReasonOf(errno)));
      return kExitSomeFailed;
    }
    request.PictureDirectory = options.ImagesDirectory;
    request.View.DisplayMode = options.DisplayMode;
    request.View.SelectedScale = options.Scale;
    request.View.Dots = options.Dots;
    request.View.Lines = options.Lines;
    request.View.GainPosition = 100 - options.Gain;
  }

  // The workers record each page as they analyse its record; the companion renders
  // them in input order while the run goes on.
  ReportPagesRun reportPages;
  if (!options.ReportsPath.empty()) {
    const std::string program = FindReportPagesProgram();
    if (program.empty()) {
      diagnostics.Error("wavelet-report-pages not found beside wavelet-batch");
      diagnostics.Error(CannotWriteText(options.ReportsPath));
      return kExitSomeFailed;
    }
    // One page process per worker, but never more than there are records.
    const int companions =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), std::max<std::size_t>(1, inputs.Records.size())));
    if (!reportPages.Start(program, options.ReportsPath, options.Page == PageSize::Letter,
                           companions)) {
      diagnostics.Error(CannotWriteText(options.ReportsPath));
      return kExitSomeFailed;
    }
    // A companion that cannot write the file draws nothing; the rows still go out.
    if (reportPages.Ready()) {
      request.PageWidth = reportPages.PageWidth();
      request.PageHeight = reportPages.PageHeight();
    }
  }

  // The late-potential table goes to a file of its own, written atomically like -o.
  std::unique_ptr<AtomicFileWriter> latePotentials;
  if (!options.LatePotentialsPath.empty()) {
    latePotentials = std::make_unique<AtomicFileWriter>(options.LatePotentialsPath);
    if (!latePotentials->Good()) {
      diagnostics.Error(latePotentials->Commit().Message());
      return kExitSomeFailed;
    }
    latePotentials->Write(CsvTableLine(LatePotentialTitles()));
    request.LatePotentialUnit = options.UnitUv;
  }

  if (options.Header) output->Write(CsvLine(BatchGridColumns()));

  const BatchRunReport report = RunBatch(
      inputs.Records, jobs, *output,
      [&](std::size_t index, const RecordRow& row) {
        if (!row.Load.Ok) diagnostics.Error(row.Load.Message());
        if (!row.Pictures.Ok) diagnostics.Error(row.Pictures.Message());
        if (!row.Page.empty()) (void)reportPages.Send(row.Page, inputs.Records[index].Name);
        if (latePotentials) latePotentials->Write(row.LatePotentialLine);
        if (row.WindowsClamped) {
          diagnostics.Warning("QRS windows clamped: [" + inputs.Records[index].Path + "]");
        }
        diagnostics.Progress(index + 1);
      },
      request);
  const bool written = !report.OutputFailed && output->Finish();
  const bool reportsWritten = options.ReportsPath.empty() || reportPages.Finish();
  Outcome latePotentialsWritten;
  if (latePotentials) latePotentialsWritten = latePotentials->Commit();
  diagnostics.Finish();
  if (!written) {
    diagnostics.Error(cannotWrite(output->Name(), output->FailureReason()));
    return kExitSomeFailed;
  }
  if (!reportsWritten) diagnostics.Error(cannotWrite(options.ReportsPath, reportPages.FailureReason()));
  for (const Outcome& failure : report.LateFailures) diagnostics.Error(failure.Message());
  if (!latePotentialsWritten.Ok) diagnostics.Error(latePotentialsWritten.Message());
  if (report.Unreadable > 0) {
    diagnostics.Error(std::to_string(report.Unreadable) + " of " +
                      std::to_string(inputs.Records.size()) + " records could not be read");
  }
  return report.Unreadable > 0 || !inputs.Errors.empty() || !reportsWritten ||
                 !latePotentialsWritten.Ok ||
                 report.PicturesFailed > 0 || !report.LateFailures.empty()
             ? kExitSomeFailed
             : kExitSuccess;
}
