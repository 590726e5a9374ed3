#include "cli/AverageOptions.h"

#include <CLI/CLI.hpp>

#include "cli/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace wavelet::cli {
namespace {

bool ParseWhole(const std::string& text, long low, long high, int& value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParsePositive(const std::string& text, double& value) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(parsed) || parsed <= 0) return false;
  value = parsed;
  return true;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    parts.push_back(text.substr(start, comma - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

// The usage text states the averager's limits as literals: they are checked here.
static_assert(kEarliestOnset == 290 && kLatestOnset == 607 && kFewestAveragedBeats == 8,
              "the usage text states these limits");

const char* AverageUsageText() {
  return "usage: wavelet-average -o DIR [options] RECORDING|DIR...\n"
         "Averages the beats of ECG recordings (WFDB; EDF, EDF+, BDF, GDF, SCP-ECG,\n"
         "HL7 aECG, ISHNE) into signal-averaged records DIR/NAME.R01 (NAME: a WFDB\n"
         "record's name, else the recording's whole file name), and updates\n"
         "DIR/averaging.csv, the table of the folder's records. A directory contributes\n"
         "its recordings, a WFDB record once (by its .hea), sorted by name.\n"
         "\n"
         "  -o DIR             the folder of the records and averaging.csv (made if\n"
         "                     missing)\n"
         "  --leads A,B,C      the labels of the leads to take as X, Y and Z (default:\n"
         "                     the Frank leads, else Kors' X, Y, Z from I, II, V1-V6)\n"
         "  --onset-at N       the sample the averaged QRS onset is placed on, 290 to 607\n"
         "                     (default: 310)\n"
         "  --noise-target UV  stop averaging once the noise is at most UV microvolts\n"
         "  --beats N          stop averaging after N beats (at least 8)\n"
         "  --unit-uv U        microvolts per unit of the records (default: 0.1)\n"
         "  --force            write over records that exist already; a recording that\n"
         "                     gives no record then removes the one it would replace\n"
         "  -j N               worker threads (default: the number of cores); the\n"
         "                     output does not depend on it\n"
         "  -q                 no progress line and no warnings\n"
         "  -h, --help         show this text\n"
         "  --version          show the version number\n"
         "\n"
         "Exit status: 0 every recording averaged; 1 some not (each is named with the\n"
         "reason); 2 usage error.\n";
}

ParsedAverageOptions ParseAverageOptions(const std::vector<std::string>& arguments) {
  ParsedAverageOptions parsed;
  AverageOptions& options = parsed.Options;
  auto refuse = [&](std::string why) {
    parsed.ErrorText = std::move(why);
    return parsed;
  };
  CLI::App app("wavelet-average");
  app.set_help_flag();
  app.allow_extras();
  std::optional<std::string> output, jobs, leads, onset, noise, beats, unit;
  app.add_flag("-h,--help", options.Help);
  app.add_flag("--version", options.Version);
  app.add_flag("-q", options.Quiet);
  app.add_flag("--force", options.Request.Replace);
  app.add_option("-o", output);
  app.add_option("-j", jobs);
  app.add_option("--leads", leads);
  app.add_option("--onset-at", onset);
  app.add_option("--noise-target", noise);
  app.add_option("--beats", beats);
  app.add_option("--unit-uv", unit);
  app.add_option("paths", options.Paths);
  const std::string refused =
      ParseCommandLine(app, arguments, options.Paths, [](const std::string& option) {
        return "option " + option + " needs a value";
      });
  if (!refused.empty()) return refuse(refused);
  if (options.Help || options.Version) {
    parsed.Ok = true;
    return parsed;
  }
  if (!output || output->empty()) return refuse("option -o needs the folder of the records");
  options.OutputDirectory = *output;
  if (jobs && !ParseWhole(*jobs, 1, 1024, options.Jobs)) {
    return refuse("option -j needs a whole number from 1 to 1024, not \"" + *jobs + "\"");
  }
  if (leads) {
    const std::vector<std::string> names = SplitCommas(*leads);
    if (names.size() != 3 || names[0].empty() || names[1].empty() || names[2].empty()) {
      return refuse("option --leads needs three lead labels, A,B,C, not \"" + *leads + "\"");
    }
    options.Request.Read.LeadNames = std::array<std::string, 3>{names[0], names[1], names[2]};
  }
  AveragingOptions& averaging = options.Request.Averaging;
  if (onset && !ParseWhole(*onset, kEarliestOnset, kLatestOnset, averaging.OnsetAt)) {
    return refuse("option --onset-at needs a sample from " + std::to_string(kEarliestOnset) + " to " +
                  std::to_string(kLatestOnset) + ", not \"" + *onset + "\"");
  }
  if (noise) {
    double value = 0;
    if (!ParsePositive(*noise, value)) {
      return refuse("option --noise-target needs microvolts above 0, not \"" + *noise + "\"");
    }
    averaging.NoiseTargetUv = value;
  }
  if (beats) {
    int value = 0;
    if (!ParseWhole(*beats, kFewestAveragedBeats, 1000000, value)) {
      return refuse("option --beats needs a whole number of at least " + std::to_string(kFewestAveragedBeats) +
                    ", not \"" + *beats + "\"");
    }
    averaging.MaxBeats = value;
  }
  if (unit && !ParsePositive(*unit, averaging.MicrovoltsPerUnit)) {
    return refuse("option --unit-uv needs a number of microvolts above 0, not \"" + *unit + "\"");
  }
  if (options.Paths.empty()) return refuse("no recording or directory given");
  parsed.Ok = true;
  return parsed;
}

}  // namespace wavelet::cli
