#pragma once
// Which directory entries count as record files: the "*.r**" rule.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wavelet {

// "*.r**", case-insensitive, where "*" spans any run of characters including dots:
// true for every name that holds a dot directly followed by 'r' or 'R'.
bool MatchesRecordPattern(std::string_view name);

// Calls `found` for every matching entry (files and directories) in enumeration
// order; returns false if the directory cannot be read.
bool ForEachRecordFile(const std::string& directory,
                       const std::function<void(const std::string& name)>& found);

std::vector<std::string> ListRecordFiles(const std::string& directory);

}  // namespace wavelet
