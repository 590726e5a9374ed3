#include "base/CompanionProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

extern char** environ;

namespace wavelet {
namespace {

// Set once, when the library that names it is loaded, before any reader runs.
std::string& NamedDirectory() {
  static std::string directory;
  return directory;
}

}  // namespace

void SetCompanionProgramDirectory(const std::string& directory) { NamedDirectory() = directory; }

std::string FindCompanionProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error && NamedDirectory().empty()) return {};
  const std::filesystem::path directory = self.parent_path();
  std::vector<std::filesystem::path> candidates;
  if (!NamedDirectory().empty()) candidates.push_back(std::filesystem::path(NamedDirectory()) / name);
  if (!error) {
    candidates.push_back(directory / name);
    candidates.push_back(directory / ".." / "libexec" / "wavelet" / name);
  }
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

namespace {

constexpr int kOutputDescriptor = 3;

int MillisecondsUntil(ChildClock::time_point deadline) {
  if (deadline == ChildClock::time_point::max()) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ChildClock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits until `fd` is ready for `events`: false when the deadline passed first.
bool Ready(int fd, short events, ChildClock::time_point deadline) {
  for (;;) {
    pollfd ready{fd, events, 0};
    const int polled = ::poll(&ready, 1, MillisecondsUntil(deadline));
    if (polled < 0 && errno == EINTR) continue;
    return polled != 0;
  }
}

// Reads exactly `size` bytes before the deadline.
FrameStatus ReadExactly(int fd, char* data, std::size_t size, ChildClock::time_point deadline,
                        bool atStart) {
  std::size_t total = 0;
  while (total < size) {
    if (!Ready(fd, POLLIN, deadline)) return FrameStatus::TimedOut;
    const ssize_t got = ::read(fd, data + total, size - total);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) return FrameStatus::Failed;
    if (got == 0) return atStart && total == 0 ? FrameStatus::End : FrameStatus::Damaged;
    total += static_cast<std::size_t>(got);
  }
  return FrameStatus::Frame;
}

// The child's descriptors, and default signal dispositions with an empty mask whatever
// ours are (a program that ignores SIGPIPE must not pass that on).
class SpawnSetup {
 public:
  SpawnSetup(int childEnd, ChildChannel channel) {
    posix_spawn_file_actions_init(&actions_);
    if (channel == ChildChannel::OutputOnDescriptorThree) {
      posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_adddup2(&actions_, childEnd, kOutputDescriptor);
      posix_spawn_file_actions_addclosefrom_np(&actions_, kOutputDescriptor + 1);
    } else {
      posix_spawn_file_actions_adddup2(&actions_, childEnd, STDIN_FILENO);
      posix_spawn_file_actions_adddup2(&actions_, childEnd, STDOUT_FILENO);
      posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    }
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGALRM, SIGXCPU, SIGUSR1, SIGUSR2}) {
      sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

std::string FrameHead(char tag, std::uint64_t size) {
  std::string head(1, tag);
  AppendLittleEndian(head, size);
  return head;
}

bool WriteFrame(int fd, char tag, std::string_view payload, int sendFlags) {
  return WriteAll(fd, FrameHead(tag, payload.size()), sendFlags) && WriteAll(fd, payload, sendFlags);
}

FrameStatus TakeFrame(std::string_view& bytes, std::size_t maxPayload, char& tag,
                      std::string_view& payload) {
  if (bytes.empty()) return FrameStatus::End;
  PayloadCursor in(bytes);
  std::uint64_t size = 0;
  if (!in.Take(tag) || !in.Take(size) || size > maxPayload || size > in.Left() ||
      !in.TakeBytes(static_cast<std::size_t>(size), payload)) {
    return FrameStatus::Damaged;
  }
  bytes.remove_prefix(kFrameHeadSize + static_cast<std::size_t>(size));
  return FrameStatus::Frame;
}

FrameStatus ReadFrame(int fd, std::size_t maxPayload, ChildClock::time_point deadline, char& tag,
                      std::string& payload) {
  char head[kFrameHeadSize];
  const FrameStatus status = ReadExactly(fd, head, sizeof head, deadline, true);
  if (status != FrameStatus::Frame) return status;
  PayloadCursor in(std::string_view(head, sizeof head));
  std::uint64_t size = 0;
  (void)in.Take(tag);
  (void)in.Take(size);
  if (size > maxPayload) return FrameStatus::Damaged;
  payload.resize(static_cast<std::size_t>(size));
  return ReadExactly(fd, payload.data(), payload.size(), deadline, false);
}

Child::~Child() { Kill(); }

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), channel_(std::move(other.channel_)) {}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Kill();
    pid_ = std::exchange(other.pid_, -1);
    channel_ = std::move(other.channel_);
  }
  return *this;
}

Child Child::Start(const std::string& program, const std::vector<std::string>& arguments,
                   ChildChannel channel) {
  Child child;
  int ends[2];
  const bool made = channel == ChildChannel::OutputOnDescriptorThree
                        ? ::pipe2(ends, O_CLOEXEC) == 0
                        : ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0;
  if (!made) return child;
  // A pipe's child end is the writing one; either end of a socket pair would do.
  FileDescriptor ours(ends[0]);
  FileDescriptor theirs(ends[1]);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int spawned = 0;
  {
    const SpawnSetup setup(theirs.Get(), channel);
    spawned = ::posix_spawn(&pid, program.c_str(), setup.Actions(), setup.Attributes(), argv.data(), environ);
  }
  if (spawned != 0) return child;
  child.pid_ = pid;
  child.channel_ = std::move(ours);
  return child;
}

Child::Send Child::SendBefore(std::string_view bytes, ChildClock::time_point deadline) {
  while (!bytes.empty()) {
    if (!channel_.Valid()) return Send::Gone;
    if (!Ready(channel_.Get(), POLLOUT, deadline)) return Send::TimedOut;
    const ssize_t sent = ::send(channel_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (sent < 0) return Send::Gone;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return Send::Sent;
}

Child::Exit Child::AwaitExit(ChildClock::time_point deadline) {
  Exit exit;
  if (pid_ <= 0) return exit;
  for (;;) {
    int status = 0;
    const pid_t waited = ::waitpid(pid_, &status, WNOHANG);
    if (waited == pid_) {
      pid_ = -1;
      if (WIFSIGNALED(status)) {
        exit.Ended = Exit::How::Crashed;
        exit.Signal = WTERMSIG(status);
      } else {
        exit.Ended = Exit::How::Exited;
        exit.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      return exit;
    }
    if (waited < 0 && errno == ECHILD) {
      pid_ = -1;
      return exit;
    }
    if (MillisecondsUntil(deadline) == 0) {
      exit.Ended = Exit::How::StillRunning;
      return exit;
    }
    ::poll(nullptr, 0, 2);
  }
}

void Child::Kill() {
  channel_.Close();
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

namespace {

// Collects the output until the child closes it (Exited), the deadline passes
// (TimedOut) or the output outgrows `maxOutput` (TooMuchOutput).
ChildRun::End Collect(int output, ChildClock::time_point deadline, std::size_t maxOutput,
                      std::string& collected) {
  char buffer[1 << 16];
  for (;;) {
    if (!Ready(output, POLLIN, deadline)) return ChildRun::End::TimedOut;
    const ssize_t got = ::read(output, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return ChildRun::End::Exited;
    if (collected.size() + static_cast<std::size_t>(got) > maxOutput) return ChildRun::End::TooMuchOutput;
    collected.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds limit, std::size_t maxOutput) {
  ChildRun run;
  const ChildClock::time_point deadline = ChildClock::now() + limit;
  Child child = Child::Start(program, arguments, ChildChannel::OutputOnDescriptorThree);
  if (!child.Started()) return run;
  run.How = Collect(child.Channel(), deadline, maxOutput, run.Output);
  if (run.How != ChildRun::End::Exited) return run;  // the child is killed and reaped
  const Child::Exit exit = child.AwaitExit(deadline);
  switch (exit.Ended) {
    case Child::Exit::How::StillRunning:
      run.How = ChildRun::End::TimedOut;
      break;
    case Child::Exit::How::Unknown:
      run.ExitStatus = -1;
      break;
    case Child::Exit::How::Crashed:
      run.How = ChildRun::End::Crashed;
      run.Signal = exit.Signal;
      break;
    case Child::Exit::How::Exited:
      run.ExitStatus = exit.Status;
      break;
  }
  return run;
}

}  // namespace wavelet
