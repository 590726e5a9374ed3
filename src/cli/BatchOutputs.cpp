#include "cli/BatchOutputs.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "output/BatchGrid.h"
#include "output/CsvWriter.h"
#include "output/LatePotentialTexts.h"

namespace wavelet::cli {
namespace {

// "Cannot write [path]" with the system's reason, where it gave one.
std::string CannotWrite(const std::string& name, const std::string& reason) {
  return CannotWriteText(name) + (reason.empty() ? std::string() : ": " + reason);
}

}  // namespace

BatchOutputs::BatchOutputs(const BatchOptions& options, ToolDiagnostics& diagnostics)
    : options_(options), diagnostics_(diagnostics) {}

bool BatchOutputs::Open(int jobs, std::size_t records) {
  csv_ = OpenBatchOutput(options_.OutputPath);
  if (!csv_->Good()) {
    diagnostics_.Error(CannotWrite(csv_->Name(), csv_->FailureReason()));
    return false;
  }
  if (!OpenPictures() || !OpenReports(jobs, records) || !OpenLatePotentials()) return false;
  if (options_.Header) csv_->Write(CsvLine(BatchGridColumns()));
  return true;
}

// Pictures go into a directory made if need be; one that cannot be made or written
// stops the run before any analysis, as an output file that cannot be opened does.
bool BatchOutputs::OpenPictures() {
  const std::string& folder = options_.ImagesDirectory;
  if (folder.empty()) return true;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::string reason = error ? error.message() : std::string();
  std::error_code ignored;
  if (!std::filesystem::is_directory(folder, ignored)) {
    if (reason.empty()) reason = ReasonOf(ENOTDIR);
    diagnostics_.Error(CannotWrite(folder, reason));
    return false;
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    diagnostics_.Error(CannotWrite(folder, ReasonOf(errno)));
    return false;
  }
  request_.PictureDirectory = folder;
  request_.View.DisplayMode = options_.DisplayMode;
  request_.View.SelectedScale = options_.Scale;
  request_.View.Dots = options_.Dots;
  request_.View.Lines = options_.Lines;
  request_.View.GainPosition = 100 - options_.Gain;
  return true;
}

// The workers record each page as they analyse its record; the page programs render
// them in input order while the run goes on.
bool BatchOutputs::OpenReports(int jobs, std::size_t records) {
  if (options_.ReportsPath.empty()) return true;
  const std::string program = FindReportPagesProgram();
  if (program.empty()) {
    diagnostics_.Error("wavelet-report-pages not found beside wavelet-batch");
    diagnostics_.Error(CannotWriteText(options_.ReportsPath));
    return false;
  }
  const int companions = static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(jobs), std::max<std::size_t>(1, records)));
  if (!reportPages_.Start(program, options_.ReportsPath, options_.Page == PageSize::Letter, companions)) {
    diagnostics_.Error(CannotWriteText(options_.ReportsPath));
    return false;
  }
  // A page program that cannot write the file draws nothing; the rows still go out.
  if (reportPages_.Ready()) {
    request_.PageWidth = reportPages_.PageWidth();
    request_.PageHeight = reportPages_.PageHeight();
  }
  return true;
}

// The late-potential table goes to a file of its own, written atomically like -o.
bool BatchOutputs::OpenLatePotentials() {
  if (options_.LatePotentialsPath.empty()) return true;
  latePotentials_ = std::make_unique<AtomicFileWriter>(options_.LatePotentialsPath);
  if (!latePotentials_->Good()) {
    diagnostics_.Error(latePotentials_->Commit().Message());
    return false;
  }
  latePotentials_->Write(CsvTableLine(LatePotentialTitles()));
  request_.LatePotentialUnit = options_.UnitUv;
  return true;
}

void BatchOutputs::Take(const BatchInput& input, const RecordRow& row) {
  const EntryProducts& made = row.Products;
  if (!made.Load.Ok) diagnostics_.Error(made.Load.Message());
  if (!made.Pictures.Ok) diagnostics_.Error(made.Pictures.Message());
  if (!row.Page.empty()) (void)reportPages_.Send(row.Page, input.Name);
  if (latePotentials_) latePotentials_->Write(row.LatePotentialLine);
  if (made.WindowsClamped) diagnostics_.Warning("QRS windows clamped: [" + input.Path + "]");
}

BatchOutputs::Finished BatchOutputs::Finish(const BatchRunReport& run) {
  const bool written = !run.OutputFailed && csv_->Finish();
  const bool reportsWritten = options_.ReportsPath.empty() || reportPages_.Finish();
  Outcome latePotentialsWritten;
  if (latePotentials_) latePotentialsWritten = latePotentials_->Commit();
  diagnostics_.Finish();
  if (!written) {
    diagnostics_.Error(CannotWrite(csv_->Name(), csv_->FailureReason()));
    return Finished::CsvNotWritten;
  }
  if (!reportsWritten) diagnostics_.Error(CannotWrite(options_.ReportsPath, reportPages_.FailureReason()));
  for (const Outcome& failure : run.LateFailures) diagnostics_.Error(failure.Message());
  if (!latePotentialsWritten.Ok) diagnostics_.Error(latePotentialsWritten.Message());
  return reportsWritten && latePotentialsWritten.Ok && run.LateFailures.empty() ? Finished::Written
                                                                                 : Finished::SomeNotWritten;
}

}  // namespace wavelet::cli
