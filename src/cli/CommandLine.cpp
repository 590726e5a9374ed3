#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

namespace wavelet::cli {

std::string ParseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                             std::vector<std::string>& paths,
                             const std::function<std::string(const std::string&)>& needsValue) {
  // CLI11 takes the arguments last to first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string what = e.what();
    return needsValue(what.substr(0, what.find(':')));
  } catch (const CLI::ParseError& e) {
    return e.what();
  }
  // What CLI11 did not place: unknown options, and everything after "--".
  bool optionsEnded = false;
  for (const std::string& extra : app.remaining()) {
    if (!optionsEnded && extra == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && extra.size() >= 2 && extra[0] == '-') {
      return "unknown option " + extra;
    } else {
      paths.push_back(extra);
    }
  }
  return {};
}

}  // namespace wavelet::cli
