#pragma once
// The one way a file name is put into a folder.

#include <string>

namespace wavelet {

// "<directory>/<name>"; the name alone when there is no directory.
inline std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path += directory;
  path += '/';
  path += name;
  return path;
}

}  // namespace wavelet
