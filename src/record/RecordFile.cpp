#include "record/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/FileDescriptor.h"

namespace wavelet {

RecordReadResult ReadRecordFile(const std::string& path, RecordBytes& buffer) {
  RecordReadResult result;
  const std::string cannotRead = "Cannot read [" + path + "]";
  // Opened without blocking: a named pipe with no writer would otherwise hang the
  // program in open() itself. Once the type is known to be safe, reads block again.
  const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!file.Valid() || ::fstat(file.Get(), &info) != 0) {
    result.ErrorText = cannotRead;
    return result;
  }
  // A pipe or socket never holds a record and could wait forever for a writer; a
  // directory opens but cannot be read.
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISDIR(info.st_mode)) {
    result.ErrorText = cannotRead;
    return result;
  }
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    result.ErrorText = cannotRead;
    return result;
  }
  // Read one byte past a record so a longer file is told apart from an exact one;
  // only the first kRecordSize bytes are ever used.
  std::array<std::uint8_t, kRecordSize + 1> scratch;
  const ssize_t got = file.ReadUpTo(scratch.data(), scratch.size());
  if (got < 0) {  // a vanished device, an I/O error
    result.ErrorText = cannotRead;
    return result;
  }
  const auto total = static_cast<std::size_t>(got);
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
