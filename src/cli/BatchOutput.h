#pragma once
// Where the tool's CSV goes: standard output, or a file replaced only on success.

#include <memory>
#include <string>
#include <string_view>

namespace wavelet::cli {

class BatchOutput {
 public:
  virtual ~BatchOutput() = default;
  virtual bool Good() const = 0;
  virtual void Write(std::string_view text) = 0;
  // True when everything reached its destination.
  virtual bool Finish() = 0;
  // The name used in "Cannot write [...]", and why, when known.
  virtual std::string Name() const = 0;
  virtual std::string FailureReason() const { return {}; }
};

// Empty path: standard output.
std::unique_ptr<BatchOutput> OpenBatchOutput(const std::string& path);

}  // namespace wavelet::cli
