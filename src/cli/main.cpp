// wavelet-batch: the batch table of the window, without the window.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/BatchInputs.h"
#include "cli/BatchOptions.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "cli/ReportPages.h"
#include "output/BatchGrid.h"
#include "output/CsvWriter.h"
#include "version/Version.h"

namespace {

using Clock = std::chrono::steady_clock;

// Messages share standard error with the progress line, which they wipe first; the
// next progress update draws it again.
class Diagnostics {
 public:
  Diagnostics(bool quiet, std::size_t total)
      : quiet_(quiet), total_(total), progress_(!quiet && ::isatty(STDERR_FILENO) == 1),
        start_(Clock::now()) {}

  void Error(const std::string& text) { Print(text); }
  void Warning(const std::string& text) {
    if (!quiet_) Print("warning: " + text);
  }

  void Progress(std::size_t done) {
    if (!progress_) return;
    const auto now = Clock::now();
    if (done < total_ && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0.0;
    std::fprintf(stderr, "\r\033[K%zu/%zu records, %.0f records/s, %.0f s left", done, total_, rate,
                 left);
    std::fflush(stderr);
    shown_ = true;
  }

  void Finish() {
    if (shown_) std::fputc('\n', stderr);
    shown_ = false;
  }

 private:
  void Print(const std::string& text) {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
    std::fprintf(stderr, "wavelet-batch: %s\n", text.c_str());
  }

  bool quiet_;
  std::size_t total_;
  bool progress_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
};

}  // namespace

int main(int argc, char** argv) {
  using namespace wavelet;
  using namespace wavelet::cli;

  const ParsedOptions parsed = ParseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) {
    std::fprintf(stderr, "wavelet-batch: %s\n%s", parsed.ErrorText.c_str(), BatchUsageText());
    return 2;
  }
  const BatchOptions& options = parsed.Options;
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
  Diagnostics diagnostics(options.Quiet, inputs.Records.size());
  for (const std::string& error : inputs.Errors) diagnostics.Error(error);

  auto output = OpenBatchOutput(options.OutputPath);
  if (!output->Good()) {
    diagnostics.Error(CannotWriteText(output->Name()));
    return 1;
  }

  // Pictures go into a directory made if need be; one that cannot be made or written
  // stops the run before any analysis, as an output file that cannot be opened does.
  PictureRequest pictures;
  if (!options.ImagesDirectory.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.ImagesDirectory, error);
    if (!std::filesystem::is_directory(options.ImagesDirectory, error) ||
        ::access(options.ImagesDirectory.c_str(), W_OK | X_OK) != 0) {
      diagnostics.Error(CannotWriteText(options.ImagesDirectory));
      return 1;
    }
    pictures.Directory = options.ImagesDirectory;
    pictures.View.DisplayMode = options.DisplayMode;
    pictures.View.Scale = options.Scale;
    pictures.View.Options.Dots = options.Dots;
    pictures.View.Options.Lines = options.Lines;
    pictures.View.GainPosition = 100 - options.Gain;
  }

  // The reports' pages are drawn by the companion while the rows are analysed here.
  ReportPagesRun reportPages;
  if (!options.ReportsPath.empty()) {
    const std::string program = FindReportPagesProgram();
    if (program.empty()) {
      diagnostics.Error("wavelet-report-pages not found beside wavelet-batch");
      diagnostics.Error(CannotWriteText(options.ReportsPath));
      return 1;
    }
    if (!reportPages.Start(program, options.ReportsPath, options.Page == PageSize::Letter,
                           inputs.Records)) {
      diagnostics.Error(CannotWriteText(options.ReportsPath));
      return 1;
    }
  }

  if (options.Header) output->Write(CsvLine(BatchGridColumns()));

  const BatchRunReport report = RunBatch(
      inputs.Records, jobs, *output,
      [&](std::size_t index, const RecordRow& row) {
        if (!row.ErrorText.empty()) diagnostics.Error(row.ErrorText);
        if (!row.PictureError.empty()) diagnostics.Error(row.PictureError);
        if (row.WindowsClamped) {
          diagnostics.Warning("QRS windows clamped: [" + inputs.Records[index].Path + "]");
        }
        diagnostics.Progress(index + 1);
      },
      pictures);
  const bool written = !report.OutputFailed && output->Finish();
  const bool reportsWritten = options.ReportsPath.empty() || reportPages.Finish();
  diagnostics.Finish();
  if (!written) {
    diagnostics.Error(CannotWriteText(output->Name()));
    return 1;
  }
  if (!reportsWritten) diagnostics.Error(CannotWriteText(options.ReportsPath));
  if (report.Unreadable > 0) {
    diagnostics.Error(std::to_string(report.Unreadable) + " of " +
                      std::to_string(inputs.Records.size()) + " records could not be read");
  }
  return report.Unreadable > 0 || !inputs.Errors.empty() || !reportsWritten ||
                 report.PicturesFailed > 0
             ? 1
             : 0;
}
