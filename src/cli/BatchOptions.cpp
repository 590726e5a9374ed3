#include "cli/BatchOptions.h"

#include <cerrno>
#include <cstdlib>

namespace wavelet::cli {
namespace {

constexpr int kMaxJobs = 1024;

bool ParseJobs(const std::string& text, int& jobs) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > kMaxJobs) return false;
  jobs = static_cast<int>(value);
  return true;
}

}  // namespace

const char* BatchUsageText() {
  return "usage: wavelet-batch [options] PATH...\n"
         "Analyses signal-averaged records and writes the 157-column batch table as CSV,\n"
         "one row per record in argument order, exactly as the window's batch export.\n"
         "Each PATH is a record file or a directory; a directory contributes its entries\n"
         "named like \"*.r**\" (any case), sorted by name.\n"
         "\n"
         "  -o FILE      write to FILE (through a temporary file renamed at the end);\n"
         "               default: standard output\n"
         "  -j N         worker threads (default: the number of cores); the output does\n"
         "               not depend on it\n"
         "  --no-header  leave out the title row (for concatenating shards)\n"
         "  -q           no progress line and no warnings\n"
         "  -h, --help   show this text\n"
         "  --version    show the version number\n"
         "\n"
         "Exit status: 0 all records analysed; 1 some records could not be read (they\n"
         "keep their row: file name and empty cells) or the output could not be\n"
         "written; 2 usage error.\n";
}

ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  BatchOptions& options = parsed.Options;
  auto refuse = [&](std::string why) {
    parsed.ErrorText = std::move(why);
    return parsed;
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.Paths.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      options.Help = true;
    } else if (arg == "--version") {
      options.Version = true;
    } else if (arg == "-q") {
      options.Quiet = true;
    } else if (arg == "--no-header") {
      options.Header = false;
    } else if (arg.rfind("-o", 0) == 0) {
      std::string value = arg.substr(2);
      if (value.empty()) {
        if (i + 1 >= arguments.size()) return refuse("option -o needs a file name");
        value = arguments[++i];
      }
      if (value.empty()) return refuse("option -o needs a file name");
      options.OutputPath = value;
    } else if (arg.rfind("-j", 0) == 0) {
      std::string value = arg.substr(2);
      if (value.empty()) {
        if (i + 1 >= arguments.size()) return refuse("option -j needs a number of threads");
        value = arguments[++i];
      }
      if (!ParseJobs(value, options.Jobs)) {
        return refuse("option -j needs a whole number from 1 to 1024, not \"" + value + "\"");
      }
    } else {
      return refuse("unknown option " + arg);
    }
  }
  if (!options.Help && !options.Version && options.Paths.empty()) {
    return refuse("no record file or directory given");
  }
  parsed.Ok = true;
  return parsed;
}

}  // namespace wavelet::cli
