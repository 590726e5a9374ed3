#pragma once
// What every command-line tool of the program says and how it ends: messages named
// after the tool on standard error, a progress line on a terminal that messages wipe
// first, and the exit statuses the manual pages state.

#include <chrono>
#include <cstddef>
#include <string>

namespace wavelet::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitSomeFailed = 1;  // some inputs or outputs failed
inline constexpr int kExitUsage = 2;       // the command line was refused

class ToolDiagnostics {
 public:
  // `unit`: what the progress line counts ("records").
  ToolDiagnostics(std::string program, bool quiet, std::size_t total, std::string unit);

  void Error(const std::string& text);
  void Warning(const std::string& text);  // silent with -q
  // At most five times a second, and always for the last.
  void Progress(std::size_t done);
  // Ends the progress line.
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  void Print(const std::string& text);

  std::string program_;
  bool quiet_;
  std::size_t total_;
  std::string unit_;
  bool progress_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
};

// A refused command line: the one line that says why, then where the help is.
// Returns kExitUsage.
int UsageError(const std::string& program, const std::string& text);

}  // namespace wavelet::cli
