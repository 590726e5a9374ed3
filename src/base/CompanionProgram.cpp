#include "base/CompanionProgram.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace wavelet {

std::string FindCompanionProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path directory = self.parent_path();
  for (const std::filesystem::path& candidate :
       {directory / name, directory / ".." / "libexec" / "wavelet" / name}) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

}  // namespace wavelet
