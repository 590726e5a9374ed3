#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <sstream>
#include <thread>

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

// A line whose first cell is `first` and whose other cells are empty.
std::string LineStartingWith(const std::string& first) {
  std::string line = first;
  line.append(kBatchGridColumns, ',');
  line += "\r\n";
  return line;
}

BatchGrid TitledGrid() {
  BatchGrid grid;
  BatchCursor cursor;
  WriteBatchGridTitles(grid, cursor);
  return grid;
}

TEST(CsvLines, EveryCellEndsInACommaAndTheLineInCrLf) {
  EXPECT_EQ(CsvLine({"a", "", "12.5"}), "a,,12.5,\r\n");
  EXPECT_EQ(CsvLine({}), "\r\n");
  EXPECT_EQ(CsvLine({"\xB2\xDD\xC0\xDE", "caf\xE9"}), "\xB2\xDD\xC0\xDE,caf\xE9,\r\n");  // 8-bit text as is
  EXPECT_EQ(CsvLine({"a b", "'x'", ";"}), "a b,'x',;,\r\n");
}

TEST(CsvLines, CellsThatWouldBreakTheLineAreQuoted) {
  EXPECT_EQ(CsvLine({"YAMADA, TARO", "63"}), "\"YAMADA, TARO\",63,\r\n");
  EXPECT_EQ(CsvLine({"say \"hi\""}), "\"say \"\"hi\"\"\",\r\n");
  EXPECT_EQ(CsvLine({"two\nlines", "cr\r"}), "\"two\nlines\",\"cr\r\",\r\n");
  EXPECT_EQ(CsvLine({"\""}), "\"\"\"\",\r\n");
}

// The tools' tables end each line with its last field, quoted as the grid's cells are;
// reading gives the cells back, whichever writer made the line.
TEST(CsvLines, TablesEndWithTheirLastFieldAndReadBack) {
  EXPECT_EQ(CsvTableLine({"a", "", "12.5"}), "a,,12.5\r\n");
  EXPECT_EQ(CsvTableLine({"a", ""}), "a,\r\n");
  EXPECT_EQ(CsvTableLine({"YAMADA, TARO", "say \"hi\"", "two\r\nlines"}),
            "\"YAMADA, TARO\",\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n");
  const std::vector<std::string> cells = {"YAMADA, TARO", "", "say \"hi\"", "two\r\nlines", "\"\""};
  const std::string text = CsvTableLine({"x"}) + "\r\n" + CsvTableLine(cells) + CsvLine(cells) + "last,\"\"";
  const std::vector<std::vector<std::string>> rows = CsvRows(text);
  ASSERT_EQ(rows.size(), 4u);  // the empty line is skipped
  EXPECT_EQ(rows[0], std::vector<std::string>{"x"});
  EXPECT_EQ(rows[1], cells);
  std::vector<std::string> trailing = cells;
  trailing.push_back("");  // the grid's trailing comma
  EXPECT_EQ(rows[2], trailing);
  EXPECT_EQ(rows[3], (std::vector<std::string>{"last", ""}));  // no line end at the end
  EXPECT_EQ(CsvRows("a\nb,c\n").size(), 2u);  // LF alone ends a row too
}

TEST(CsvLines, TitleRow) {
  BatchGrid grid = TitledGrid();
  std::string line;
  AppendGridRowCsv(line, grid, 0);
  EXPECT_EQ(line.rfind("Filename,Pt_ID,Pt_Name,Sex,Age,Height,Weight,Race,Kasan,Date,Time,area_X1,peak_n_X1,", 0), 0u);
  const std::string tail = "s_area,s_peak_num,s_last_p,s_fqrs,judge1,judge2,\r\n";
  ASSERT_GT(line.size(), tail.size());
  EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
  EXPECT_EQ(std::count(line.begin(), line.end(), ','), kBatchGridColumns);
}

TEST(CsvExport, BeforeAnyBatchTitlesAndEmptyRows) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  const BatchGrid grid = TitledGrid();
  std::string titles;
  AppendGridRowCsv(titles, grid, 0);
  const std::string empty = std::string(kBatchGridColumns, ',') + "\r\n";

  ASSERT_TRUE(WriteGridCsv(path, grid, 3).Ok);
  EXPECT_EQ(ReadAll(path), titles + empty + empty + empty);
  // More records than grid rows: the missing rows are empty, not dropped.
  ASSERT_TRUE(WriteGridCsv(path, grid, 9).Ok);
  std::string expected = titles;
  for (int i = 0; i < 9; ++i) expected += empty;
  EXPECT_EQ(ReadAll(path), expected);
  EXPECT_EQ(DirectoryEntries(dir.Path()), (std::vector<std::string>{"out.csv"}));
}

TEST(CsvExport, RowsAfterABatchAndTheQuotingMend) {
  TempDir dir;
  const std::string path = dir.File("batch.csv");
  BatchGrid grid = TitledGrid();
  grid.SetRowCount(3);
  grid.SetCell(0, 1, "P0001.R01");
  grid.SetCell(2, 1, "SATO, HANAKO");
  grid.SetCell(156, 1, "1");
  grid.SetCell(0, 2, "P0002.R01");
  ASSERT_TRUE(WriteGridCsv(path, grid, 2).Ok);
  const std::string text = ReadAll(path);
  std::istringstream lines(text);
  std::vector<std::string> rows;
  for (std::string row; std::getline(lines, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1], "P0001.R01,,\"SATO, HANAKO\"," + std::string(153, ',') + "1,\r");
  EXPECT_EQ(rows[2], "P0002.R01" + std::string(kBatchGridColumns, ',') + "\r");
}

TEST(CsvExport, ReplacesAnExistingFileAndKeepsItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("old.csv");
  WriteAll(path, "previous contents that are longer than the new ones\r\n");
  ::chmod(path.c_str(), 0640);
  BatchGrid grid(1);
  grid.SetCell(0, 0, "x");
  ASSERT_TRUE(WriteGridCsv(path, grid, 0).Ok);
  EXPECT_EQ(ReadAll(path), LineStartingWith("x"));
  struct stat info {};
  ::stat(path.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // Through a symbolic link the link stays and its target is replaced.
  const std::string link = dir.File("link.csv");
  std::filesystem::create_symlink(path, link);
  grid.SetCell(0, 0, "y");
  ASSERT_TRUE(WriteGridCsv(link, grid, 0).Ok);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadAll(path), LineStartingWith("y"));
}

TEST(CsvExport, UnopenableTargetsFailWithoutLeavingFiles) {
  TempDir dir;
  const BatchGrid grid = TitledGrid();
  const std::string missingDir = dir.File("no/such/dir/out.csv");
  Outcome result = WriteGridCsv(missingDir, grid, 1);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.ErrorText, "Cannot write [" + missingDir + "]");

  const std::string folder = dir.File("folder.csv");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(WriteGridCsv(folder, grid, 1).ErrorText, "Cannot write [" + folder + "]");
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  if (::geteuid() != 0) {
    const std::string locked = dir.File("locked.csv");
    WriteAll(locked, "keep");
    ::chmod(locked.c_str(), 0444);
    EXPECT_FALSE(WriteGridCsv(locked, grid, 1).Ok);
    EXPECT_EQ(ReadAll(locked), "keep");
  }
  std::vector<std::string> expected{"folder.csv"};
  if (::geteuid() != 0) expected.push_back("locked.csv");
  EXPECT_EQ(DirectoryEntries(dir.Path()), expected);
}

// A full disk, played by a file-size limit: the write fails part way.
TEST(CsvExport, AWriteErrorIsReportedAndThePreviousFileSurvives) {
  TempDir dir;
  const std::string path = dir.File("results.csv");
  WriteAll(path, "the previous export\r\n");
  BatchGrid grid = TitledGrid();
  grid.SetRowCount(2001);
  for (int row = 1; row <= 2000; ++row) grid.SetCell(0, row, std::to_string(row) + ".R01");

  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Outcome result = WriteGridCsv(path, grid, 2000);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, savedSignal);

  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.ErrorText, "Cannot write [" + path + "]");
  EXPECT_EQ(ReadAll(path), "the previous export\r\n");
  EXPECT_EQ(DirectoryEntries(dir.Path()), (std::vector<std::string>{"results.csv"}));
}

TEST(CsvFileWriting, AnAbandonedWriterLeavesNothingBehind) {
  TempDir dir;
  const std::string path = dir.File("never.csv");
  {
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.Good());
    writer.Write("a,\r\n");
    EXPECT_EQ(DirectoryEntries(dir.Path()).size(), 1u);  // the temporary file
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  EXPECT_TRUE(DirectoryEntries(dir.Path()).empty());

  AtomicFileWriter writer(path);
  writer.Write("b,\r\n");
  EXPECT_TRUE(writer.Commit().Ok);
  EXPECT_FALSE(writer.Commit().Ok);  // a second commit has nothing to commit
  EXPECT_EQ(ReadAll(path), "b,\r\n");
}

// A pipe or a device must be written in place, not replaced by a renamed file.
TEST(CsvFileWriting, NamedPipesAreWrittenInPlaceWithErrorsCaught) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    char chunk[4096];
    for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) received.append(chunk, static_cast<std::size_t>(got));
    ::close(fd);
  });
  BatchGrid grid = TitledGrid();
  const Outcome result = WriteGridCsv(fifo, grid, 2);
  reader.join();
  EXPECT_TRUE(result.Ok);
  std::string expected;
  for (int row = 0; row <= 2; ++row) AppendGridRowCsv(expected, grid, row);
  EXPECT_EQ(received, expected);
  struct stat info {};
  ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));

  // A reader that goes away: the write fails and says so.
  const auto savedSignal = ::signal(SIGPIPE, SIG_IGN);
  std::thread quitter([&] { ::close(::open(fifo.c_str(), O_RDONLY)); });
  AtomicFileWriter writer(fifo);
  quitter.join();
  for (int i = 0; i < 2000; ++i) writer.Write(std::string(100, 'x'));
  EXPECT_FALSE(writer.Commit().Ok);
  ::signal(SIGPIPE, savedSignal);
  ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
}  // namespace wavelet
