#include "record/RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "base/FileDescriptor.h"

namespace wavelet {

namespace {

Outcome CannotRead(const std::string& path, FailureKind kind, const std::string& reason) {
  return Outcome::Failure(kind, "Cannot read [" + path + "]", reason);
}

}  // namespace

Outcome ReadRecordFile(const std::string& path, RecordBytes& buffer) {
  // Once the type is known to be safe, reads block again.
  FileDescriptor file;
  struct stat info {};
  if (const Outcome opened = OpenWithoutWaiting(path, file, info); !opened.Ok) {
    return CannotRead(path, opened.Kind, opened.Reason);
  }
  // A pipe or socket never holds a record and could wait forever for a writer; a
  // directory opens but cannot be read.
  if (S_ISDIR(info.st_mode)) return CannotRead(path, FailureKind::NotAFile, ReasonOf(EISDIR));
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
    return CannotRead(path, FailureKind::NotAFile, S_ISFIFO(info.st_mode) ? "Is a pipe" : "Is a socket");
  }
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return CannotRead(path, FailureKindOf(errno), ReasonOf(errno));
  }
  // Read one byte past a record so a longer file is told apart from an exact one;
  // only the first kRecordSize bytes are ever used.
  std::array<std::uint8_t, kRecordSize + 1> scratch;
  const ssize_t got = file.ReadUpTo(scratch.data(), scratch.size());
  if (got < 0) return CannotRead(path, FailureKindOf(errno), ReasonOf(errno));  // an I/O error
  const auto total = static_cast<std::size_t>(got);
  if (total < kRecordSize) {
    return Outcome::Failure(FailureKind::NotARecord,
                            "Not a record (" + std::to_string(total) + " bytes): [" + path + "]");
  }
  std::copy(scratch.begin(), scratch.begin() + kRecordSize, buffer.begin());
  return Outcome::Success();
}

}  // namespace wavelet
