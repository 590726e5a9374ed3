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

#include "base/CompanionProgram.h"
#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"
#include "base/Paths.h"
#include "cli/BatchInputs.h"
#include "cli/BatchOutput.h"
#include "cli/BatchRun.h"
#include "cli/CohortOptions.h"
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

// The rows go to the study's own tables, not to a batch table.
class NoOutput final : public BatchOutput {
 public:
  bool Good() const override { return true; }
  void Write(std::string_view) override {}
  bool Finish() override { return true; }
  std::string Name() const override { return {}; }
};

// A refusal before any work: one line, exit status 2.
int Refuse(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
  return kExitUsage;
}

std::string Quoted(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
  return text;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

Outcome WriteTable(const std::string& path, const cohort::Table& table) {
  AtomicFileWriter writer(path);
  writer.Write(CsvLine(table.Titles));
  for (const std::vector<std::string>& row : table.Rows) writer.Write(CsvLine(row));
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
  const cohort::LabelsRead labels = cohort::ReadLabels(options.LabelsPath, options.GroupColumn);
  if (!labels.Ok) return Refuse(labels.Error);
  const ExpandedInputs inputs = ExpandBatchInputs(options.Paths);
  std::vector<std::string> names;
  for (const BatchInput& input : inputs.Records) names.push_back(input.Name);
  const cohort::Matching matching = cohort::MatchLabels(labels.Labels, names);
  const std::vector<std::string> groups = cohort::MatchedGroups(labels.Labels, matching);
  if (std::find(groups.begin(), groups.end(), options.PositiveGroup) == groups.end()) {
    return Refuse("no labelled record given is in the group \"" + options.PositiveGroup + "\"" +
                  (groups.empty() ? std::string(" (no record given has a label)")
                                  : " (their groups: " + Quoted(groups) + ")"));
  }
  std::vector<std::string> others;
  for (const std::string& group : groups) {
    if (group != options.PositiveGroup) others.push_back(group);
  }
  const std::string negativeGroup = others.size() == 1 ? others[0] : "not " + options.PositiveGroup;

  std::vector<BatchInput> labelled;
  std::vector<const cohort::Label*> labelOf;
  for (std::size_t i = 0; i < inputs.Records.size(); ++i) {
    if (matching.LabelOf[i] < 0) continue;
    labelled.push_back(inputs.Records[i]);
    labelOf.push_back(&labels.Labels[static_cast<std::size_t>(matching.LabelOf[i])]);
  }

  ToolDiagnostics diagnostics(kProgram, options.Quiet, labelled.size(), "records");
  for (const std::string& error : inputs.Errors) diagnostics.Error(error);
  if (!matching.Unlabelled.empty()) {
    diagnostics.Warning(std::to_string(matching.Unlabelled.size()) +
                        " records have no label and are left out: " + Listed(matching.Unlabelled));
  }
  if (!matching.Repeated.empty()) {
    diagnostics.Warning(std::to_string(matching.Repeated.size()) +
                        " files name a record given already and are left out: " + Listed(matching.Repeated));
  }
  if (!matching.UnusedLabels.empty()) {
    diagnostics.Warning(std::to_string(matching.UnusedLabels.size()) +
                        " labels name no record given: " + Listed(matching.UnusedLabels));
  }
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

  int jobs = options.Jobs;
  if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  OutputRequest request;
  request.LatePotentialUnit = options.UnitUv;
  std::vector<cohort::CohortRecord> records;
  records.reserve(labelled.size());
  NoOutput nowhere;
  const BatchRunReport run = RunBatch(
      labelled, jobs, nowhere,
      [&](std::size_t index, const RecordRow& row) {
        const EntryProducts& made = row.Products;
        if (!made.Load.Ok) diagnostics.Error(made.Load.Message());
        const cohort::Label& label = *labelOf[index];
        records.push_back(cohort::MakeCohortRecord(labelled[index].Name, label.Group,
                                                   label.Group == options.PositiveGroup, made.Cells,
                                                   made.LatePotentialCells));
        diagnostics.Progress(index + 1);
      },
      request);
  diagnostics.Finish();

  const cohort::CohortReport report = cohort::BuildReport(records, options.PositiveGroup, negativeGroup);
  bool failed = run.Unreadable > 0 || !inputs.Errors.empty();
  for (const auto& [name, table] : {std::pair{"records.csv", cohort::RecordsTable(records)},
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
  if (run.Unreadable > 0) {
    diagnostics.Error(std::to_string(run.Unreadable) + " of " + std::to_string(labelled.size()) +
                      " records could not be read");
  }
  return failed ? kExitSomeFailed : kExitSuccess;
}
