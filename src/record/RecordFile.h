#pragma once
// Reading a record file from disk.

#include <string>

#include "record/RecordFormat.h"

namespace wavelet {

struct RecordReadResult {
  bool Ok = false;
  std::string ErrorText;
};

// Reads the first 5025 bytes; on any failure `buffer` is left untouched and
// ErrorText is "Cannot read [" + path + "]" or
// "Not a record (" + size + " bytes): [" + path + "]". A named pipe, socket or
// directory is "Cannot read" at once, never waited on.
RecordReadResult ReadRecordFile(const std::string& path, RecordBytes& buffer);

// The separator is always inserted, even after a directory that ends in one.
std::string JoinRecordPath(const std::string& directory, const std::string& entry);

}  // namespace wavelet
