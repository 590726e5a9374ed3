#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/WorkList.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::TempDir;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
  return bytes;
}

TEST(RecordFileReading, ExactAndLongerFilesUseTheFirst5025Bytes) {
  TempDir dir;
  RecordBytes buffer{};
  const auto exact = Pattern(kRecordSize, 1);
  ASSERT_TRUE(ReadRecordFile(dir.Write("a.r01", exact.data(), exact.size()), buffer).Ok);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), exact.begin()));

  const auto longer = Pattern(kRecordSize + 300, 9);
  const Outcome result = ReadRecordFile(dir.Write("b.r01", longer.data(), longer.size()), buffer);
  ASSERT_TRUE(result.Ok);
  EXPECT_TRUE(result.ErrorText.empty());
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), longer.begin()));
}

TEST(RecordFileReading, ShortFilesAreRefusedAndLeaveTheBufferAlone) {
  TempDir dir;
  RecordBytes buffer{};
  buffer.fill(0xAB);
  const RecordBytes before = buffer;
  const auto shortBytes = Pattern(100, 3);
  const std::string shortPath = dir.Write("short.r01", shortBytes.data(), shortBytes.size());
  Outcome result = ReadRecordFile(shortPath, buffer);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.ErrorText, "Not a record (100 bytes): [" + shortPath + "]");
  EXPECT_EQ(buffer, before);

  const auto oneShort = Pattern(kRecordSize - 1, 3);
  const std::string oneShortPath = dir.Write("c.r01", oneShort.data(), oneShort.size());
  EXPECT_EQ(ReadRecordFile(oneShortPath, buffer).ErrorText,
            "Not a record (5024 bytes): [" + oneShortPath + "]");
  const std::string emptyPath = dir.Write("empty.r01", "", 0);
  EXPECT_EQ(ReadRecordFile(emptyPath, buffer).ErrorText, "Not a record (0 bytes): [" + emptyPath + "]");
  EXPECT_EQ(buffer, before);
}

TEST(RecordFileReading, UnopenableAndUnreadablePathsAreRefused) {
  TempDir dir;
  RecordBytes buffer{};
  buffer.fill(0x11);
  const RecordBytes before = buffer;
  const std::string missing = dir.File("missing.r01");
  EXPECT_EQ(ReadRecordFile(missing, buffer).ErrorText, "Cannot read [" + missing + "]");
  const std::string directory = dir.File("folder.r01");
  std::filesystem::create_directory(directory);
  EXPECT_EQ(ReadRecordFile(directory, buffer).ErrorText, "Cannot read [" + directory + "]");
  if (::geteuid() != 0) {  // root reads anything
    const auto bytes = Pattern(kRecordSize, 5);
    const std::string locked = dir.Write("locked.r01", bytes.data(), bytes.size());
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(ReadRecordFile(locked, buffer).ErrorText, "Cannot read [" + locked + "]");
  }
  EXPECT_EQ(buffer, before);
}

TEST(RecordFileReading, LongPathsAndAlwaysOneInsertedSeparator) {
  EXPECT_EQ(JoinPath("/data/records", "P0001.R01"), "/data/records/P0001.R01");
  EXPECT_EQ(JoinPath("/data/records/", "P0001.R01"), "/data/records//P0001.R01");
  TempDir dir;
  std::string deep = dir.Path();
  for (int i = 0; i < 6; ++i) deep = JoinPath(deep, std::string(60, 'd'));
  std::filesystem::create_directories(deep);
  const auto bytes = Pattern(kRecordSize, 2);
  const std::string path = JoinPath(deep, "P0001.R01");
  ASSERT_GT(path.size(), 300u);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
  RecordBytes buffer{};
  EXPECT_TRUE(ReadRecordFile(path, buffer).Ok);
}

TEST(RecordFileNames, PatternNeedsADotFollowedByR) {
  for (const char* yes : {"P0001.R01", "p0001.r01", "a.r", "x.R", ".r", "a.b.r99", "a..r",
                          "name.rec", "name.Rx.txt", "two.r.dots."}) {
    EXPECT_TRUE(MatchesRecordPattern(yes)) << yes;
  }
  for (const char* no : {"", "r01", "name.", "name.txt", "a.xr01", "ar.01", "a.", ".", "R.",
                         "name.dat"}) {
    EXPECT_FALSE(MatchesRecordPattern(no)) << no;
  }
}

TEST(RecordFileNames, ListingKeepsMatchingFilesAndDirectories) {
  TempDir dir;
  for (const char* name : {"P0001.R01", "p0002.r02", "notes.txt", "ends.with.dot.", "a.b.r",
                           "README", "x.R"}) {
    dir.Write(name, "x", 1);
  }
  std::filesystem::create_directory(dir.File("sub.r00"));
  std::filesystem::create_directory(dir.File("other"));
  std::vector<std::string> names = ListRecordFiles(dir.Path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"P0001.R01", "a.b.r", "p0002.r02", "sub.r00", "x.R"}));

  int calls = 0;
  EXPECT_FALSE(ForEachRecordFile(dir.File("nowhere"), [&](const std::string&) { ++calls; }));
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(ListRecordFiles(dir.File("nowhere")).empty());
  TempDir empty;
  EXPECT_TRUE(ForEachRecordFile(empty.Path(), [&](const std::string&) { ++calls; }));
  EXPECT_EQ(calls, 0);
}

using Names = std::vector<std::string>;

// The order people look for a patient in: case does not matter, numbers count by value
// whatever their length or leading zeros, and equal-looking names still have one order.
TEST(RecordFileNames, SortedCaseInsensitivelyWithNumbersByValue) {
  Names names = {"p10.r01", "P9.R01", "b.r01", "A.r01", "P100.R01", "p09.r01", "P0010.r01",
                 "a.R01",   "P9a.r01", "P9.R1", "P9.R02", "Z.r", "_x.r01", "p1.r01",
                 "P18446744073709551616.r01", "P18446744073709551615.r01"};
  SortRecordNames(names);
  EXPECT_EQ(names, (Names{"_x.r01", "A.r01", "a.R01", "b.r01", "p1.r01", "P9.R01", "P9.R1",
                          "p09.r01", "P9.R02", "P9a.r01", "P0010.r01", "p10.r01", "P100.R01",
                          "P18446744073709551615.r01", "P18446744073709551616.r01", "Z.r"}));
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_FALSE(RecordNameBefore(names[i], names[i])) << names[i];
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      EXPECT_TRUE(RecordNameBefore(names[i], names[j]) && !RecordNameBefore(names[j], names[i]))
          << names[i] << " / " << names[j];
    }
  }
}

TEST(WorkListMoves, AddThenDeleteKeepsOrderAtTheEnd) {
  Names candidates{"a", "b", "c", "d"};
  Names work;
  MoveSelectedEntries(candidates, {false, true, false, true}, work);
  EXPECT_EQ(work, (Names{"b", "d"}));
  EXPECT_EQ(candidates, (Names{"a", "c"}));

  MoveSelectedEntries(work, {true, false}, candidates);
  EXPECT_EQ(candidates, (Names{"a", "c", "b"}));
  EXPECT_EQ(work, (Names{"d"}));

  MoveSelectedEntries(candidates, {true, false, true}, work);
  EXPECT_EQ(work, (Names{"d", "a", "b"}));
  EXPECT_EQ(candidates, (Names{"c"}));
}

TEST(WorkListMoves, NothingSelectedOrShortSelectionMovesNothingExtra) {
  Names from{"a", "b", "c"};
  Names to{"z"};
  MoveSelectedEntries(from, {false, false, false}, to);
  EXPECT_EQ(from, (Names{"a", "b", "c"}));
  EXPECT_EQ(to, (Names{"z"}));
  MoveSelectedEntries(from, {}, to);
  EXPECT_EQ(from, (Names{"a", "b", "c"}));
  MoveSelectedEntries(from, {true}, to);  // entries past the selection stay
  EXPECT_EQ(from, (Names{"b", "c"}));
  EXPECT_EQ(to, (Names{"z", "a"}));
}

}  // namespace
}  // namespace wavelet
