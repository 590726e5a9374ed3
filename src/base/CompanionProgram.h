#pragma once
// The helper programs the tools run (the report pages, the recording reader) live
// beside the running program in the build tree and in <bin>/../libexec/wavelet where
// the package installs them.

#include <string>

namespace wavelet {

// The path of the helper `name`, or empty when it is in neither place.
std::string FindCompanionProgram(const std::string& name);

}  // namespace wavelet
