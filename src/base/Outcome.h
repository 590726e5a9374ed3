#pragma once
// The one result of a load or a write: whether it worked, what kind of failure it
// was, the text the user is shown ("Cannot read [path]") and, where the system said
// why, the reason ("No such file or directory").

#include <string>

namespace wavelet {

enum class FailureKind {
  None,
  NotFound,       // no such file, or a folder on the way is missing
  BrokenLink,     // a symbolic link to nothing
  NotAFile,       // a directory, a pipe, a socket where a file was wanted
  NoPermission,
  NotARecord,     // the bytes are there but are no record
  Failed,         // any other failure of the system
};

struct Outcome {
  bool Ok = true;
  FailureKind Kind = FailureKind::None;
  std::string ErrorText;  // empty when Ok
  std::string Reason;     // why, when known

  static Outcome Success() { return {}; }
  static Outcome Failure(FailureKind kind, std::string text, std::string reason = {}) {
    return {false, kind, std::move(text), std::move(reason)};
  }
  // The text with its reason: "Cannot read [x]: No such file or directory".
  std::string Message() const { return Reason.empty() ? ErrorText : ErrorText + ": " + Reason; }
};

// The failure kind and the reason the system gives for `error` (an errno value).
FailureKind FailureKindOf(int error);
std::string ReasonOf(int error);

}  // namespace wavelet
