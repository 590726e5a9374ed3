#pragma once
// The reader program's work: one file through libbiosig, its chosen channels out
// through the reader stream. Runs only in wavelet-read-recording, never in a program
// with a window or threads.

#include <string>

#include "acquisition/RecordingParts.h"

namespace wavelet {

// Writes a refusal, or the patient fields and the channels ChooseLeads picks (in the
// file's physical units), then the end frame, to `fd`. The exit status: 0 when the
// stream was written whole.
int ReadWithBiosig(const std::string& path, const ReadOptions& options, int fd);

}  // namespace wavelet
