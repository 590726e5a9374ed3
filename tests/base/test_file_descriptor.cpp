// The self-closing descriptor: owned exactly once across moves, closed at the end of
// its scope, and writing a buffer larger than a pipe holds in one call; the helpers'
// frames that go through such descriptors.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "base/CompanionProgram.h"
#include "base/FileDescriptor.h"

namespace wavelet {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(FileDescriptor, OwnsItsDescriptorOnceAndClosesItAtTheEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const int readEnd = ends[0];
  {
    FileDescriptor reader(readEnd);
    FileDescriptor moved(std::move(reader));
    EXPECT_FALSE(reader.Valid());
    EXPECT_EQ(moved.Get(), readEnd);
    FileDescriptor assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(IsOpen(readEnd));
  }
  EXPECT_FALSE(IsOpen(readEnd));

  FileDescriptor writer(ends[1]);
  EXPECT_TRUE(writer.Close());
  EXPECT_FALSE(writer.Valid());
  EXPECT_TRUE(writer.Close());  // nothing left to close
  EXPECT_FALSE(FileDescriptor(::open("/no/such/file", O_RDONLY)).Valid());
}

TEST(FileDescriptor, WritesAndReadsWholeBuffersThroughAPipe) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const FileDescriptor reader(ends[0]);
  FileDescriptor writer(ends[1]);
  const std::string data(1 << 20, 'w');  // far more than a pipe holds at once
  std::string received(data.size() + 1, '\0');
  ssize_t got = 0;
  std::thread reading([&] { got = reader.ReadUpTo(received.data(), received.size()); });
  EXPECT_TRUE(writer.WriteAll(data));
  ASSERT_TRUE(writer.Close());  // the end of the file for the reader
  reading.join();
  ASSERT_EQ(got, static_cast<ssize_t>(data.size()));
  received.resize(data.size());
  EXPECT_EQ(received, data);
  EXPECT_FALSE(WriteAll(ends[1], "x"));  // a closed descriptor
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
