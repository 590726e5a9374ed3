#pragma once
// The helper programs the tools run (the report pages, the recording reader) live
// beside the running program in the build tree and in <bin>/../libexec/wavelet where
// the package installs them.

#include <string>

namespace wavelet {

// The path of the helper `name`, or empty when it is in neither place.
std::string FindCompanionProgram(const std::string& name);

// A library loaded into another program (the Python module) is not beside its helpers
// the way the running program is: it names the folder they are in, searched first.
void SetCompanionProgramDirectory(const std::string& directory);

}  // namespace wavelet
