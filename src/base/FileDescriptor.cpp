#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace wavelet {

Outcome OpenWithoutWaiting(const std::string& path, FileDescriptor& file, struct stat& status) {
  FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!opened.Valid()) {
    const int error = errno;
    struct stat link {};
    // A link whose target is gone is not a missing file, as a user needs to be told.
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      return Outcome::Failure(FailureKind::BrokenLink, {}, "Broken symbolic link");
    }
    return Outcome::Failure(FailureKindOf(error), {}, ReasonOf(error));
  }
  if (::fstat(opened.Get(), &status) != 0) return Outcome::Failure(FailureKindOf(errno), {}, ReasonOf(errno));
  file = std::move(opened);
  return Outcome::Success();
}

bool WriteAll(int fd, std::string_view data, int sendFlags) {
  const char* next = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t written = sendFlags == 0 ? ::write(fd, next, left) : ::send(fd, next, left, sendFlags);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool ReadAllAt(int fd, void* data, std::size_t size, std::uint64_t offset) {
  auto* next = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, next + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

ssize_t FileDescriptor::ReadUpTo(void* data, std::size_t size) const {
  auto* next = static_cast<char*>(data);
  std::size_t total = 0;
  while (total < size) {
    const ssize_t got = ::read(fd_, next + total, size - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    total += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(total);
}

bool FileDescriptor::Close() {
  if (fd_ < 0) return true;
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

}  // namespace wavelet
