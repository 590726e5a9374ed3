#include "base/CompanionProgram.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace wavelet {
namespace {

// Set once, when the library that names it is loaded, before any reader runs.
std::string& NamedDirectory() {
  static std::string directory;
  return directory;
}

}  // namespace

void SetCompanionProgramDirectory(const std::string& directory) { NamedDirectory() = directory; }

std::string FindCompanionProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error && NamedDirectory().empty()) return {};
  const std::filesystem::path directory = self.parent_path();
  std::vector<std::filesystem::path> candidates;
  if (!NamedDirectory().empty()) candidates.push_back(std::filesystem::path(NamedDirectory()) / name);
  if (!error) {
    candidates.push_back(directory / name);
    candidates.push_back(directory / ".." / "libexec" / "wavelet" / name);
  }
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

}  // namespace wavelet
