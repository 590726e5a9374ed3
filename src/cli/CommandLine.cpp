#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>

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

bool ParseWholeNumber(const std::string& text, int low, int high, int& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParsePositiveNumber(const std::string& text, double& value) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(parsed) || parsed <= 0) return false;
  value = parsed;
  return true;
}

}  // namespace wavelet::cli
