#include "acquisition/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/FileDescriptor.h"

extern char** environ;

namespace wavelet {
namespace {

constexpr int kOutputDescriptor = 3;

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

int WaitBlocking(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

void KillAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  WaitBlocking(pid);
}

// The child's descriptors, and default signal dispositions with an empty mask whatever
// ours are (a program that ignores SIGPIPE must not pass that on).
class SpawnSetup {
 public:
  explicit SpawnSetup(int output) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions_, output, kOutputDescriptor);
    // Descriptors opened elsewhere without close-on-exec stay ours.
    posix_spawn_file_actions_addclosefrom_np(&actions_, kOutputDescriptor + 1);
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

// Collects the output until the child closes it (Exited), the deadline passes
// (TimedOut) or the output outgrows `maxOutput` (TooMuchOutput); the child may still
// run in the last two cases.
ChildRun::End Collect(const FileDescriptor& output, Clock::time_point deadline, std::size_t maxOutput,
                      std::string& collected) {
  char buffer[1 << 16];
  for (;;) {
    pollfd ready{output.Get(), POLLIN, 0};
    const int polled = ::poll(&ready, 1, MillisecondsUntil(deadline));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) return ChildRun::End::TimedOut;
    const ssize_t got = ::read(output.Get(), buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return ChildRun::End::Exited;
    if (collected.size() + static_cast<std::size_t>(got) > maxOutput) return ChildRun::End::TooMuchOutput;
    collected.append(buffer, static_cast<std::size_t>(got));
  }
}

enum class Exit { Known, Unknown, StillRunning };

// Waits for the child's end until the deadline. Unknown: someone else reaped it (a
// program that ignores SIGCHLD), so its status is lost.
Exit AwaitExit(pid_t pid, Clock::time_point deadline, int& status) {
  for (;;) {
    const pid_t waited = ::waitpid(pid, &status, WNOHANG);
    if (waited == pid) return Exit::Known;
    if (waited < 0 && errno == ECHILD) return Exit::Unknown;
    if (MillisecondsUntil(deadline) == 0) return Exit::StillRunning;
    ::poll(nullptr, 0, 2);
  }
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds limit, std::size_t maxOutput) {
  ChildRun run;
  const Clock::time_point deadline = Clock::now() + limit;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return run;
  FileDescriptor output(ends[0]);
  FileDescriptor input(ends[1]);
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int spawned = 0;
  {
    const SpawnSetup setup(input.Get());
    spawned = ::posix_spawn(&pid, program.c_str(), setup.Actions(), setup.Attributes(), argv.data(), environ);
  }
  input.Close();
  if (spawned != 0) return run;

  run.How = Collect(output, deadline, maxOutput, run.Output);
  if (run.How != ChildRun::End::Exited) {
    KillAndReap(pid);
    return run;
  }
  int status = 0;
  const Exit ended = AwaitExit(pid, deadline, status);
  if (ended == Exit::StillRunning) {
    run.How = ChildRun::End::TimedOut;
    KillAndReap(pid);
  } else if (ended == Exit::Unknown) {
    run.ExitStatus = -1;
  } else if (WIFSIGNALED(status)) {
    run.How = ChildRun::End::Crashed;
    run.Signal = WTERMSIG(status);
  } else {
    run.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return run;
}

}  // namespace wavelet
