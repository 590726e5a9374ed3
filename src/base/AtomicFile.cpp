#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "base/Paths.h"

namespace wavelet {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

// The file the writer finally replaces: through a symbolic link to its target, so the
// link stays a link.
std::string ResolvedTarget(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    const auto target = std::filesystem::canonical(path, error);
    if (!error) return target.string();
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? std::string(".") : folder;
}

void SyncFolder(const std::string& folder) {
  const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) (void)::fsync(fd.Get());
}

}  // namespace

std::string CannotWriteText(const std::string& path) { return "Cannot write [" + path + "]"; }

AtomicFileWriter::AtomicFileWriter(std::string path, InPlaceFallback fallback, SyncPolicy sync)
    : path_(std::move(path)), sync_(sync) {
  Open(fallback);
}

AtomicFileWriter::AtomicFileWriter(std::string path, DeferredRenames& renames)
    : path_(std::move(path)), renames_(&renames) {
  Open(InPlaceFallback::Refused);
}

void AtomicFileWriter::Open(InPlaceFallback fallback) {
  const std::string target = ResolvedTarget(path_);
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  // Refuse what opening the file for writing would refuse, although a rename would
  // get past it: a directory, or a file we may not write.
  if (exists && S_ISDIR(existing.st_mode)) return Fail(EISDIR);
  if (exists && ::access(target.c_str(), W_OK) != 0) return Fail(errno);
  // A device or a pipe (/dev/stdout, a named pipe) is written in place: renaming a
  // file over it would destroy it.
  if (exists && !S_ISREG(existing.st_mode)) {
    fd_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!fd_.Valid()) return Fail(errno);
    direct_ = true;
    good_ = true;
    return;
  }

  const std::filesystem::path targetPath(target);
  const std::string directory = targetPath.parent_path().string();
  const std::string base = targetPath.filename().string();
  static std::atomic<unsigned> counter{0};
  int openError = 0;
  for (int attempt = 0; attempt < 100 && !fd_.Valid(); ++attempt) {
    tempPath_ = JoinPath(directory, "." + base + "." + std::to_string(::getpid()) + "." +
                                        std::to_string(counter++) + ".tmp");
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    fd_ = FileDescriptor(::open(tempPath_.c_str(), flags, 0666));
    openError = errno;
    if (!fd_.Valid() && openError != EEXIST) break;
  }
  if (!fd_.Valid()) {
    tempPath_.clear();
    // A directory we may not write in still lets us replace the contents of a file
    // we may write: then in place, with the same checks but no protection of the
    // old contents against a failure half way.
    if (fallback != InPlaceFallback::Allowed || !exists || !S_ISREG(existing.st_mode)) {
      return Fail(openError);
    }
    fd_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!fd_.Valid()) return Fail(errno);
    direct_ = true;
    good_ = true;
    buffer_.reserve(kFlushSize * 2);
    return;
  }
  // A replaced file keeps its permissions.
  if (exists) (void)::fchmod(fd_.Get(), existing.st_mode & 07777);
  good_ = true;
  buffer_.reserve(kFlushSize * 2);
}

void AtomicFileWriter::Fail(int error) {
  good_ = false;
  if (error_ == 0) error_ = error;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!done_) Discard();
}

void AtomicFileWriter::Write(std::string_view bytes) {
  if (!good_) return;
  if (buffer_.empty() && bytes.size() >= kFlushSize) {
    if (!fd_.WriteAll(bytes)) Fail(errno);
    return;
  }
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushSize) FlushBuffer();
}

void AtomicFileWriter::FlushBuffer() {
  if (good_ && !buffer_.empty() && !fd_.WriteAll(buffer_)) Fail(errno);
  buffer_.clear();
}

void AtomicFileWriter::Discard() {
  fd_.Close();
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  good_ = false;
  done_ = true;
}

Outcome AtomicFileWriter::Commit() {
  if (done_) return Outcome::Failure(FailureKind::Failed, CannotWriteText(path_));
  FlushBuffer();
  // Data still in the kernel's hands can fail to reach the disk; only fsync and close
  // tell us. Deferred files are synced together, before any of them is renamed.
  const bool syncNow = (renames_ == nullptr || direct_) && sync_ == SyncPolicy::Durable;
  if (good_ && syncNow && ::fsync(fd_.Get()) != 0 &&
      !(direct_ && (errno == EINVAL || errno == ENOTSUP))) {
    Fail(errno);
  }
  if (!fd_.Close()) Fail(errno);
  if (good_ && !direct_ && renames_ != nullptr) {
    renames_->pending_.push_back({tempPath_, ResolvedTarget(path_), path_});
    tempPath_.clear();
    done_ = true;
    return Outcome::Success();
  }
  if (good_ && !direct_ && std::rename(tempPath_.c_str(), ResolvedTarget(path_).c_str()) != 0) {
    Fail(errno);
  }
  if (!good_) {
    Discard();
    const int error = error_;
    return Outcome::Failure(error == 0 ? FailureKind::Failed : FailureKindOf(error),
                            CannotWriteText(path_), error == 0 ? std::string() : ReasonOf(error));
  }
  // The rename is durable once the folder is synced.
  if (!direct_ && sync_ == SyncPolicy::Durable) SyncFolder(FolderOf(ResolvedTarget(path_)));
  tempPath_.clear();
  done_ = true;
  return Outcome::Success();
}

DeferredRenames::~DeferredRenames() { (void)Finish(); }

Outcome DeferredRenames::Finish() {
  Outcome outcome;
  std::set<std::string> folders;
  for (const Rename& rename : pending_) folders.insert(FolderOf(rename.Target));
  // One sync of each file system holding pending files stands for an fsync of each.
  for (const std::string& folder : folders) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.Valid() || ::syncfs(fd.Get()) != 0) {
      const int error = errno;
      for (const Rename& rename : pending_) ::unlink(rename.Temporary.c_str());
      outcome = Outcome::Failure(FailureKindOf(error), CannotWriteText(pending_.front().Path),
                                 ReasonOf(error));
      pending_.clear();
      return outcome;
    }
  }
  for (const Rename& rename : pending_) {
    if (std::rename(rename.Temporary.c_str(), rename.Target.c_str()) != 0) {
      const int error = errno;
      ::unlink(rename.Temporary.c_str());
      if (outcome.Ok) {
        outcome = Outcome::Failure(FailureKindOf(error), CannotWriteText(rename.Path), ReasonOf(error));
      }
    }
  }
  for (const std::string& folder : folders) SyncFolder(folder);
  pending_.clear();
  return outcome;
}

}  // namespace wavelet
