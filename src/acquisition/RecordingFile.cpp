#include "acquisition/RecordingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace wavelet {

namespace {

Outcome Because(FailureKind kind, std::string reason) { return Outcome::Failure(kind, {}, std::move(reason)); }

}  // namespace

Outcome OpenRegularFile(const std::string& path, FileDescriptor& file, std::uint64_t& size) {
  FileDescriptor opened;
  struct stat status {};
  Outcome outcome = OpenWithoutWaiting(path, opened, status);
  // A recording's refusal has always given the system's words for a broken link.
  if (outcome.Kind == FailureKind::BrokenLink) outcome.Reason = ReasonOf(ENOENT);
  if (!outcome.Ok) return outcome;
  if (!S_ISREG(status.st_mode)) return Because(FailureKind::NotAFile, "not a regular file");
  size = static_cast<std::uint64_t>(status.st_size);
  file = std::move(opened);
  return Outcome::Success();
}

Outcome ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& text) {
  FileDescriptor file;
  std::uint64_t size = 0;
  Outcome opened = OpenRegularFile(path, file, size);
  if (!opened.Ok) return opened;
  if (size > limit) {
    return Because(FailureKind::NotARecord, "the file is " + std::to_string(size) + " bytes, more than the " +
                                                std::to_string(limit) + " a file of this kind may be");
  }
  text.assign(static_cast<std::size_t>(size), '\0');
  const ssize_t got = file.ReadUpTo(text.data(), text.size());
  if (got < 0) return Because(FailureKindOf(errno), ReasonOf(errno));
  text.resize(static_cast<std::size_t>(got));
  return Outcome::Success();
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
