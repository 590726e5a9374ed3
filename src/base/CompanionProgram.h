#pragma once
// The helper programs the tools run (the recording reader, the report pages), and the
// one way we talk with them. A helper may crash, hang or flood its output: every wait
// on one has a deadline, a helper past it is killed, and every helper started is
// reaped, however the code around it ends.
//
// Every stream between our programs is made of frames: a tag byte, the payload's
// length in 8 bytes, little-endian, then the payload; the numbers inside a payload are
// little-endian too. The reading side names the largest payload it takes, so no
// length it is sent makes it allocate more.
//
// The helpers live beside the running program in the build tree and in
// <bin>/../libexec/wavelet where the package installs them.

#include <sys/types.h>

#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/FileDescriptor.h"

namespace wavelet {

// The path of the helper `name`, or empty when it is in neither place.
std::string FindCompanionProgram(const std::string& name);

// A library loaded into another program (the Python module) is not beside its helpers
// the way the running program is: it names the folder they are in, searched first.
void SetCompanionProgramDirectory(const std::string& directory);

using ChildClock = std::chrono::steady_clock;

// --- Frames ---------------------------------------------------------------------------

inline constexpr std::size_t kFrameHeadSize = 9;

template <typename Number>
void AppendLittleEndian(std::string& bytes, Number value) {
  static_assert(sizeof(Number) <= 8);
  char raw[sizeof(Number)];
  std::memcpy(raw, &value, sizeof raw);
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < sizeof raw / 2; ++i) std::swap(raw[i], raw[sizeof raw - 1 - i]);
  }
  bytes.append(raw, sizeof raw);
}

// Reads a payload's fields, refusing to run past its end.
class PayloadCursor {
 public:
  explicit PayloadCursor(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return bytes_.empty(); }
  std::size_t Left() const { return bytes_.size(); }

  template <typename Number>
  bool Take(Number& value) {
    if (bytes_.size() < sizeof value) return false;
    char raw[sizeof value];
    std::memcpy(raw, bytes_.data(), sizeof raw);
    if constexpr (std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i < sizeof raw / 2; ++i) std::swap(raw[i], raw[sizeof raw - 1 - i]);
    }
    std::memcpy(&value, raw, sizeof raw);
    bytes_.remove_prefix(sizeof value);
    return true;
  }
  bool TakeBytes(std::size_t size, std::string_view& taken) {
    if (size > bytes_.size()) return false;
    taken = bytes_.substr(0, size);
    bytes_.remove_prefix(size);
    return true;
  }

 private:
  std::string_view bytes_;
};

// The head of a frame whose payload is `size` bytes.
std::string FrameHead(char tag, std::uint64_t size);
// One frame to `fd` (with WriteAll's `sendFlags`); false when it could not be written.
bool WriteFrame(int fd, char tag, std::string_view payload, int sendFlags = 0);

enum class FrameStatus {
  Frame,     // one frame taken
  End,       // no byte left (or the writer closed its end) before a frame began
  Damaged,   // a frame cut short, or longer than the reader takes
  TimedOut,  // the deadline passed
  Failed,    // the system refused the read
};

// The next frame at the start of `bytes`, which then begins after it.
FrameStatus TakeFrame(std::string_view& bytes, std::size_t maxPayload, char& tag,
                      std::string_view& payload);
// The next frame read from `fd` before `deadline`.
FrameStatus ReadFrame(int fd, std::size_t maxPayload, ChildClock::time_point deadline, char& tag,
                      std::string& payload);

// --- Children -------------------------------------------------------------------------

enum class ChildChannel {
  // A pipe from the child's descriptor 3; its standard input, output and error are
  // /dev/null.
  OutputOnDescriptorThree,
  // One socket is the child's standard input and output (a child that dies makes a
  // write to it fail instead of killing us); its standard error is ours.
  SocketOnStandardInputAndOutput,
};

// A running helper: its process and our end of its channel. Started by posix_spawn,
// safe in a program with threads, with default signal dispositions and an empty mask
// whatever ours are, and no descriptor of ours besides its channel.
class Child {
 public:
  Child() = default;
  ~Child();  // kills and reaps a child still running
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // `arguments` follow the program's own name. Started() is false when it could not be.
  static Child Start(const std::string& program, const std::vector<std::string>& arguments,
                     ChildChannel channel);
  bool Started() const { return pid_ > 0; }
  int Channel() const { return channel_.Get(); }
  // Closes our end: the child reads the end of its input.
  void CloseChannel() { channel_.Close(); }

  enum class Send { Sent, Gone, TimedOut };
  // Writes all of `bytes` to the channel before `deadline` (a child that stops reading
  // cannot hold us past it).
  Send SendBefore(std::string_view bytes, ChildClock::time_point deadline);

  struct Exit {
    enum class How { Exited, Crashed, StillRunning, Unknown };
    How Ended = How::Unknown;  // Unknown: someone else reaped it (a program that ignores SIGCHLD)
    int Status = 0;            // when Exited
    int Signal = 0;            // when Crashed
  };
  // Waits for the child's end until `deadline`, and reaps it.
  Exit AwaitExit(ChildClock::time_point deadline);
  // Kills the child and reaps it.
  void Kill();

 private:
  pid_t pid_ = -1;
  FileDescriptor channel_;
};

// --- One run of a helper for one job ---------------------------------------------------

struct ChildRun {
  enum class End { Exited, Crashed, TimedOut, TooMuchOutput, NotStarted };
  End How = End::NotStarted;
  int ExitStatus = 0;  // when Exited
  int Signal = 0;      // when Crashed
  std::string Output;  // what it wrote to descriptor 3
};

// Runs `program` with its output on descriptor 3 (OutputOnDescriptorThree) and
// collects that output; the child is killed when it runs longer than `limit` or
// writes more than `maxOutput` bytes.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds limit, std::size_t maxOutput);

}  // namespace wavelet
