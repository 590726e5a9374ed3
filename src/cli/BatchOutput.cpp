#include "cli/BatchOutput.h"

#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"

namespace wavelet::cli {
namespace {

class FileOutput final : public BatchOutput {
 public:
  // A file the user may write is written even in a directory they may not write in.
  explicit FileOutput(const std::string& path) : writer_(path, InPlaceFallback::Allowed) {}
  bool Good() const override { return writer_.Good(); }
  void Write(std::string_view text) override { writer_.Write(text); }
  bool Finish() override {
    const Outcome committed = writer_.Commit();
    reason_ = committed.Reason;
    return committed.Ok;
  }
  std::string Name() const override { return writer_.Path(); }
  std::string FailureReason() const override {
    return reason_.empty() ? writer_.FailureReason() : reason_;
  }

 private:
  AtomicFileWriter writer_;
  std::string reason_;
};

class StandardOutput final : public BatchOutput {
 public:
  bool Good() const override { return good_; }
  void Write(std::string_view text) override {
    if (!good_) return;
    buffer_.append(text);
    if (buffer_.size() >= kFlushSize) Flush();
  }
  bool Finish() override {
    Flush();
    return good_;
  }
  std::string Name() const override { return "standard output"; }

 private:
  static constexpr std::size_t kFlushSize = 1 << 16;

  void Flush() {
    if (good_ && !WriteAll(STDOUT_FILENO, buffer_)) good_ = false;
    buffer_.clear();
  }

  std::string buffer_;
  bool good_ = true;
};

}  // namespace

std::unique_ptr<BatchOutput> OpenBatchOutput(const std::string& path) {
  if (path.empty()) return std::make_unique<StandardOutput>();
  return std::make_unique<FileOutput>(path);
}

}  // namespace wavelet::cli
