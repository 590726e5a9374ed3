#pragma once
// Every format but WFDB, read by libbiosig. libbiosig parses untrusted files in C, so
// it runs in a program of its own, wavelet-read-recording, one run per file: a crash
// or a hang inside it refuses that file and leaves this program (and its other
// threads) untouched.

#include <chrono>
#include <string>
#include <vector>

#include "base/CompanionProgram.h"
#include "acquisition/RecordingParts.h"
#include "acquisition/SourceRecording.h"

namespace wavelet {

inline constexpr const char* kRecordingReaderProgram = "wavelet-read-recording";
// Longer than any honest file takes; a run that exceeds it counts as a hang.
inline constexpr std::chrono::milliseconds kReaderTimeLimit{20000};

// The reader program beside the running one, else where the package would install it
// (<bin>/../libexec/wavelet); "" when neither exists.
std::string FindRecordingReaderProgram();

// The reader program's command line for one file: the file, the sample limit and the
// lead names when given ("--leads" A B C).
std::vector<std::string> ReaderArguments(const std::string& path, const ReadOptions& options);

// The bytes a reader may send for one file under `options`.
std::size_t ReaderOutputLimit(const ReadOptions& options);

// What the reader's run says about `path`: its channels in microvolts, or a refusal
// ("libbiosig crashed while reading [path]" and the like for a failed run).
Loaded<SourceRecording> SourceFromReaderRun(const std::string& path, const ChildRun& run, const ReadOptions& options);

// Runs the reader program over `path`.
Loaded<SourceRecording> ReadThroughBiosig(const std::string& path, const ReadOptions& options);

}  // namespace wavelet
