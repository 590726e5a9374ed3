#include "cli/BatchInputs.h"

#include <filesystem>
#include <system_error>

#include "record/RecordFile.h"
#include "record/RecordFileName.h"

namespace wavelet::cli {

ExpandedInputs ExpandBatchInputs(const std::vector<std::string>& paths) {
  ExpandedInputs expanded;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::string> names;
      if (!ForEachRecordFile(path, [&](const std::string& name) { names.push_back(name); })) {
        expanded.Errors.push_back("Cannot read directory [" + path + "]");
        continue;
      }
      SortRecordNames(names);  // the window's candidate list has the same order
      for (std::string& name : names) {
        expanded.Records.push_back({JoinPath(path, name), std::move(name)});
      }
    } else {
      // A missing file still gets its row, so the table shows what was asked for.
      expanded.Records.push_back({path, std::filesystem::path(path).filename().string()});
    }
  }
  return expanded;
}

}  // namespace wavelet::cli
