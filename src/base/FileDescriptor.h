#pragma once
// A POSIX file descriptor that closes itself however the code around it ends, and
// the loops that write a whole buffer and read a whole extent through interrupted and
// partial calls.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Outcome.h"

namespace wavelet {

// Writes every byte of `data` to `fd`, retrying interrupted and partial writes. False
// on any other error (a full disk, a reader that went away). With `sendFlags` (a
// socket's, such as MSG_NOSIGNAL: a reader gone fails the write instead of killing
// this program) the bytes go by send.
bool WriteAll(int fd, std::string_view data, int sendFlags = 0);

// Reads exactly `size` bytes at `offset` of `fd` into `data`, retrying interrupted and
// partial reads. False on an error or when the file ends first.
bool ReadAllAt(int fd, void* data, std::size_t size, std::uint64_t offset);

class FileDescriptor {
 public:
  FileDescriptor() = default;
  // Takes ownership; a negative value (a failed open) gives an invalid descriptor.
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept;
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }

  bool WriteAll(std::string_view data) const { return wavelet::WriteAll(fd_, data); }
  // Reads until `size` bytes have come or the file ends, retrying interrupted reads:
  // the number of bytes read, or -1 on an error.
  ssize_t ReadUpTo(void* data, std::size_t size) const;
  // Closes now. False when close reports an error, which may mean written data never
  // reached the disk; the descriptor is invalid afterwards either way.
  bool Close();

 private:
  int fd_ = -1;
};

// The one safe open of a file to read, for records and recordings alike: without
// waiting (a named pipe with no writer would otherwise block in open() itself) and
// with `status` the opened file's, for the caller to refuse what is no file of its
// kind. A failure carries the system's kind and, as Reason, its words (safe on any
// thread); a symbolic link to nothing is BrokenLink, "Broken symbolic link".
Outcome OpenWithoutWaiting(const std::string& path, FileDescriptor& file, struct stat& status);

}  // namespace wavelet
