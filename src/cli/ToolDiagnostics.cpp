#include "cli/ToolDiagnostics.h"

#include <unistd.h>

#include <cstdio>

namespace wavelet::cli {

ToolDiagnostics::ToolDiagnostics(std::string program, bool quiet, std::size_t total,
                                 std::string unit)
    : program_(std::move(program)), quiet_(quiet), total_(total), unit_(std::move(unit)),
      progress_(!quiet && ::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}

void ToolDiagnostics::Error(const std::string& text) { Print(text); }

void ToolDiagnostics::Warning(const std::string& text) {
  if (!quiet_) Print("warning: " + text);
}

void ToolDiagnostics::Progress(std::size_t done) {
  if (!progress_) return;
  const auto now = Clock::now();
  if (done < total_ && now - lastDrawn_ < std::chrono::milliseconds(200)) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0.0;
  std::fprintf(stderr, "\r\033[K%zu/%zu %s, %.0f %s/s, %.0f s left", done, total_, unit_.c_str(),
               rate, unit_.c_str(), left);
  std::fflush(stderr);
  shown_ = true;
}

void ToolDiagnostics::Finish() {
  if (shown_) std::fputc('\n', stderr);
  shown_ = false;
}

// Messages share standard error with the progress line, which they wipe first; the
// next progress update draws it again.
void ToolDiagnostics::Print(const std::string& text) {
  if (shown_) std::fputs("\r\033[K", stderr);
  shown_ = false;
  std::fprintf(stderr, "%s: %s\n", program_.c_str(), text.c_str());
}

int UsageError(const std::string& program, const std::string& text) {
  std::fprintf(stderr, "%s: %s\nsee '%s --help'\n", program.c_str(), text.c_str(), program.c_str());
  return kExitUsage;
}

}  // namespace wavelet::cli
