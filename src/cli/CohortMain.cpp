// wavelet-cohort: whether the criteria separate a group of labelled records from the
// others. Each record goes through the batch tool's one step (one read, one analysis,
// the wavelet and the time-domain figures together); the tables are written here, the
// pictures and the PDF by the companion wavelet-cohort-pictures, which has the toolkit
// this tool does without.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/AtomicFile.h"
#include "base/CompanionProgram.h"
#include "base/FileDescriptor.h"
#include "base/Paths.h"
#include "cli/BatchInputs.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "cli/CohortOptions.h"
#include "cli/CohortStudy.h"
#include "cli/ToolDiagnostics.h"
#include "cohort/CohortTables.h"
#include "cohort/Labels.h"
#include "output/CsvWriter.h"
#include "version/Version.h"

namespace {

constexpr const char* kProgram = "wavelet-cohort";
constexpr const char* kPicturesProgram = "wavelet-cohort-pictures";

using namespace wavelet;
using namespace wavelet::cli;

// A refusal before any work: one line, exit status 2.
int Refuse(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
  return kExitUsage;
}

Outcome WriteTable(const std::string& path, const cohort::Table& table) {
  AtomicFileWriter writer(path);
  writer.Write(CsvTableLine(table.Titles));
  for (const std::vector<std::string>& row : table.Rows) writer.Write(CsvTableLine(row));
  return writer.Commit();
}

// A directory made if need be and writable, or why not.
std::string Writable(const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  std::string reason = error ? error.message() : std::string();
  std::error_code ignored;
  if (!std::filesystem::is_directory(directory, ignored)) return reason.empty() ? ReasonOf(ENOTDIR) : reason;
  if (::access(directory.c_str(), W_OK | X_OK) != 0) return ReasonOf(errno);
  return {};
}

// The report handed to the picture program in a file of its own beside the results,
// removed afterwards; its messages come back on its descriptor 3.
std::vector<std::string> DrawPictures(const std::string& program, const std::string& directory,
                                      const cohort::CohortReport& report) {
  std::string temporary = directory + "/.cohort-report-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return {CannotWriteText(temporary) + ": " + ReasonOf(errno)};
  const bool written = WriteAll(fd, cohort::SerializeReport(report));
  ::close(fd);
  std::vector<std::string> errors;
  if (!written) {
    errors.push_back(CannotWriteText(temporary));
  } else {
    const ChildRun run = RunChild(program, {"--report", temporary, directory}, std::chrono::minutes(10), 1 << 16);
    if (run.How != ChildRun::End::Exited || run.ExitStatus != 0) {
      std::string said = run.Output;
      while (!said.empty() && said.back() == '\n') said.pop_back();
      errors.push_back(said.empty() ? std::string(kPicturesProgram) + " failed: no pictures, no PDF" : said);
    }
  }
  ::unlink(temporary.c_str());
  return errors;
}

}  // namespace

int main(int argc, char** argv) {
  const ParsedCohortOptions parsed = ParseCohortOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) return UsageError(kProgram, parsed.ErrorText);
  const CohortOptions& options = parsed.Options;
  if (options.Help) {
    std::fputs(CohortUsageText(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("%s %s\n", kProgram, kBuildVersion);
    return 0;
  }

  // Everything that makes the labels unusable is said before any record is read.
  const StudyPlan plan = PlanStudy(options);
  if (!plan.Refusal.empty()) return Refuse(plan.Refusal);
  ToolDiagnostics diagnostics(kProgram, options.Quiet, plan.Labelled.size(), "records");
  for (const std::string& error : plan.InputErrors) diagnostics.Error(error);
  for (const std::string& warning : plan.Warnings) diagnostics.Warning(warning);
  const std::string directory = options.OutputDirectory;
  for (const std::string& folder : {directory, directory + "/figures"}) {
    const std::string reason = Writable(folder);
    if (!reason.empty()) {
      diagnostics.Error(CannotWriteText(folder) + ": " + reason);
      return kExitSomeFailed;
    }
  }
  const std::string pictures = FindCompanionProgram(kPicturesProgram);
  if (pictures.empty()) {
    diagnostics.Error(std::string(kPicturesProgram) + " not found beside " + kProgram);
    return kExitSomeFailed;
  }

  const StudyResult study = RunStudy(plan, options, [&](std::size_t done) { diagnostics.Progress(done); });
  for (const std::string& error : study.LoadErrors) diagnostics.Error(error);
  diagnostics.Finish();

  const cohort::CohortReport& report = study.Report;
  const std::size_t unreadable = study.LoadErrors.size();
  bool failed = unreadable > 0 || !plan.InputErrors.empty();
  for (const auto& [name, table] : {std::pair{"records.csv", cohort::RecordsTable(study.Records)},
                                    std::pair{"cohort.csv", report.Criteria},
                                    std::pair{"auc.csv", report.Aucs}}) {
    const Outcome written = WriteTable(JoinPath(directory, name), table);
    if (!written.Ok) {
      diagnostics.Error(written.Message());
      failed = true;
    }
  }
  for (const std::string& error : DrawPictures(pictures, directory, report)) {
    diagnostics.Error(error);
    failed = true;
  }
  if (unreadable > 0) {
    diagnostics.Error(std::to_string(unreadable) + " of " + std::to_string(plan.Labelled.size()) +
                      " records could not be read");
  }
  return failed ? kExitSomeFailed : kExitSuccess;
}
