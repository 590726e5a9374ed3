// Records and directories a user's disk or a network share may really hold: pipes,
// unreadable files, odd and very long names, huge directories.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/SampleRecords.h"
#include "support/Records.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::TempDir;

TEST(HostileRecordFiles, NamedPipeIsRefusedWithoutWaitingForAWriter) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.r01");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  RecordBytes buffer{};
  auto read = std::async(std::launch::async, [&] { return ReadRecordFile(fifo, buffer); });
  if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Release the blocked reader so the test ends with a failure instead of hanging.
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    read.wait();
    FAIL() << "reading a named pipe blocked";
  }
  const Outcome result = read.get();
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.ErrorText, "Cannot read [" + fifo + "]");
}

// Root reads any file whatever its mode, so the check runs as "nobody" for a moment
// (the effective user only; it is switched back before anything else happens).
TEST(HostileRecordFiles, FileWithoutReadPermissionIsRefused) {
  TempDir dir;
  const std::string locked = dir.File("locked.r01");
  testing::WriteRecord(locked, MakeSampleRecord(7, 0));
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  const uid_t me = ::geteuid();
  if (me == 0 && ::seteuid(65534) != 0) {
    GTEST_SKIP() << "running as root and cannot become nobody";
  }
  RecordBytes buffer{};
  buffer.fill(0x5a);
  const Outcome result = ReadRecordFile(locked, buffer);
  if (me == 0) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  EXPECT_EQ(result.ErrorText, "Cannot read [" + locked + "]");
  EXPECT_EQ(buffer[0], 0x5a);
}

TEST(HostileRecordFiles, NamesWithSpacesNonAsciiAndTheLongestAllowedAreReadAndListed) {
  TempDir dir;
  // 255 bytes is the longest name a Linux file system takes.
  const std::string longest = std::string(251, 'n') + ".r01";
  ASSERT_EQ(longest.size(), 255u);
  const std::vector<std::string> names = {"with  two spaces .r01", "kanji \xe5\xbf\x83\xe9\x9b\xbb.R02",
                                          "umlaut \xc3\xbc.r03", longest};
  for (std::size_t i = 0; i < names.size(); ++i)
    testing::WriteRecord(dir.File(names[i]), MakeSampleRecord(7, static_cast<int>(i)));
  std::vector<std::string> listed = ListRecordFiles(dir.Path());
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
  for (std::size_t i = 0; i < names.size(); ++i) {
    RecordBytes buffer{};
    ASSERT_TRUE(ReadRecordFile(JoinPath(dir.Path(), names[i]), buffer).Ok) << names[i];
    EXPECT_EQ(buffer, MakeSampleRecord(7, static_cast<int>(i)));
  }
  // One byte more is refused by the file system, and reading it is a plain failure.
  const std::string tooLong = JoinPath(dir.Path(), std::string(252, 'n') + ".r01");
  RecordBytes buffer{};
  EXPECT_EQ(ReadRecordFile(tooLong, buffer).ErrorText, "Cannot read [" + tooLong + "]");
}

TEST(HostileRecordFiles, PathBeyondTheSystemLimitIsAPlainFailure) {
  const std::string path = "/tmp/" + std::string(5000, 'x') + ".r01";
  RecordBytes buffer{};
  EXPECT_EQ(ReadRecordFile(path, buffer).ErrorText, "Cannot read [" + path + "]");
}

TEST(HostileRecordFiles, TwentyThousandNamesAreListedInFull) {
  TempDir dir;
  constexpr int kNames = 20000;
  for (int i = 0; i < kNames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "P%05d.R01", i);
    std::FILE* f = std::fopen(dir.File(name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  dir.Write("notes.txt", "x", 1);
  const auto started = std::chrono::steady_clock::now();
  const std::vector<std::string> names = ListRecordFiles(dir.Path());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kNames));
  RecordProperty("ListingSeconds", std::to_string(seconds));
}

}  // namespace
}  // namespace wavelet
