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
// matching the record-file rule, sorted by name, so runs are reproducible.
ExpandedInputs ExpandBatchInputs(const std::vector<std::string>& paths);

}  // namespace wavelet::cli
