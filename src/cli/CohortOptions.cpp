#include "cli/CohortOptions.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "cli/CommandLine.h"

namespace wavelet::cli {
namespace {

std::string NeedsValueText(const std::string& option) {
  if (option == "-o") return "option -o needs a directory";
  if (option == "-j") return "option -j needs a number of threads";
  if (option == "--labels") return "option --labels needs a file name";
  if (option == "--positive") return "option --positive needs a group";
  if (option == "--group-column") return "option --group-column needs a column title";
  return "option " + option + " needs a value";
}

}  // namespace

const char* CohortUsageText() {
  return "usage: wavelet-cohort --labels FILE --positive GROUP [options] -o DIR PATH...\n"
         "Analyses labelled signal-averaged records, each once as wavelet-batch does with\n"
         "--late-potentials, and asks whether each criterion separates GROUP from the\n"
         "other records: DIR/records.csv (one row per labelled record), DIR/cohort.csv\n"
         "(per yes/no criterion: counts, sensitivity and specificity with 95 % Wilson\n"
         "intervals, predictive values, kappa against the time-domain verdict),\n"
         "DIR/auc.csv (per figure: medians by group, AUC with DeLong's 95 % interval),\n"
         "the pictures in DIR/figures/ (PNG and SVG) and DIR/cohort.pdf.\n"
         "Each PATH is a record file or a directory of records, as for wavelet-batch.\n"
         "\n"
         "  --labels FILE        CSV with a title row; its first column names the record\n"
         "                       (the file name before its first dot, any case)\n"
         "  --positive GROUP     the group whose records are the positives\n"
         "  --group-column NAME  the column holding the group (default: group)\n"
         "  --unit-uv U          microvolts per unit of records that state no unit of\n"
         "                       their own (default: 0.1)\n"
         "  -o DIR               the directory of the results (made if need be)\n"
         "  -j N                 worker threads (default: the number of cores)\n"
         "  -q                   no progress line and no warnings\n"
         "  -h, --help           show this text\n"
         "  --version            show the version number\n"
         "\n"
         "Exit status: 0 all written; 1 some records could not be read or an output\n"
         "could not be written; 2 usage error or labels that cannot serve (nothing is\n"
         "analysed then).\n";
}

ParsedCohortOptions ParseCohortOptions(const std::vector<std::string>& arguments) {
  ParsedCohortOptions parsed;
  CohortOptions& options = parsed.Options;
  auto refuse = [&](std::string why) {
    parsed.ErrorText = std::move(why);
    return parsed;
  };
  CLI::App app("wavelet-cohort");
  app.set_help_flag();
  app.allow_extras();
  std::optional<std::string> labels, positive, column, output, jobs, unit;
  app.add_flag("-h,--help", options.Help);
  app.add_flag("--version", options.Version);
  app.add_flag("-q", options.Quiet);
  app.add_option("--labels", labels);
  app.add_option("--positive", positive);
  app.add_option("--group-column", column);
  app.add_option("-o", output);
  app.add_option("-j", jobs);
  app.add_option("--unit-uv", unit);
  app.add_option("paths", options.Paths);
  const std::string refused = ParseCommandLine(app, arguments, options.Paths, NeedsValueText);
  if (!refused.empty()) return refuse(refused);
  if (options.Help || options.Version) {
    parsed.Ok = true;
    return parsed;
  }
  if (jobs && !ParseWholeNumber(*jobs, 1, 1024, options.Jobs)) {
    return refuse("option -j needs a whole number from 1 to 1024, not \"" + *jobs + "\"");
  }
  if (unit && !ParsePositiveNumber(*unit, options.UnitUv)) {
    return refuse("option --unit-uv needs a number of microvolts above 0, not \"" + *unit + "\"");
  }
  if (!labels || labels->empty()) return refuse(NeedsValueText("--labels"));
  if (!positive || positive->empty()) return refuse(NeedsValueText("--positive"));
  if (column) {
    if (column->empty()) return refuse(NeedsValueText("--group-column"));
    options.GroupColumn = *column;
  }
  if (!output || output->empty()) return refuse(NeedsValueText("-o"));
  options.LabelsPath = *labels;
  options.PositiveGroup = *positive;
  options.OutputDirectory = *output;
  if (options.Paths.empty()) return refuse("no record file or directory given");
  parsed.Ok = true;
  return parsed;
}

}  // namespace wavelet::cli
