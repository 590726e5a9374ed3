#include "base/Outcome.h"

#include <cerrno>
#include <cstring>

namespace wavelet {

FailureKind FailureKindOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FailureKind::NotFound;
    case EISDIR:
      return FailureKind::NotAFile;
    case EACCES:
    case EPERM:
    case EROFS:
      return FailureKind::NoPermission;
    default:
      return FailureKind::Failed;
  }
}

std::string ReasonOf(int error) {
  char buffer[256];
  // The GNU form returns the text (which may or may not be the buffer).
  return ::strerror_r(error, buffer, sizeof buffer);
}

}  // namespace wavelet
