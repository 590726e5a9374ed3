#pragma once
// The one way the command-line tools split their arguments: CLI11 places the options
// each tool declares, and what it does not place is taken here, so that every refusal
// keeps the tool's own wording.

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace wavelet::cli {

// Parses `arguments` (in the order given) with `app`, whose options the tool has
// declared with values left to check. Unknown options are refused; everything else,
// and everything after "--", is appended to `paths`. Returns why the command line is
// refused, or nothing; `needsValue` words the refusal of an option given no value.
std::string ParseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                             std::vector<std::string>& paths,
                             const std::function<std::string(const std::string&)>& needsValue);

// A whole number in [low, high], digits only (no sign, no spaces, no suffix).
bool ParseWholeNumber(const std::string& text, int low, int high, int& value);
// A finite number above 0 written whole (the --unit-uv value).
bool ParsePositiveNumber(const std::string& text, double& value);

}  // namespace wavelet::cli
