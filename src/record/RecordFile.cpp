#include "record/RecordFile.h"

#include <cstdio>
#include <memory>

namespace wavelet {

RecordReadResult ReadRecordFile(const std::string& path, RecordBytes& buffer) {
  RecordReadResult result;
  const std::string cannotRead = "Cannot read [" + path + "]";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    result.ErrorText = cannotRead;
    return result;
  }
  // Read one byte past a record so a longer file is told apart from an exact one;
  // only the first kRecordSize bytes are ever used.
  std::array<std::uint8_t, kRecordSize + 1> scratch;
  std::size_t total = 0;
  while (total < scratch.size()) {
    const std::size_t got = std::fread(scratch.data() + total, 1, scratch.size() - total, file.get());
    if (got == 0) break;
    total += got;
  }
  // A directory opens but fails to read; so does a vanished device.
  if (std::ferror(file.get())) {
    result.ErrorText = cannotRead;
    return result;
  }
  if (total < kRecordSize) {
    result.ErrorText = "Not a record (" + std::to_string(total) + " bytes): [" + path + "]";
    return result;
  }
  std::copy(scratch.begin(), scratch.begin() + kRecordSize, buffer.begin());
  result.Ok = true;
  return result;
}

std::string JoinRecordPath(const std::string& directory, const std::string& entry) {
  std::string path;
  path.reserve(directory.size() + 1 + entry.size());
  path += directory;
  path += '/';
  path += entry;
  return path;
}

}  // namespace wavelet
