#pragma once
// Which directory entries count as record files: the "*.r*" rule.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wavelet {

// "*.r*", case-insensitive, where "*" spans any run of characters including dots:
// true for every name that holds a dot directly followed by 'r' or 'R'.
bool MatchesRecordPattern(std::string_view name);

// Calls `found` for every matching entry (files and directories) in enumeration
// order; returns false if the directory cannot be read.
bool ForEachRecordFile(const std::string& directory,
                       const std::function<void(const std::string& name)>& found);

std::vector<std::string> ListRecordFiles(const std::string& directory);

// The order of record names wherever a directory's records are listed (the window's
// candidate list, the batch tool's directory runs): letters without regard to case,
// runs of digits by their value (P2 before P10, P007 with P7), and where that finds
// no difference, the bytes themselves, so the order is total and reproducible.
bool RecordNameBefore(std::string_view a, std::string_view b);
void SortRecordNames(std::vector<std::string>& names);

}  // namespace wavelet
