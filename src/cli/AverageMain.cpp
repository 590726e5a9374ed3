// wavelet-average: ECG recordings averaged into signal-averaged records, with a table
// of what each gave.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "acquisition/AverageFile.h"
#include "base/AtomicFile.h"
#include "base/LargeBuffers.h"
#include "base/Paths.h"
#include "cli/AverageOptions.h"
#include "cli/ToolDiagnostics.h"
#include "version/Version.h"

namespace {

constexpr const char* kProgram = "wavelet-average";

// The recordings of the arguments in order: a directory gives its recordings.
std::vector<std::string> ExpandRecordings(const std::vector<std::string>& paths,
                                          wavelet::cli::ToolDiagnostics& diagnostics) {
  std::vector<std::string> recordings;
  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::string> notFiles;
      const std::vector<std::string> found = wavelet::ListRecordings(path, &notFiles);
      for (const std::string& other : notFiles) {
        diagnostics.Warning("[" + other + "] is named like a recording but is no file: skipped");
      }
      if (found.empty()) {
        diagnostics.Warning("no recordings in [" + path + "]");
      }
      recordings.insert(recordings.end(), found.begin(), found.end());
    } else {
      recordings.push_back(path);
    }
  }
  return recordings;
}

// A recording whose record an earlier one of the run makes (the same file given twice,
// or files of one name from two folders) is refused rather than averaged over it.
std::vector<std::string> SharedRecordTexts(const std::vector<std::string>& recordings,
                                           const std::vector<std::string>& names) {
  std::vector<std::string> refusals(names.size());
  std::map<std::string, std::size_t> first;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto [at, fresh] = first.emplace(names[i], i);
    if (!fresh) {
      refusals[i] = "[" + recordings[i] + "] is not averaged: [" + recordings[at->second] +
                    "], earlier in the same run, has its record name " + names[i];
    }
  }
  return refusals;
}

// Results are made on the workers and handed over in input order.
class AveragingRun {
 public:
  AveragingRun(const std::vector<std::string>& recordings, const std::vector<std::string>& targets,
               const std::vector<std::string>& refusals, const wavelet::AverageFileRequest& request)
      : recordings_(recordings), targets_(targets), refusals_(refusals), request_(request),
        results_(recordings.size()) {}

  template <typename Done>
  void Run(int jobs, Done done) {
    std::vector<std::thread> threads;
    for (int t = 0; t < jobs; ++t) threads.emplace_back([this] { Work(); });
    for (std::size_t i = 0; i < results_.size(); ++i) {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [&] { return results_[i].has_value(); });
      const wavelet::AverageFileResult& result = *results_[i];
      lock.unlock();
      done(i, result);
    }
    for (std::thread& thread : threads) thread.join();
  }

  // Failures found when a worker put its last records in place; read after Run.
  const std::vector<wavelet::Outcome>& LateFailures() const { return lateFailures_; }

 private:
  // Each worker's records are synced together when it has no more to do: until then
  // they exist under temporary names only.
  void Work() {
    wavelet::DeferredRenames renames;
    for (std::size_t i; (i = next_++) < recordings_.size();) {
      wavelet::AverageFileResult result;
      if (refusals_[i].empty()) {
        result = wavelet::AverageRecordingFile(recordings_[i], targets_[i], request_, &renames);
      } else {
        static_cast<wavelet::Outcome&>(result) = wavelet::Outcome::Failure(wavelet::FailureKind::Failed, refusals_[i]);
      }
      {
        std::lock_guard lock(mutex_);
        results_[i] = std::move(result);
      }
      ready_.notify_all();
    }
    const wavelet::Outcome synced = renames.Finish();
    if (!synced.Ok) {
      std::lock_guard lock(mutex_);
      lateFailures_.push_back(synced);
    }
  }

  const std::vector<std::string>& recordings_;
  const std::vector<std::string>& targets_;
  const std::vector<std::string>& refusals_;
  const wavelet::AverageFileRequest& request_;
  std::vector<std::optional<wavelet::AverageFileResult>> results_;
  std::atomic<std::size_t> next_{0};
  std::vector<wavelet::Outcome> lateFailures_;
  std::mutex mutex_;
  std::condition_variable ready_;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace wavelet;
  using namespace wavelet::cli;
  const ParsedAverageOptions parsed =
      ParseAverageOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Ok) return UsageError(kProgram, parsed.ErrorText);
  const AverageOptions& options = parsed.Options;
  if (options.Help) {
    std::fputs(AverageUsageText(), stdout);
    return kExitSuccess;
  }
  if (options.Version) {
    std::printf("%s %s\n", kProgram, kBuildVersion);
    return kExitSuccess;
  }
  KeepLargeBuffersInTheHeap();
  int jobs = options.Jobs;
  if (jobs == 0) jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  ToolDiagnostics early(kProgram, options.Quiet, 0, "recordings");
  const std::vector<std::string> recordings = ExpandRecordings(options.Paths, early);
  ToolDiagnostics diagnostics(kProgram, options.Quiet, recordings.size(), "recordings");

  const std::string& folder = options.OutputDirectory;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    diagnostics.Error(CannotWriteText(folder) + (error ? ": " + error.message() : std::string()));
    return kExitSomeFailed;
  }
  // Nothing is averaged for a folder that takes no files.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    diagnostics.Error(CannotWriteText(folder) + ": " + ReasonOf(errno));
    return kExitSomeFailed;
  }

  const std::vector<std::string> names = RecordNamesOf(recordings);
  std::vector<std::string> targets;
  for (const std::string& name : names) targets.push_back(JoinPath(folder, name));
  const std::vector<std::string> refusals = SharedRecordTexts(recordings, names);
  AveragingRun run(recordings, targets, refusals, options.Request);
  std::vector<AverageFileResult> results(recordings.size());
  int refused = 0;
  run.Run(std::min<int>(jobs, static_cast<int>(std::max<std::size_t>(1, recordings.size()))),
          [&](std::size_t i, const AverageFileResult& result) {
            // A warning that does not name its recording is given the name.
            for (const std::string& warning : result.Warnings) {
              const bool named = warning.find("[" + recordings[i] + "]") != std::string::npos;
              diagnostics.Warning(named ? warning : "[" + recordings[i] + "]: " + warning);
            }
            if (!result.Written) {
              ++refused;
              diagnostics.Error(result.ErrorText + (result.Kind == wavelet::FailureKind::Exists ? " (--force replaces it)" : ""));
            }
            results[i] = result;
            diagnostics.Progress(i + 1);
          });
  diagnostics.Finish();
  for (const Outcome& failure : run.LateFailures()) {
    ++refused;
    diagnostics.Error(failure.Message());
  }
  // After every rename of the run, so the table sees the folder as the run left it.
  const Outcome written = UpdateAveragingTable(folder, recordings, results);
  if (!written.Ok) diagnostics.Error(written.Message());
  if (refused > 0) {
    diagnostics.Error(std::to_string(refused) + " of " + std::to_string(recordings.size()) +
                      " recordings were not averaged");
  }
  return refused > 0 || !written.Ok ? kExitSomeFailed : kExitSuccess;
}
