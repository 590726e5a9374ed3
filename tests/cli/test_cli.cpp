// The batch tool, run as users run it, against the window's export path built from
// the same core pieces the window uses.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "output/BatchGrid.h"
#include "base/AtomicFile.h"
#include "output/CsvWriter.h"
#include "support/Analysis.h"
#include "support/DecodePng.h"
#include "output/PngWriter.h"
#include "record/RecordEncoder.h"
#include "record/RecordFile.h"
#include "record/RecordTag.h"
#include "record/SampleRecords.h"
#include "session/Workbench.h"
#include "support/TempDir.h"
#include "version/Version.h"

namespace wavelet {
namespace {

using testing::ReadAll;
using testing::TempDir;

const std::string kTool = std::string(WAVELET_BINARY_DIR) + "/wavelet-batch";

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct ToolRun {
  int Status = -1;
  std::string Out, Err;
};

ToolRun RunTool(const TempDir& scratch, const std::vector<std::string>& arguments,
                const std::string& tool = kTool) {
  std::string command = Quote(tool);
  for (const auto& arg : arguments) {
    command += ' ';
    command += Quote(arg);
  }
  const std::string out = scratch.File("tool.out"), err = scratch.File("tool.err");
  command.append(" >").append(Quote(out)).append(" 2>").append(Quote(err)).append(" </dev/null");
  const int status = std::system(command.c_str());
  ToolRun run;
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Out = ReadAll(out);
  run.Err = ReadAll(err);
  return run;
}

void WriteRecord(const std::string& path, const RecordBytes& bytes) {
  testing::WriteAll(path, bytes.data(), bytes.size());
}

// The CSV of a batch over `names` (all in `directory`): the title row, then each
// record's row from the workbench's row function, which the window's batch writes
// into its grid too.
std::string ExpectedCsv(const std::string& directory, const std::vector<std::string>& names) {
  auto bench = std::make_unique<Workbench>();
  bench->StartUp();
  std::string csv = CsvLine(BatchGridColumns());
  for (const std::string& name : names) {
    csv += CsvLine(wavelet::testing::WorkbenchRow(*bench, JoinPath(directory, name), name));
  }
  return csv;
}

std::vector<std::string> WriteSamples(const TempDir& dir, int count, std::uint64_t seed) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back(SampleRecordName(i));
    WriteRecord(dir.File(names.back()), MakeSampleRecord(seed, i));
  }
  return names;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

std::string EmptyRow(const std::string& name) {
  std::string row = name;
  row.append(kBatchGridColumns, ',');
  return row;
}

class BatchTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kTool)) << "build the wavelet-batch target first";
  }
};

TEST_F(BatchTool, ByteIdenticalToTheWorkbenchRowsWhateverTheThreads) {
  TempDir records, scratch;
  std::vector<std::string> names = WriteSamples(records, 30, 3);
  // A name with a comma, quotes in the ID: the quoting mend applies to both paths.
  RecordFields f;
  f.PatientName = "SATO, HANAKO";
  f.PatientId = "ID\"7\"";
  f.Year = "85";
  f.QrsOnset = 300;
  f.QrsOffset = 400;
  LeadSamples samples{};
  for (int j = 300; j < 400; ++j) samples[0][j] = samples[1][j] = (j % 20) * 500;
  WriteRecord(records.File("Q0001.R01"), EncodeRecord(f, samples));
  names.push_back("Q0001.R01");

  const std::string expected = ExpectedCsv(records.Path(), names);
  ASSERT_EQ(Lines(expected).size(), names.size() + 1);
  for (const char* jobs : {"1", "2", "3", "8"}) {
    const std::string out = scratch.File(std::string("tool-") + jobs + ".csv");
    const ToolRun run = RunTool(scratch, {"-j", jobs, "-o", out, records.Path()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadAll(out), expected) << "-j " << jobs;
  }
  const ToolRun toStdout = RunTool(scratch, {"-j", "2", records.Path()});
  EXPECT_EQ(toStdout.Out, expected);
  // Records given one by one, in an order of our own, come out in that order.
  std::vector<std::string> reversed(names.rbegin(), names.rend());
  std::vector<std::string> arguments{"-j", "2"};
  for (const auto& name : reversed) arguments.push_back(records.File(name));
  EXPECT_EQ(RunTool(scratch, arguments).Out, ExpectedCsv(records.Path(), reversed));
}

TEST_F(BatchTool, UnreadableAndShortRecordsKeepTheirRowsAndTheRunGoesOn) {
  TempDir records, scratch;
  std::vector<std::string> names = WriteSamples(records, 5, 11);
  const RecordBytes full = MakeSampleRecord(11, 99);
  testing::WriteAll(records.File("short.r01"), full.data(), 1000);
  const std::string missing = records.File("missing.r03");
  const std::vector<std::string> arguments{"-j", "2",
                                           records.File(names[0]), records.File("short.r01"),
                                           records.File(names[1]), missing, records.File(names[2])};
  const ToolRun run = RunTool(scratch, arguments);
  EXPECT_EQ(run.Status, 1);
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 6u);
  const std::vector<std::string> good =
      Lines(ExpectedCsv(records.Path(), {names[0], names[1], names[2]}));
  EXPECT_EQ(lines[0], good[0]);
  EXPECT_EQ(lines[1], good[1]);
  EXPECT_EQ(lines[2], EmptyRow("short.r01"));
  EXPECT_EQ(lines[3], good[2]);
  EXPECT_EQ(lines[4], EmptyRow("missing.r03"));
  EXPECT_EQ(lines[5], good[3]);
  EXPECT_NE(run.Err.find("Not a record (1000 bytes): [" + records.File("short.r01") + "]"), std::string::npos);
  EXPECT_NE(run.Err.find("Cannot read [" + missing + "]"), std::string::npos);
  EXPECT_NE(run.Err.find("Cannot read [" + missing + "]: No such file or directory\n"), std::string::npos);
  EXPECT_NE(run.Err.find("2 of 5 records could not be read"), std::string::npos);
}

TEST_F(BatchTool, ExitStatusesAndUsage) {
  TempDir records, scratch;
  WriteSamples(records, 2, 5);
  EXPECT_EQ(RunTool(scratch, {records.Path()}).Status, 0);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{}, {"-x", records.Path()}, {"-j", "0", records.Path()},
        {"-j", "two", records.Path()}, {records.Path(), "-o"}, {"-j"}, {"--no-header"}}) {
    const ToolRun run = RunTool(scratch, bad);
    EXPECT_EQ(run.Status, 2) << (bad.empty() ? "" : bad[0]);
    EXPECT_NE(run.Err.find("see 'wavelet-batch --help'"), std::string::npos);
    EXPECT_EQ(run.Out, "");
  }
  const ToolRun help = RunTool(scratch, {"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("usage: wavelet-batch"), std::string::npos);
  const ToolRun version = RunTool(scratch, {"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out, std::string("wavelet-batch ") + kBuildVersion + "\n");
  // An output that cannot be opened: nothing analysed, nothing created.
  const std::string nowhere = scratch.File("no/such/dir/out.csv");
  const ToolRun unwritable = RunTool(scratch, {"-o", nowhere, records.Path()});
  EXPECT_EQ(unwritable.Status, 1);
  EXPECT_NE(unwritable.Err.find("Cannot write [" + nowhere + "]"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(scratch.File("no")));
  // "--" ends the options: a file may start with a dash.
  std::filesystem::copy_file(records.File("P0001.R01"), records.File("-odd.r01"));
  const ToolRun dashed = RunTool(scratch, {"--", records.File("-odd.r01")});
  EXPECT_EQ(dashed.Status, 0) << dashed.Err;
  ASSERT_EQ(Lines(dashed.Out).size(), 2u);
  EXPECT_EQ(Lines(dashed.Out)[1].substr(0, 9), "-odd.r01,");
}

TEST_F(BatchTool, NoHeaderGivesRowsThatConcatenate) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 6, 21);
  const std::string whole = RunTool(scratch, {records.Path()}).Out;
  const std::string shardA = RunTool(scratch, {"--no-header", records.File(names[0]), records.File(names[1]),
                                              records.File(names[2])}).Out;
  const std::string shardB = RunTool(scratch, {"--no-header", "-j", "2", records.File(names[3]),
                                              records.File(names[4]), records.File(names[5])}).Out;
  const std::string titles = whole.substr(0, whole.find("\r\n") + 2);
  EXPECT_EQ(titles.rfind("Filename,Pt_ID,", 0), 0u);
  EXPECT_EQ(titles + shardA + shardB, whole);
  EXPECT_EQ(RunTool(scratch, {"--no-header", scratch.Path()}).Out, "");  // no records, no lines
}

TEST_F(BatchTool, DirectoryListsRecordNamesSortedAndSkipsOthers) {
  TempDir records, scratch;
  const RecordBytes bytes = MakeSampleRecord(2, 0);
  for (const char* name : {"p0002.r01", "P0003.R01", "A.B.r07", "b.R", "notes.txt", "README",
                           "data.dat", "trailing.", "x.rec"}) {
    WriteRecord(records.File(name), bytes);
  }
  const ToolRun run = RunTool(scratch, {records.Path()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  std::vector<std::string> firstCells;
  for (const std::string& line : Lines(run.Out)) firstCells.push_back(line.substr(0, line.find(',')));
  // The window's candidate order: case aside, numbers by value.
  EXPECT_EQ(firstCells, (std::vector<std::string>{"Filename", "A.B.r07", "b.R", "p0002.r01", "P0003.R01", "x.rec"}));

  // A directory whose name matches is listed, as the window lists it, and gets the
  // row of a record that cannot be read.
  std::filesystem::create_directory(records.File("sub.r00"));
  const ToolRun withFolder = RunTool(scratch, {records.Path()});
  EXPECT_EQ(withFolder.Status, 1);
  EXPECT_NE(withFolder.Out.find("\r\n" + EmptyRow("sub.r00") + "\r\n"), std::string::npos);
}

TEST_F(BatchTool, ClampedWindowsAreWarnedAboutUnlessQuiet) {
  TempDir records, scratch;
  RecordFields f;
  f.QrsOnset = 120;  // before the analysed stretch
  f.QrsOffset = 200;
  LeadSamples samples{};
  samples[0][150] = 3000;
  WriteRecord(records.File("early.r01"), EncodeRecord(f, samples));
  WriteSamples(records, 1, 4);
  const ToolRun run = RunTool(scratch, {records.Path()});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Err, "wavelet-batch: warning: QRS windows clamped: [" +
                         JoinPath(records.Path(), "early.r01") + "]\n");
  const ToolRun quiet = RunTool(scratch, {"-q", records.Path()});
  EXPECT_EQ(quiet.Err, "");
  EXPECT_EQ(quiet.Out, run.Out);
}

TEST_F(BatchTool, NewOptionsRefuseBadValuesAsUsageErrors) {
  TempDir records, scratch;
  WriteSamples(records, 1, 5);
  const std::string p = records.Path();
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--display", "x", p}, {"--scale", "7", p}, {"--scale", "0", p},
        {"--gain", "101", p}, {"--gain", "x", p}, {p, "--images"}, {"--page", "a3", p}, {p, "--reports"}}) {
    const ToolRun run = RunTool(scratch, bad);
    EXPECT_EQ(run.Status, 2) << bad[0] << ' ' << bad[1];
    EXPECT_NE(run.Err.find("see 'wavelet-batch --help'"), std::string::npos);
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_NE(RunTool(scratch, {"--scale", "9", p}).Err.find(
                "option --scale needs a whole number from 1 to 6, not \"9\""), std::string::npos);
  EXPECT_NE(RunTool(scratch, {"-x", p}).Err.find("unknown option -x\n"), std::string::npos);
  EXPECT_NE(RunTool(scratch, {p, "-o"}).Err.find("option -o needs a file name\n"), std::string::npos);
}

class QuietSink final : public HeaderSink {
 public:
  void ShowHeaderField(const PatientHeaderEntry&, const std::string&) override {}
};

// The pictures are the workbench's images after the record view the window's
// record change runs, whichever worker drew them; the CSV does not change.
TEST_F(BatchTool, PicturesAreTheImagesOfTheRecordViewInEachDisplayMode) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 3, 31);
  const std::string csv = ExpectedCsv(records.Path(), names);
  struct Mode {
    std::vector<std::string> Arguments;
    DisplaySettings View;
  };
  DisplaySettings spectrogram;
  spectrogram.DisplayMode = kDisplaySpectrogram;
  spectrogram.SelectedScale = 3;
  spectrogram.GainPosition = 50;
  spectrogram.Dots = false;
  DisplaySettings map;
  map.DisplayMode = kDisplayMap;
  map.Lines = false;
  const std::vector<Mode> modes = {
      {{}, DisplaySettings()},
      {{"--display", "spectrogram", "--scale", "3", "--gain", "50", "--no-dots"}, spectrogram},
      {{"--display", "map", "--no-lines"}, map}};
  std::vector<std::string> firstLead;
  for (const Mode& mode : modes) {
    TempDir pictures;
    std::vector<std::string> arguments{"-j", "2", "--images", pictures.Path()};
    arguments.insert(arguments.end(), mode.Arguments.begin(), mode.Arguments.end());
    arguments.push_back(records.Path());
    const ToolRun run = RunTool(scratch, arguments);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, csv);
    Workbench bench;
    bench.StartUp();
    for (const std::string& name : names) {
      QuietSink sink;
      AnalysisDriverHooks hooks;
      ASSERT_TRUE(bench.ShowRecord(records.File(name), name, sink, mode.View, hooks).Ok);
      for (int i = 0; i < kImageCount; ++i) {
        const Canvas& image = bench.Images().Lead(i);
        const std::vector<unsigned char> expected = EncodePng(image.Pixels(), image.Width(), image.Height());
        EXPECT_EQ(ReadAll(pictures.File(name + PictureSuffix(i) + ".png")),
                  std::string(expected.begin(), expected.end()))
            << name << PictureSuffix(i);
      }
    }
    firstLead.push_back(ReadAll(pictures.File(names[0] + "_X.png")));
    const std::string raw = ReadAll(pictures.File(names[0] + "_raw.png"));
    // Decoded: the raw view's corner is black and its leads are drawn in colour.
    const testing::DecodedPng decoded = testing::DecodePng(raw);
    ASSERT_EQ(decoded.Width * 1000 + decoded.Height, 800200);
    const std::vector<unsigned char>& rgb = decoded.Rgb;
    EXPECT_EQ(rgb[0] | rgb[1] | rgb[2], 0);
    std::set<unsigned> colours;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) colours.insert(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    EXPECT_GE(colours.size(), 4u);  // black, the grey markers and three lead colours
  }
  EXPECT_NE(firstLead[0], firstLead[1]);
  EXPECT_NE(firstLead[1], firstLead[2]);

  // A picture directory that cannot be made stops the run before any analysis.
  std::ofstream(scratch.File("plain")) << "x";
  const std::string blocked = scratch.File("plain/pictures");
  const ToolRun refused = RunTool(scratch, {"--images", blocked, records.Path()});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("Cannot write [" + blocked + "]"), std::string::npos);
  EXPECT_EQ(refused.Out, "");
}

std::string PdfInfo(const std::string& path) {
  std::string text;
  if (FILE* pipe = ::popen(("pdfinfo " + Quote(path) + " 2>&1").c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    ::pclose(pipe);
  }
  return text;
}

TEST_F(BatchTool, ReportsArePdfPagesOfTheReadableRecordsOnA4OrLetter) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 3, 41);
  const std::string a4 = scratch.File("a4.pdf"), letter = scratch.File("letter.pdf");
  const std::string missing = records.File("missing.r01");
  const ToolRun run = RunTool(scratch, {"-q", "--reports", a4, records.File(names[0]), missing,
                                        records.File(names[1]), records.File(names[2])});
  EXPECT_EQ(run.Status, 1);  // the missing record
  EXPECT_EQ(Lines(run.Out).size(), 5u);
  const std::string a4Info = PdfInfo(a4);
  EXPECT_NE(a4Info.find("Pages:           3\n"), std::string::npos) << a4Info;
  EXPECT_NE(a4Info.find("(A4)"), std::string::npos) << a4Info;

  const ToolRun letterRun = RunTool(scratch, {"--reports", letter, "--page", "letter", records.Path()});
  EXPECT_EQ(letterRun.Status, 0) << letterRun.Err;
  const std::string letterInfo = PdfInfo(letter);
  EXPECT_NE(letterInfo.find("Pages:           3\n"), std::string::npos) << letterInfo;
  EXPECT_NE(letterInfo.find("(letter)"), std::string::npos) << letterInfo;

  // A PDF that cannot be written fails the run, but every row is still written.
  const std::string nowhere = scratch.File("no/such/dir/reports.pdf");
  const ToolRun failed = RunTool(scratch, {"--reports", nowhere, records.Path()});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_NE(failed.Err.find("Cannot write [" + nowhere + "]"), std::string::npos);
  EXPECT_EQ(failed.Out, ExpectedCsv(records.Path(), names));
}

// A page program that got no page (fewer readable records than workers) writes no
// part, and the document still holds every readable record's page.
TEST_F(BatchTool, ReportsHoldTheReadablePagesWhenFewerRecordsThanWorkersAreReadable) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 2, 43);
  testing::WriteAll(records.File("empty.r01"), "", 0);
  for (const auto& [jobs, inputs, pages] :
       {std::tuple{"2", std::vector<std::string>{names[0], "empty.r01"}, 1},
        std::tuple{"4", std::vector<std::string>{"empty.r01", names[0], "empty.r01", names[1]}, 2}}) {
    const std::string pdf = scratch.File(std::string("j") + jobs + ".pdf");
    std::vector<std::string> arguments{"-q", "-j", jobs, "--reports", pdf};
    for (const std::string& input : inputs) arguments.push_back(records.File(input));
    const ToolRun run = RunTool(scratch, arguments);
    EXPECT_EQ(run.Status, 1);  // the empty record
    EXPECT_EQ(run.Err.find("Cannot write"), std::string::npos) << run.Err;
    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("Pages:           " + std::to_string(pages) + "\n"), std::string::npos) << info;
  }
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(scratch.Path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"j2.pdf", "j4.pdf", "tool.err", "tool.out"}));
}

// A page program that hangs, before its page size or while it is sent pages, is given
// up at its deadline: the run fails and says so, and the rows are all written.
TEST_F(BatchTool, AHungPageProgramFailsTheReportsWithinItsDeadline) {
  TempDir records, scratch, tools;
  const std::vector<std::string> names = WriteSamples(records, 3, 47);
  // The tool finds its page program beside itself: a copy beside a stand-in.
  std::filesystem::copy_file(kTool, tools.File("wavelet-batch"));
  ::chmod(tools.File("wavelet-batch").c_str(), 0755);
  const std::string standIn = tools.File("wavelet-report-pages");
  // Silent; then one that gives a page size (1000 by 1400) and reads nothing.
  for (const std::string script :
       {std::string("exec sleep 30\n"),
        std::string("printf 'S\\010\\0\\0\\0\\0\\0\\0\\0\\350\\003\\0\\0\\170\\005\\0\\0'\nexec sleep 30\n")}) {
    std::ofstream(standIn) << "#!/bin/sh\n" << script;
    ::chmod(standIn.c_str(), 0755);
    const std::string pdf = scratch.File("r.pdf"), csv = scratch.File("r.csv");
    const auto started = std::chrono::steady_clock::now();
    const std::string command = "WAVELET_PAGE_DEADLINE=1 " + Quote(tools.File("wavelet-batch")) +
                                " -q -j 1 --reports " + Quote(pdf) + " -o " + Quote(csv) + " " +
                                Quote(records.Path()) + " 2>" + Quote(scratch.File("err")) + " </dev/null";
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << script;
    EXPECT_LT(seconds, 10.0) << script;
    EXPECT_NE(ReadAll(scratch.File("err")).find("Cannot write [" + pdf + "]: the page program did not answer within 1 s"),
              std::string::npos)
        << ReadAll(scratch.File("err"));
    EXPECT_EQ(ReadAll(csv), ExpectedCsv(records.Path(), names));
    EXPECT_FALSE(std::filesystem::exists(pdf));
  }
}

// Rows, pictures and pages of a record come from one read of its file (counted in the
// system calls, with the page companion's too) and one analysis.
TEST_F(BatchTool, EveryOutputOfARecordComesFromOneReadOfIt) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "no strace";
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 4, 17);
  const std::string log = scratch.File("calls.log");
  const std::string command = "strace -f -qq -e trace=open,openat -o " + Quote(log) + " " +
                              Quote(kTool) + " -q -j 2 --images " + Quote(scratch.File("img")) +
                              " --reports " + Quote(scratch.File("r.pdf")) + " -o " +
                              Quote(scratch.File("out.csv")) + " " + Quote(records.Path()) +
                              " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "strace cannot trace here";
  const std::string calls = ReadAll(log);
  for (const std::string& name : names) {
    const std::string opened = "/" + name + "\"";
    std::size_t count = 0;
    for (std::size_t at = calls.find(opened); at != std::string::npos; at = calls.find(opened, at + 1)) ++count;
    EXPECT_EQ(count, 1u) << name;
  }
}

// A PDF is made in one pass into its writer, whatever the workers: the document and
// its folder are synced once each (the text pages and the parts are scratch), as the
// table is.
TEST_F(BatchTool, OneDocumentIsSyncedOnceWithItsFolder) {
  if (std::system("command -v strace >/dev/null 2>&1") != 0) GTEST_SKIP() << "no strace";
  TempDir records, scratch;
  WriteSamples(records, 3, 19);
  for (const char* jobs : {"1", "2"}) {
    const std::string log = scratch.File(std::string("sync") + jobs + ".log");
    const std::string command = "strace -f -qq -e trace=fsync,fdatasync,syncfs,sync -o " + Quote(log) + " " +
                                Quote(kTool) + " -q -j " + jobs + " --reports " +
                                Quote(scratch.File(std::string("r") + jobs + ".pdf")) + " -o " +
                                Quote(scratch.File("out.csv")) + " " + Quote(records.Path()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "strace cannot trace here";
    const std::string calls = ReadAll(log);
    int syncs = 0;
    for (std::size_t at = calls.find("sync("); at != std::string::npos; at = calls.find("sync(", at + 1)) ++syncs;
    EXPECT_EQ(syncs, 4) << jobs << " workers:\n" << ReadAll(log);  // the table's two, the document's two
  }
}

// The late-potential table: its title row, one row per record in input order (a
// record's own unit over --unit-uv, blanks for a QRS not found, only the name for an
// unreadable record), its picture beside the others, and "Cannot write" when its file
// cannot be written.
TEST_F(BatchTool, LatePotentialTableAndPictures) {
  TempDir records, scratch;
  WriteRecord(records.File("a.r01"), MakeSampleRecord(1, 0));
  RecordBytes tagged = MakeSampleRecord(1, 0);
  WriteRecordTag(tagged, {0.2, 1000, "a.dat"});
  WriteRecord(records.File("b.r01"), tagged);
  WriteRecord(records.File("c.r01"), EncodeRecord(RecordFields{}, LeadSamples{}));
  const std::string table = scratch.File("lp.csv");
  const ToolRun run = RunTool(scratch, {"-q", "--late-potentials", table, "--unit-uv", "0.1",
                                        "--images", scratch.File("img"), records.File("a.r01"),
                                        records.File("b.r01"), records.File("c.r01"),
                                        records.File("gone.r01")});
  EXPECT_EQ(run.Status, 1);  // the missing record
  const std::vector<std::string> rows = Lines(ReadAll(table));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "Filename,unit_uv,noise_uv,qrs_onset,qrs_offset,fqrs_ms,rms40_uv,las40_ms,"
                     "fqrs_abnormal,rms40_abnormal,las40_abnormal,late_potentials,header_onset,"
                     "header_offset");
  EXPECT_EQ(rows[1], "a.r01,0.1,0.458,302,419,117,15.24,83,1,1,1,1,295,422");
  // Twice the microvolts: the same QRS, twice its RMS40 (15.236 uV).
  EXPECT_EQ(rows[2].substr(0, 10), "b.r01,0.2,");
  EXPECT_NE(rows[2].find(",302,419,117,30.47,"), std::string::npos) << rows[2];
  EXPECT_EQ(rows[3], "c.r01,0.1,0.000,,,,,,,,,,0,0");  // flat: no QRS
  EXPECT_EQ(rows[4], "gone.r01,,,,,,,,,,,,,");
  const testing::DecodedPng picture = testing::DecodePng(ReadAll(scratch.File("img") + "/a.r01_LP.png"));
  EXPECT_EQ(picture.Width, 872);
  EXPECT_EQ(picture.Height, 320);

  const std::string nowhere = scratch.File("no/such/dir/lp.csv");
  const ToolRun failed = RunTool(scratch, {"--late-potentials", nowhere, records.File("a.r01")});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_NE(failed.Err.find("Cannot write [" + nowhere + "]"), std::string::npos) << failed.Err;
  EXPECT_EQ(RunTool(scratch, {"--unit-uv", "0", records.File("a.r01")}).Status, 2);
}

// What could not be read or written is named with the reason; the window answers
// --version and --help without a display, and says in one line that it found none.
TEST_F(BatchTool, MessagesSayWhyAndTheWindowAnswersWithoutADisplay) {
  TempDir scratch;
  const std::string link = scratch.File("link.r01"), missing = scratch.File("missing.r01");
  ASSERT_EQ(::symlink(scratch.File("gone").c_str(), link.c_str()), 0);
  const ToolRun read = RunTool(scratch, {"-q", link, missing, scratch.Path()});
  EXPECT_NE(read.Err.find("Cannot read [" + link + "]: Broken symbolic link"), std::string::npos) << read.Err;
  EXPECT_NE(read.Err.find("Cannot read [" + missing + "]: No such file or directory"), std::string::npos);
  const std::string nowhere = scratch.File("no/such/out.csv");
  const ToolRun write = RunTool(scratch, {"-o", nowhere, missing});
  EXPECT_NE(write.Err.find("Cannot write [" + nowhere + "]: No such file or directory"), std::string::npos)
      << write.Err;
  testing::WriteAll(scratch.File("file"), "x", 1);
  const ToolRun pictures = RunTool(scratch, {"--images", scratch.File("file") + "/img", missing});
  EXPECT_NE(pictures.Err.find("]: Not a directory"), std::string::npos) << pictures.Err;

  const std::string window = std::string(WAVELET_BINARY_DIR) + "/wavelet";
  const std::string bare = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Quote(window);
  const std::string out = scratch.File("window.out"), err = scratch.File("window.err");
  auto run = [&](const std::string& arguments) {
    const int status = std::system((bare + arguments + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run(" --version"), 0);
  EXPECT_EQ(ReadAll(out), std::string("wavelet ") + kBuildVersion + "\n");
  EXPECT_EQ(run(" --help"), 0);
  EXPECT_EQ(ReadAll(out).rfind("usage: wavelet", 0), 0u);
  EXPECT_EQ(run(""), 1);
  const std::string said = ReadAll(err);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
  EXPECT_NE(said.find("no display was found"), std::string::npos) << said;
}

// The study tool: its records.csv holds each record's cells exactly as the batch tool
// prints them (the grid row and the --late-potentials row of the same record), its
// tables have their shapes, the unlabelled records and the unused labels are named
// once, and the pictures and the PDF are written.
const std::string kCohortTool = std::string(WAVELET_BINARY_DIR) + "/wavelet-cohort";

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream stream(line);
  for (std::string cell; std::getline(stream, cell, ',');) cells.push_back(cell);
  return cells;
}

TEST_F(BatchTool, CohortRowsAreTheBatchToolsCellsAndTheTablesHaveTheirShapes) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 6, 29);
  std::string labels = "Record,age,Group\r\n";
  for (int i = 0; i < 5; ++i) {
    // Upper case and no suffix: still the record.
    std::string key = names[static_cast<std::size_t>(i)].substr(0, names[static_cast<std::size_t>(i)].find('.'));
    std::transform(key.begin(), key.end(), key.begin(), ::toupper);
    labels += key + ",60," + (i < 3 ? "MI" : "HC") + "\r\n";
  }
  labels += "nobody,1,HC\r\n";
  testing::WriteAll(scratch.File("labels.csv"), labels.data(), labels.size());
  const std::string out = scratch.File("study");
  const ToolRun run = RunTool(scratch, {"--labels", scratch.File("labels.csv"), "--positive", "MI",
                                        "--group-column", "group", "-j", "2", "-o", out, records.Path()},
                              kCohortTool);
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "wavelet-cohort: warning: 1 records have no label and are left out: " + names[5] +
                         "\nwavelet-cohort: warning: 1 labels name no record given: nobody\n");

  const ToolRun batch = RunTool(scratch, {"-q", "--late-potentials", scratch.File("lp.csv"), "-o",
                                          scratch.File("grid.csv"), records.Path()});
  ASSERT_EQ(batch.Status, 0);
  const std::vector<std::string> grid = Lines(ReadAll(scratch.File("grid.csv")));
  const std::vector<std::string> late = Lines(ReadAll(scratch.File("lp.csv")));
  const std::vector<std::string> rows = Lines(ReadAll(out + "/records.csv"));
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "Filename,group,s_area,s_peak_num,s_last_p,s_fqrs,judge1,judge2,noise_uv,fqrs_ms,"
                     "rms40_uv,las40_ms,fqrs_abnormal,rms40_abnormal,las40_abnormal,late_potentials");
  const std::vector<std::string> gridTitles = Cells(grid[0]), lateTitles = Cells(late[0]);
  const std::vector<std::string> titles = Cells(rows[0]);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string> row = Cells(rows[r]), gridRow = Cells(grid[r]), lateRow = Cells(late[r]);
    ASSERT_EQ(row.size(), titles.size()) << rows[r];
    EXPECT_EQ(row[0], names[r - 1]);
    EXPECT_EQ(row[1], r <= 3 ? "MI" : "HC");
    for (std::size_t c = 2; c < titles.size(); ++c) {
      const auto inGrid = std::find(gridTitles.begin(), gridTitles.end(), titles[c]);
      const std::string expected = inGrid != gridTitles.end()
          ? gridRow[static_cast<std::size_t>(inGrid - gridTitles.begin())]
          : lateRow[static_cast<std::size_t>(std::find(lateTitles.begin(), lateTitles.end(), titles[c]) -
                                             lateTitles.begin())];
      EXPECT_EQ(row[c], expected) << titles[c] << " of " << row[0];
    }
  }
  const std::vector<std::string> criteria = Lines(ReadAll(out + "/cohort.csv"));
  ASSERT_EQ(criteria.size(), 11u);
  EXPECT_EQ(criteria[0], "criterion,tp,fn,fp,tn,sensitivity,sensitivity_low,sensitivity_high,specificity,"
                         "specificity_low,specificity_high,ppv,npv,kappa_vs_late_potentials");
  EXPECT_EQ(Cells(criteria[1])[0], "s_area");
  EXPECT_EQ(Cells(criteria[10])[0], "late_potentials");
  const std::vector<std::string> aucs = Lines(ReadAll(out + "/auc.csv"));
  ASSERT_EQ(aucs.size(), 8u);
  EXPECT_EQ(aucs[0], "figure,n_positive,n_negative,median_positive,median_negative,auc,auc_low,auc_high");
  EXPECT_EQ(Cells(aucs[4])[0], "area_M5");
  EXPECT_EQ(Cells(aucs[1])[1], "3");
  EXPECT_EQ(Cells(aucs[1])[2], "2");
  for (const char* stem : {"box_fqrs_ms", "box_fQRS_M5", "roc_time_domain", "roc_wavelet", "agreement_judge1",
                           "agreement_judge2"}) {
    const testing::DecodedPng png = testing::DecodePng(ReadAll(out + "/figures/" + stem + ".png"));
    EXPECT_EQ(png.Width, 800) << stem;
    EXPECT_EQ(ReadAll(out + "/figures/" + stem + ".svg").substr(0, 5), "<?xml") << stem;
  }
  EXPECT_EQ(ReadAll(out + "/cohort.pdf").substr(0, 5), "%PDF-");
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
  }
}

// Labels that cannot serve are refused in one line with exit status 2 before any work
// (no results directory is made); one group empty still gives the rows.
TEST_F(BatchTool, CohortRefusesUnusableLabelsBeforeAnyWork) {
  TempDir records, scratch;
  const std::vector<std::string> names = WriteSamples(records, 2, 3);
  const std::string a = names[0].substr(0, names[0].find('.')), b = names[1].substr(0, names[1].find('.'));
  auto labelsFile = [&](const std::string& name, const std::string& text) {
    testing::WriteAll(scratch.File(name), text.data(), text.size());
    return scratch.File(name);
  };
  const std::string out = scratch.File("study");
  struct Case {
    std::string Labels, Positive, Error;
  };
  const std::string missing = scratch.File("missing.csv");
  const std::string noColumn = labelsFile("nocolumn.csv", "record,diagnosis\n" + a + ",MI\n");
  const std::string twice = labelsFile("twice.csv", "record,group\n" + a + ",MI\n" + a + ".R02,HC\n");
  const std::string fine = labelsFile("fine.csv", "record,group\n" + a + ",MI\n" + b + ",MI\nother,HC\n");
  for (const Case& c : {Case{missing, "MI", "Cannot read [" + missing + "]: No such file or directory"},
                        Case{scratch.Path(), "MI", "Cannot read [" + scratch.Path() + "]: Is a directory"},
                        Case{noColumn, "MI", "[" + noColumn + "] has no column \"group\" after its first"},
                        Case{twice, "MI", "[" + twice + "] names the record " + a +
                                              ".R02 twice, as \"MI\" and as \"HC\""},
                        Case{fine, "HC", "no labelled record given is in the group \"HC\" (their groups: \"MI\")"}}) {
    const ToolRun run = RunTool(scratch, {"--labels", c.Labels, "--positive", c.Positive, "-o", out,
                                          records.Path()}, kCohortTool);
    EXPECT_EQ(run.Status, 2) << c.Error;
    EXPECT_EQ(run.Err, "wavelet-cohort: " + c.Error + "\n");
    EXPECT_FALSE(std::filesystem::exists(out)) << c.Error;
  }
  EXPECT_EQ(RunTool(scratch, {"--labels", fine, "-o", out, records.Path()}, kCohortTool).Status, 2);

  // Only patients: the rows are written, the specificity blank.
  const ToolRun onlyPatients = RunTool(scratch, {"-q", "--labels", fine, "--positive", "MI", "-o", out,
                                                 records.Path()}, kCohortTool);
  EXPECT_EQ(onlyPatients.Status, 0) << onlyPatients.Err;
  const std::vector<std::string> criteria = Lines(ReadAll(out + "/cohort.csv"));
  ASSERT_EQ(criteria.size(), 11u);
  EXPECT_EQ(Cells(criteria[5])[0], "judge1");
  EXPECT_EQ(Cells(criteria[5])[8], "");  // specificity
  EXPECT_NE(Cells(criteria[5])[5], "");  // sensitivity
}

}  // namespace
}  // namespace wavelet
