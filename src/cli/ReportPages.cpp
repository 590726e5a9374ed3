#include "cli/ReportPages.h"

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

bool IsExecutable(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

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

std::string FindReportPagesProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  const std::filesystem::path directory = self.parent_path();
  for (const std::filesystem::path& candidate :
       {directory / kProgram, directory / ".." / "libexec" / "wavelet" / kProgram}) {
    if (IsExecutable(candidate)) return candidate.lexically_normal().string();
  }
  return std::string();
}

ReportPagesRun::~ReportPagesRun() {
  if (pid_ > 0) Finish();
}

bool ReportPagesRun::Start(const std::string& program, const std::string& output, bool letter) {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
  std::vector<std::string> arguments{program, "--page", letter ? "letter" : "a4", output};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  socket_ = sockets[0];
  if (spawned != 0) {
    pid_ = -1;
    ::close(socket_);
    socket_ = -1;
    return false;
  }
  // "WIDTH HEIGHT\n": the page in the device units the pages are laid out in.
  std::string answer;
  char c = 0;
  while (answer.size() < 64 && ::recv(socket_, &c, 1, 0) == 1 && c != '\n') answer.push_back(c);
  if (std::sscanf(answer.c_str(), "%d %d", &width_, &height_) != 2 || width_ <= 0 || height_ <= 0) {
    width_ = height_ = 0;
  }
  return true;
}

bool ReportPagesRun::Send(const std::string& page) {
  if (socket_ < 0) return false;
  std::string frame;
  frame.reserve(8 + page.size());
  const auto size = static_cast<std::uint64_t>(page.size());
  for (int shift = 0; shift < 64; shift += 8) frame.push_back(static_cast<char>((size >> shift) & 0xFF));
  frame += page;
  if (SendAll(socket_, frame)) return true;
  ::close(socket_);
  socket_ = -1;
  return false;
}

bool ReportPagesRun::Finish() {
  if (socket_ >= 0) {
    ::close(socket_);
    socket_ = -1;
  }
  if (pid_ <= 0) return false;
  int status = 0;
  pid_t waited;
  do {
    waited = ::waitpid(pid_, &status, 0);
  } while (waited < 0 && errno == EINTR);
  pid_ = -1;
  return waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace wavelet::cli
