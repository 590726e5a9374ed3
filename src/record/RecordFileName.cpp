#include "record/RecordFileName.h"

#include <filesystem>
#include <system_error>

namespace wavelet {

bool MatchesRecordPattern(std::string_view name) {
  for (std::size_t i = 0; i + 1 < name.size(); ++i) {
    if (name[i] == '.' && (name[i + 1] == 'r' || name[i + 1] == 'R')) return true;
  }
  return false;
}

bool ForEachRecordFile(const std::string& directory,
                       const std::function<void(const std::string& name)>& found) {
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(directory), error);
  if (error) return false;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) return false;
    std::string name = it->path().filename().string();
    if (MatchesRecordPattern(name)) found(name);
  }
  return !error;
}

std::vector<std::string> ListRecordFiles(const std::string& directory) {
  std::vector<std::string> names;
  ForEachRecordFile(directory, [&](const std::string& name) { names.push_back(name); });
  return names;
}

}  // namespace wavelet
