#include "acquisition/RecordingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace wavelet {

bool OpenRegularFile(const std::string& path, FileDescriptor& file, std::uint64_t& size, std::string& reason) {
  // O_NONBLOCK: opening a named pipe returns at once instead of waiting for a writer.
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!opened.Valid()) {
    reason = std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(opened.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    reason = "not a regular file";
    return false;
  }
  size = static_cast<std::uint64_t>(status.st_size);
  file = std::move(opened);
  return true;
}

bool ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& text, std::string& reason) {
  FileDescriptor file;
  std::uint64_t size = 0;
  if (!OpenRegularFile(path, file, size, reason)) return false;
  if (size > limit) {
    reason = "the file is " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
             " a file of this kind may be";
    return false;
  }
  text.assign(static_cast<std::size_t>(size), '\0');
  const ssize_t got = file.ReadUpTo(text.data(), text.size());
  if (got < 0) {
    reason = std::strerror(errno);
    return false;
  }
  text.resize(static_cast<std::size_t>(got));
  return true;
}

bool ReadAt(const FileDescriptor& file, std::uint64_t offset, std::span<std::uint8_t> bytes) {
  return ReadAllAt(file.Get(), bytes.data(), bytes.size(), offset);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace wavelet
