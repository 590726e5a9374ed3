// The self-closing descriptor: owned exactly once across moves, closed at the end of
// its scope, writing a buffer larger than a pipe holds in one call, reading an extent
// at its offset; and the one path join.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "base/FileDescriptor.h"
#include "base/Paths.h"

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

TEST(FileDescriptor, ReadsAnExtentAtItsOffsetAndRefusesOneBeyondTheEnd) {
  char name[] = "/tmp/wavelet-read-at-XXXXXX";
  FileDescriptor file(::mkstemp(name));
  ASSERT_TRUE(file.Valid());
  ::unlink(name);
  ASSERT_TRUE(file.WriteAll("0123456789"));
  std::string middle(4, '.');
  EXPECT_TRUE(ReadAllAt(file.Get(), middle.data(), middle.size(), 3));
  EXPECT_EQ(middle, "3456");
  std::string past(4, '.');
  EXPECT_FALSE(ReadAllAt(file.Get(), past.data(), past.size(), 8));  // two bytes only
}

TEST(Paths, AFileNameGoesIntoItsFolderOrStandsAloneWithoutOne) {
  EXPECT_EQ(JoinPath("/data/run", "a.r01"), "/data/run/a.r01");
  EXPECT_EQ(JoinPath("", "a.r01"), "a.r01");  // the working folder, never the root
}

}  // namespace
}  // namespace wavelet
