// The helper programs: a crash, a hang or a flood ends the child within its limit and
// it is always reaped; the frames every helper stream is made of.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "base/CompanionProgram.h"
#include "base/FileDescriptor.h"

namespace wavelet {
namespace {

using namespace std::chrono_literals;

ChildRun Shell(const std::string& script, std::chrono::milliseconds limit = 5s, std::size_t maxOutput = 1 << 20) {
  return RunChild("/bin/sh", {"-c", script}, limit, maxOutput);
}

TEST(ChildRuns, OutputOnDescriptorThreeAndTheExitStatus) {
  const ChildRun run = Shell("printf 'abc' >&3; echo noise; echo more >&2; exit 4");
  EXPECT_EQ(run.How, ChildRun::End::Exited);
  EXPECT_EQ(run.ExitStatus, 4);
  EXPECT_EQ(run.Output, "abc");
}

TEST(ChildRuns, CrashHangAndFloodEndTheChildWithinTheLimit) {
  const ChildRun crash = Shell("kill -SEGV $$");
  EXPECT_EQ(crash.How, ChildRun::End::Crashed);
  EXPECT_EQ(crash.Signal, SIGSEGV);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Shell("exec sleep 30", 300ms).How, ChildRun::End::TimedOut);
  // A child that closes its output and then hangs is still waited for only so long.
  EXPECT_EQ(Shell("exec 3>&-; exec sleep 30", 300ms).How, ChildRun::End::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

  EXPECT_EQ(Shell("while :; do printf '0123456789' >&3; done", 5s, 4096).How, ChildRun::End::TooMuchOutput);
  EXPECT_EQ(RunChild("/nonexistent/program", {}, 1s, 10).How, ChildRun::End::NotStarted);
}

// The helpers' frames: a tag, the length in 8 little-endian bytes, the payload; a
// reader takes no frame cut short or longer than it allows, and gives up on a writer
// that says nothing by its deadline. A socket whose reader has gone fails the write
// (it does not kill the writer).
TEST(HelperFrames, AreBoundedLittleEndianAndReadWithADeadline) {
  EXPECT_EQ(FrameHead('S', 0x0102), std::string("S\x02\x01\0\0\0\0\0\0", 9));
  const std::string bytes = FrameHead('P', 3) + "abc" + FrameHead('F', 0);
  std::string_view rest = bytes;
  char tag = 0;
  std::string_view payload;
  ASSERT_EQ(TakeFrame(rest, 3, tag, payload), FrameStatus::Frame);
  EXPECT_EQ(tag, 'P');
  EXPECT_EQ(payload, "abc");
  ASSERT_EQ(TakeFrame(rest, 3, tag, payload), FrameStatus::Frame);
  EXPECT_EQ(tag, 'F');
  EXPECT_EQ(TakeFrame(rest, 3, tag, payload), FrameStatus::End);
  std::string_view tooLong = bytes, cut = std::string_view(bytes).substr(0, 11);
  EXPECT_EQ(TakeFrame(tooLong, 2, tag, payload), FrameStatus::Damaged);
  EXPECT_EQ(TakeFrame(cut, 3, tag, payload), FrameStatus::Damaged);

  int sockets[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  FileDescriptor ours(sockets[0]), theirs(sockets[1]);
  std::string read;
  const auto soon = ChildClock::now() + std::chrono::milliseconds(100);
  EXPECT_EQ(ReadFrame(ours.Get(), 16, soon, tag, read), FrameStatus::TimedOut);
  ASSERT_TRUE(WriteFrame(theirs.Get(), 'D', "done", MSG_NOSIGNAL));
  EXPECT_EQ(ReadFrame(ours.Get(), 16, ChildClock::time_point::max(), tag, read), FrameStatus::Frame);
  EXPECT_EQ(read, "done");
  theirs.Close();
  EXPECT_EQ(ReadFrame(ours.Get(), 16, ChildClock::time_point::max(), tag, read), FrameStatus::End);
  EXPECT_FALSE(WriteAll(ours.Get(), "x", MSG_NOSIGNAL));
}

}  // namespace
}  // namespace wavelet
