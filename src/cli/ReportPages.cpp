#include "cli/ReportPages.h"

#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace wavelet::cli {
namespace {

constexpr const char* kProgram = "wavelet-report-pages";

bool IsExecutable(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

// The list goes through a socket rather than a pipe so that a companion which dies
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

bool ReportPagesRun::Start(const std::string& program, const std::string& output, bool letter,
                           const std::vector<BatchInput>& records) {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  std::vector<std::string> arguments{program, "--page", letter ? "letter" : "a4", output};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  if (spawned != 0) {
    pid_ = -1;
    ::close(sockets[0]);
    return false;
  }
  std::string list;
  for (const BatchInput& record : records) {
    list.append(record.Path).push_back('\0');
    list.append(record.Name).push_back('\0');
  }
  // A companion that stops reading has failed; Finish reports it.
  (void)SendAll(sockets[0], list);
  ::close(sockets[0]);
  return true;
}

bool ReportPagesRun::Finish() {
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
