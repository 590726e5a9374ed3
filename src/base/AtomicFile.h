#pragma once
// Writing a file so that a failure or a crash never leaves a partial file under its
// final name: the bytes go to a temporary file beside it, which is synced and renamed
// over the target only when everything has been written.
//
// Sync policy: Durable syncs the file before its rename and its folder after (a CSV,
// a PDF). Scratch syncs neither, for a file read back within the run and removed
// (a part of a document drawn side by side): it still never shows half written under
// its name. Many files of one run (a folder of pictures) go through a
// DeferredRenames instead: Commit closes the file and hands its rename over, and
// Finish syncs the file system once and then renames them all; until then no final
// name exists, so a crash leaves temporary files but never a truncated picture.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileDescriptor.h"
#include "base/Outcome.h"

namespace wavelet {

// A target that exists and is not a regular file (a device, a named pipe) is written
// in place, with the same error checks. With Allowed, so is a writable regular file in
// a directory where no temporary file can be created (then a failure half way leaves a
// partial file).
enum class InPlaceFallback { Refused, Allowed };

class DeferredRenames;

enum class SyncPolicy { Durable, Scratch };

class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::string path, InPlaceFallback fallback = InPlaceFallback::Refused,
                            SyncPolicy sync = SyncPolicy::Durable);
  // Deferred: Commit leaves the rename to `renames`.
  AtomicFileWriter(std::string path, DeferredRenames& renames);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once anything has failed (including the open).
  bool Good() const { return good_; }
  void Write(std::string_view bytes);
  // Any failure (at open, write, sync, close or rename) gives "Cannot write [path]"
  // with the system's reason, and removes the temporary file, so the previous file of
  // that name stays as it was. Destroying an uncommitted writer removes it too.
  Outcome Commit();
  // Gives up: the temporary file is removed and nothing is written.
  void Discard();
  const std::string& Path() const { return path_; }
  // Why the writer failed, as far as the system said (empty while Good()).
  std::string FailureReason() const { return error_ == 0 ? std::string() : ReasonOf(error_); }

 private:
  void Open(InPlaceFallback fallback);
  void Fail(int error);
  void FlushBuffer();

  std::string path_;
  std::string tempPath_;
  std::string buffer_;
  FileDescriptor fd_;
  DeferredRenames* renames_ = nullptr;
  SyncPolicy sync_ = SyncPolicy::Durable;
  bool good_ = false;
  bool done_ = false;
  bool direct_ = false;
  int error_ = 0;
};

// The renames of one run's deferred files, done together.
class DeferredRenames {
 public:
  DeferredRenames() = default;
  ~DeferredRenames();  // renames what is still pending, as Finish does
  DeferredRenames(const DeferredRenames&) = delete;
  DeferredRenames& operator=(const DeferredRenames&) = delete;

  // Syncs the file systems of the pending files once, renames each over its target
  // and syncs their folders. The outcome of the first file that failed, else Success.
  Outcome Finish();
  std::size_t Pending() const { return pending_.size(); }

 private:
  friend class AtomicFileWriter;
  struct Rename {
    std::string Temporary;
    std::string Target;
    std::string Path;  // as the caller named it, for the message
  };
  std::vector<Rename> pending_;
};

std::string CannotWriteText(const std::string& path);

}  // namespace wavelet
