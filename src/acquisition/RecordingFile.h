#pragma once
// Opening the files of a recording: only regular files, never waited on (a named
// pipe or a device in a directory of recordings must not block or feed endless data).

#include <cstdint>
#include <span>
#include <string>

#include "base/FileDescriptor.h"
#include "base/Outcome.h"

namespace wavelet {

// Opens `path` for reading when it is a regular file. A failure carries its kind
// and, as Reason, why (the system's words, safe on any thread), for the caller to
// put into its own message.
Outcome OpenRegularFile(const std::string& path, FileDescriptor& file, std::uint64_t& size);

// The whole of a regular file of at most `limit` bytes, failing as OpenRegularFile.
Outcome ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& text);

// Reads bytes.size() bytes at `offset`, through interrupted and partial reads.
bool ReadAt(const FileDescriptor& file, std::uint64_t offset, std::span<std::uint8_t> bytes);

// The directory part of `path` ("" for a bare name; "/" for a file at the root).
std::string DirectoryOf(const std::string& path);

}  // namespace wavelet
