#include "cli/BatchOptions.h"

#include <CLI/CLI.hpp>

#include "cli/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace wavelet::cli {
namespace {

constexpr int kMaxJobs = 1024;

// What each option's missing value is called in the refusal.
std::string NeedsValueText(const std::string& option) {
  if (option == "-o") return "option -o needs a file name";
  if (option == "-j") return "option -j needs a number of threads";
  if (option == "--images") return "option --images needs a directory";
  if (option == "--reports") return "option --reports needs a file name";
  if (option == "--late-potentials") return "option --late-potentials needs a file name";
  return "option " + option + " needs a value";
}

}  // namespace

const char* BatchUsageText() {
  return "usage: wavelet-batch [options] PATH...\n"
         "Analyses signal-averaged records and writes the 157-column batch table as CSV,\n"
         "one row per record in argument order, exactly as the window's batch export.\n"
         "Each PATH is a record file or a directory; a directory contributes its entries\n"
         "named like \"*.r*\" (any case), sorted by name as the window lists them\n"
         "(case aside, runs of digits by their value).\n"
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
         "Pictures, exactly as the window shows each record:\n"
         "  --images DIR       write five PNG files per record into DIR:\n"
         "                     NAME_raw.png, NAME_X.png, NAME_Y.png, NAME_Z.png, NAME_M.png\n"
         "  --display MODE     basic, spectrogram or map (default: basic)\n"
         "  --scale N          the scale button, 1 to 6 (default: 2)\n"
         "  --no-dots          without the peak squares\n"
         "  --no-lines         without the ridge lines\n"
         "  --gain N           the raw view's gain, 1 to 100 (default: 30)\n"
         "\n"
         "Reports, exactly as the window prints them:\n"
         "  --reports FILE     write the report of every record into the PDF file FILE,\n"
         "                     one page per record in argument order\n"
         "  --page SIZE        a4 or letter (default: a4)\n"
         "\n"
         "Late potentials (the 40-250 Hz filtered QRS: fQRSd, RMS40, LAS40):\n"
         "  --late-potentials FILE  write their figures as CSV, one row per record;\n"
         "                     with --images also NAME_LP.png\n"
         "  --unit-uv U        microvolts per unit of records that state no unit of their\n"
         "                     own (default: 0.1)\n"
         "\n"
         "Exit status: 0 all records analysed; 1 some records could not be read (they\n"
         "keep their row: file name and empty cells) or the output, a picture or the\n"
         "reports could not be written; 2 usage error.\n";
}

ParsedOptions ParseBatchOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  BatchOptions& options = parsed.Options;
  auto refuse = [&](std::string why) {
    parsed.ErrorText = std::move(why);
    return parsed;
  };

  // CLI11 splits the command line; the values are checked here, so every refusal
  // keeps the tool's own wording.
  CLI::App app("wavelet-batch");
  app.set_help_flag();
  app.allow_extras();
  std::optional<std::string> output, jobs, images, display, scale, gain, reports, page,
      latePotentials, unit;
  bool noHeader = false, noDots = false, noLines = false;
  app.add_flag("-h,--help", options.Help);
  app.add_flag("--version", options.Version);
  app.add_flag("-q", options.Quiet);
  app.add_flag("--no-header", noHeader);
  app.add_flag("--no-dots", noDots);
  app.add_flag("--no-lines", noLines);
  app.add_option("-o", output);
  app.add_option("-j", jobs);
  app.add_option("--images", images);
  app.add_option("--display", display);
  app.add_option("--scale", scale);
  app.add_option("--gain", gain);
  app.add_option("--reports", reports);
  app.add_option("--page", page);
  app.add_option("--late-potentials", latePotentials);
  app.add_option("--unit-uv", unit);
  app.add_option("paths", options.Paths);

  const std::string refused = ParseCommandLine(app, arguments, options.Paths, NeedsValueText);
  if (!refused.empty()) return refuse(refused);

  options.Header = !noHeader;
  options.Dots = !noDots;
  options.Lines = !noLines;
  if (output) {
    if (output->empty()) return refuse(NeedsValueText("-o"));
    options.OutputPath = *output;
  }
  if (jobs && !ParseWholeNumber(*jobs, 1, kMaxJobs, options.Jobs)) {
    return refuse("option -j needs a whole number from 1 to 1024, not \"" + *jobs + "\"");
  }
  if (images) {
    if (images->empty()) return refuse(NeedsValueText("--images"));
    options.ImagesDirectory = *images;
  }
  if (display) {
    if (*display == "basic") {
      options.DisplayMode = 0;
    } else if (*display == "spectrogram") {
      options.DisplayMode = 1;
    } else if (*display == "map") {
      options.DisplayMode = 2;
    } else {
      return refuse("option --display needs basic, spectrogram or map, not \"" + *display + "\"");
    }
  }
  if (scale && !ParseWholeNumber(*scale, 1, 6, options.Scale)) {
    return refuse("option --scale needs a whole number from 1 to 6, not \"" + *scale + "\"");
  }
  if (gain && !ParseWholeNumber(*gain, 1, 100, options.Gain)) {
    return refuse("option --gain needs a whole number from 1 to 100, not \"" + *gain + "\"");
  }
  if (reports) {
    if (reports->empty()) return refuse(NeedsValueText("--reports"));
    options.ReportsPath = *reports;
  }
  if (page) {
    if (*page == "a4" || *page == "A4") {
      options.Page = PageSize::A4;
    } else if (*page == "letter") {
      options.Page = PageSize::Letter;
    } else {
      return refuse("option --page needs a4 or letter, not \"" + *page + "\"");
    }
  }
  if (latePotentials) {
    if (latePotentials->empty()) return refuse(NeedsValueText("--late-potentials"));
    options.LatePotentialsPath = *latePotentials;
  }
  if (unit && !ParsePositiveNumber(*unit, options.UnitUv)) {
    return refuse("option --unit-uv needs a number of microvolts above 0, not \"" + *unit + "\"");
  }
  if (!options.Help && !options.Version && options.Paths.empty()) {
    return refuse("no record file or directory given");
  }
  parsed.Ok = true;
  return parsed;
}

}  // namespace wavelet::cli
