#include "cli/ReportPages.h"

#include "base/CompanionProgram.h"
#include "output/Report.h"

#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

extern char** environ;

namespace wavelet::cli {
namespace {

constexpr const char* kProgram = "wavelet-report-pages";


// The pages go through a socket rather than a pipe so that a companion which dies
// early makes the write fail (MSG_NOSIGNAL) instead of killing this tool.
bool SendAll(int fd, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t size = bytes.size();
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

std::string FindReportPagesProgram() { return FindCompanionProgram(kProgram); }

ReportPagesRun::~ReportPagesRun() {
  if (!companions_.empty()) Finish();
}

bool ReportPagesRun::Spawn(Companion& companion, const std::string& program, bool letter) {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
  std::vector<std::string> arguments{program, "--page", letter ? "letter" : "a4", companion.Output};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned =
      posix_spawn(&companion.Pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  companion.Socket = sockets[0];
  if (spawned == 0) return true;
  companion.Pid = -1;
  ::close(companion.Socket);
  companion.Socket = -1;
  return false;
}

bool ReportPagesRun::Start(const std::string& program, const std::string& output, bool letter,
                           int companions) {
  output_ = output;
  companions_.resize(static_cast<std::size_t>(companions < 1 ? 1 : companions));
  for (std::size_t k = 0; k < companions_.size(); ++k) {
    Companion& companion = companions_[k];
    // One companion writes the target itself; several write parts beside it.
    companion.Output = companions_.size() == 1
                           ? output
                           : output + ".part" + std::to_string(k) + "." + std::to_string(::getpid());
    if (!Spawn(companion, program, letter)) {
      failed_ = true;
      return false;
    }
  }
  // "WIDTH HEIGHT\n": the page in the device units the pages are laid out in, the same
  // from every companion.
  for (Companion& companion : companions_) {
    std::string answer;
    char c = 0;
    while (answer.size() < 64 && ::recv(companion.Socket, &c, 1, 0) == 1 && c != '\n') {
      answer.push_back(c);
    }
    int width = 0, height = 0;
    if (std::sscanf(answer.c_str(), "%d %d", &width, &height) != 2 || width <= 0 || height <= 0 ||
        (width_ != 0 && (width != width_ || height != height_))) {
      width_ = height_ = 0;
      failed_ = true;
      return true;
    }
    width_ = width;
    height_ = height;
  }
  return true;
}

bool ReportPagesRun::Send(const std::string& page, const std::string& entry) {
  if (failed_ || companions_.empty()) return false;
  if (order_.empty()) firstEntry_ = entry;
  lastEntry_ = entry;
  const std::size_t k = order_.size() % companions_.size();
  Companion& companion = companions_[k];
  std::string frame;
  frame.reserve(8 + page.size());
  const auto size = static_cast<std::uint64_t>(page.size());
  for (int shift = 0; shift < 64; shift += 8) frame.push_back(static_cast<char>((size >> shift) & 0xFF));
  frame += page;
  if (!SendAll(companion.Socket, frame)) {
    failed_ = true;
    return false;
  }
  order_.push_back({static_cast<int>(k), companion.Pages++});
  return true;
}

bool ReportPagesRun::Wait(Companion& companion) {
  if (companion.Socket >= 0) {
    ::close(companion.Socket);
    companion.Socket = -1;
  }
  if (companion.Pid <= 0) return false;
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(companion.Pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  companion.Pid = -1;
  return waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ReportPagesRun::Finish() {
  bool written = !failed_;
  for (Companion& companion : companions_) written = Wait(companion) && written;
  if (companions_.size() > 1) {
    // A companion that got no page writes no part (fewer readable records than
    // workers): only the parts with pages are merged, numbered among themselves.
    std::vector<std::string> parts;
    std::vector<int> partOf(companions_.size(), -1);
    for (std::size_t k = 0; k < companions_.size(); ++k) {
      if (companions_[k].Pages == 0) continue;
      partOf[k] = static_cast<int>(parts.size());
      parts.push_back(companions_[k].Output);
    }
    std::vector<PageSource> order = order_;
    for (PageSource& source : order) source.Part = partOf[static_cast<std::size_t>(source.Part)];
    // With no page at all the target is not written either.
    if (written && !order.empty()) {
      const std::string title =
          ReportDocumentTitle(firstEntry_, lastEntry_, static_cast<int>(order.size()));
      const Outcome merged = MergePdfPages(parts, order, output_, title);
      written = merged.Ok;
      if (!merged.Ok) reason_ = merged.Reason;
    }
    for (const Companion& companion : companions_) ::unlink(companion.Output.c_str());
  }
  companions_.clear();
  return written;
}

}  // namespace wavelet::cli
