// CSV targets that cannot take the export: a read-only directory and a full file
// system. Root writes through any permission bits, so as root these run on a small
// file system of their own, mounted here and always unmounted again.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "output/BatchGrid.h"
#include "base/AtomicFile.h"
#include "output/CsvWriter.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::DirectoryEntries;
using testing::ReadAll;
using testing::TempDir;
using testing::WriteAll;

BatchGrid GridOf(int rows) {
  BatchGrid grid(rows + 1);
  BatchCursor cursor;
  WriteBatchGridTitles(grid, cursor);
  for (int row = 1; row <= rows; ++row) {
    std::string name = std::to_string(row);
    name += ".R01";
    grid.SetCell(0, row, name);
  }
  return grid;
}

// A tmpfs of `kilobytes` on a fresh directory, unmounted (lazily, so nothing left
// open can keep it) however the test ends.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(int kilobytes) {
    if (::geteuid() != 0) {
      why_ = "not running as root";
      return;
    }
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0755";
    if (::mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
      why_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(dir_.Path().c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& WhyNot() const { return why_; }
  std::string Path() const { return dir_.Path(); }
  std::string File(const std::string& name) const { return dir_.File(name); }
  bool MakeReadOnly() {
    return ::mount("tmpfs", dir_.Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string why_;
};

TEST(HostileCsvTargets, ReadOnlyDirectoryFailsAndKeepsThePreviousExport) {
  SmallFileSystem fs(256);
  std::string directory;
  TempDir plain;
  if (fs.Mounted()) {
    WriteAll(fs.File("results.csv"), "the previous export\r\n");
    ASSERT_TRUE(fs.MakeReadOnly()) << std::strerror(errno);
    directory = fs.Path();
  } else if (::geteuid() != 0) {
    directory = plain.Path();
    WriteAll(plain.File("results.csv"), "the previous export\r\n");
    ASSERT_EQ(::chmod(directory.c_str(), 0555), 0);
  } else {
    GTEST_SKIP() << fs.WhyNot();
  }
  const std::string path = directory + "/results.csv";
  const Outcome replaced = WriteGridCsv(path, GridOf(3), 3);
  EXPECT_FALSE(replaced.Ok);
  EXPECT_EQ(replaced.ErrorText, "Cannot write [" + path + "]");
  const std::string fresh = directory + "/new.csv";
  EXPECT_EQ(WriteGridCsv(fresh, GridOf(3), 3).ErrorText, "Cannot write [" + fresh + "]");
  EXPECT_EQ(ReadAll(path), "the previous export\r\n");
  EXPECT_EQ(DirectoryEntries(directory), (std::vector<std::string>{"results.csv"}));
  ::chmod(plain.Path().c_str(), 0755);
}

TEST(HostileCsvTargets, FullFileSystemFailsAndLeavesNoPartialFile) {
  SmallFileSystem fs(128);
  if (!fs.Mounted()) GTEST_SKIP() << fs.WhyNot();
  const std::string path = fs.File("results.csv");
  WriteAll(path, "the previous export\r\n");
  // Fill what is left, so the first block of the export finds no room.
  {
    std::ofstream filler(fs.File("filler"), std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
      filler.flush();
      if (!filler) break;
    }
  }
  const Outcome result = WriteGridCsv(path, GridOf(200), 200);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.ErrorText, "Cannot write [" + path + "]");
  EXPECT_EQ(ReadAll(path), "the previous export\r\n");
  EXPECT_EQ(DirectoryEntries(fs.Path()), (std::vector<std::string>{"filler", "results.csv"}));

  // With room again the same export goes through whole.
  std::filesystem::remove(fs.File("filler"));
  const Outcome retried = WriteGridCsv(path, GridOf(200), 200);
  EXPECT_TRUE(retried.Ok) << retried.ErrorText;
  TempDir elsewhere;
  ASSERT_TRUE(WriteGridCsv(elsewhere.File("same.csv"), GridOf(200), 200).Ok);
  EXPECT_EQ(ReadAll(path), ReadAll(elsewhere.File("same.csv")));
}

}  // namespace
}  // namespace wavelet
