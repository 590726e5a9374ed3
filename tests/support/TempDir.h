#pragma once
// Scratch directories and whole files for the tests that touch the disk.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace wavelet::testing {

// A scratch directory that removes itself.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string Path() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes file `name` and gives its path.
  std::string Write(const std::string& name, const void* data, std::size_t size) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, byte for byte ("" when it cannot be read).
std::string ReadAll(const std::string& path);

// Writes `data` as the whole content of `path`.
void WriteAll(const std::string& path, const void* data, std::size_t size);
inline void WriteAll(const std::string& path, const std::string& text) {
  WriteAll(path, text.data(), text.size());
}

// The names in a directory, sorted.
std::vector<std::string> DirectoryEntries(const std::string& directory);

}  // namespace wavelet::testing
