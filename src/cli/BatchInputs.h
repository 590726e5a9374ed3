#pragma once
// Turning the PATH arguments into the ordered list of records to analyse.

#include <string>
#include <vector>

namespace wavelet::cli {

struct BatchInput {
  std::string Path;  // what is opened
  std::string Name;  // column 0: the bare file name, as a work-list entry
};

struct ExpandedInputs {
  std::vector<BatchInput> Records;
  std::vector<std::string> Errors;  // directories that could not be listed
};

// Files stand for themselves (whatever their name); a directory gives its entries
// matching the record-file rule, in the record-name order (SortRecordNames), so runs
// are reproducible and follow the window's candidate list.
ExpandedInputs ExpandBatchInputs(const std::vector<std::string>& paths);

}  // namespace wavelet::cli
