#pragma once
// Reading a record file from disk.

#include <string>

#include "base/Outcome.h"
#include "base/Paths.h"
#include "record/RecordFormat.h"

namespace wavelet {

// Reads the first 5025 bytes; on any failure `buffer` is left untouched and
// ErrorText is "Cannot read [" + path + "]" (with the reason: no such file, a broken
// link, a directory, no permission...) or "Not a record (" + size + " bytes): [" +
// path + "]". A named pipe, socket or directory is refused at once, never waited on.
Outcome ReadRecordFile(const std::string& path, RecordBytes& buffer);

}  // namespace wavelet
