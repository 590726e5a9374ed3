#pragma once
// The one result of a load or a write: whether it worked, what kind of failure it
// was, the text the user is shown ("Cannot read [path]") and, where the system said
// why, the reason ("No such file or directory"). Loaded<T> is the same for whatever
// hands a value back: the value when Ok, else the failure, so callers (the Python
// module among them) can tell the kinds apart without guessing from the path.

#include <string>
#include <utility>

namespace wavelet {

enum class FailureKind {
  None,
  NotFound,       // no such file, or a folder on the way is missing
  BrokenLink,     // a symbolic link to nothing
  NotAFile,       // a directory, a pipe, a socket where a file was wanted
  NoPermission,
  NotARecord,     // the bytes are there but are no record (or no recording we can use)
  Exists,         // a record of that name is there already and is not replaced
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

template <typename T>
struct Loaded : Outcome {
  T Value{};  // meaningful only when Ok

  Loaded() : Outcome{false, FailureKind::Failed, {}, {}} {}
  Loaded(T value) : Value(std::move(value)) {}                  // NOLINT: a success
  Loaded(Outcome failure) : Outcome(std::move(failure)) {}      // NOLINT: a failure
};

// A refusal of what was read: the whole text, of kind NotARecord.
inline Outcome Refusal(std::string text) { return Outcome::Failure(FailureKind::NotARecord, std::move(text)); }

// The failure kind and the reason the system gives for `error` (an errno value).
FailureKind FailureKindOf(int error);
std::string ReasonOf(int error);

}  // namespace wavelet
