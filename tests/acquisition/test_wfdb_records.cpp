// Whole WFDB records on disk, read through ReadRecording: the formats, signals spread
// over two data files, the header variants of the wild, and the files that must be
// refused without a crash or a wait.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "SyntheticWfdb.h"
#include "acquisition/Recording.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::Checksum;
using testing::Format16;
using testing::Format212;
using testing::TempDir;
using testing::WriteAll;

// Three frames of X, Y, Z interleaved, and each signal's values.
const std::vector<int> kFrames = {-3, 120, -18, -3, 122, -20, -7, 111, -17};
const std::vector<int> kX = {-3, -3, -7};
const std::vector<int> kY = {120, 122, 111};
const std::vector<int> kZ = {-18, -20, -17};

std::string SignalLine(const std::string& file, const std::string& format, const std::vector<int>& values,
                       const std::string& label, const char* end = "\n") {
  return file + " " + format + " 2000 16 0 " + std::to_string(values[0]) + " " + std::to_string(Checksum(values)) +
         " 0 " + label + end;
}

std::vector<double> Microvolts(const std::vector<int>& adu, double perAdu) {
  std::vector<double> values;
  for (int v : adu) values.push_back(v * perAdu);
  return values;
}

TEST(WfdbRecords, Format16FrankLeadsInMicrovoltsWithThePatientFields) {
  TempDir dir;
  WriteAll(dir.File("r.xyz"), Format16(kFrames));
  WriteAll(dir.File("r.hea"), "r 3 1000 3\n" + SignalLine("r.xyz", "16", kX, "vx") + SignalLine("r.xyz", "16", kY, "vy") +
                                  SignalLine("r.xyz", "16", kZ, "vz") + "# age: 81\n# sex: female\n");
  const Loaded<Recording> read = ReadRecording(dir.File("r.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  const Recording& r = read.Value;
  EXPECT_EQ(r.Source, dir.File("r.hea"));
  EXPECT_EQ(r.Leads, LeadSource::Frank);
  EXPECT_EQ(r.LeadLabels, (std::array<std::string, 3>{"vx", "vy", "vz"}));
  // 2000 adu per mV: half a microvolt per adu.
  EXPECT_EQ(r.Microvolts[0], (std::vector<double>{-1.5, -1.5, -3.5}));
  EXPECT_EQ(r.Microvolts[1], (std::vector<double>{60, 61, 55.5}));
  EXPECT_EQ(r.Microvolts[2], (std::vector<double>{-9, -10, -8.5}));
  EXPECT_EQ(r.Patient.AgeYears, 81);
  EXPECT_EQ(r.Patient.Sex, "F");
  EXPECT_TRUE(r.Warnings.empty());
}

TEST(WfdbRecords, Format212WithBaselineUnitsAndTwoDataFiles) {
  TempDir dir;
  // X and an unused signal in a.dat (212), Y and Z in b.dat (16); Y in microvolts.
  const std::vector<int> unused = {7, 8, 9};
  WriteAll(dir.File("a.dat"), Format212({kX[0], unused[0], kX[1], unused[1], kX[2], unused[2]}));
  WriteAll(dir.File("b.dat"), Format16({kY[0], kZ[0], kY[1], kZ[1], kY[2], kZ[2]}));
  WriteAll(dir.File("two.hea"), "two 4 1000 3\n"
                                "a.dat 212 100(-10)/mV 12 0 -3 0 0 X\n"
                                "a.dat 212 100 12 0 7 0 0 other\n"
                                "b.dat 16 1/uV 16 0 120 0 0 Y\n"
                                "b.dat 16 2000 16 0 -18 0 0 Z\n");
  const Loaded<Recording> read = ReadRecording(dir.File("two.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  // (adu - baseline) * 1000 / 100 for X: (-3 + 10) * 10.
  EXPECT_EQ(read.Value.Microvolts[0], (std::vector<double>{70, 70, 30}));
  EXPECT_EQ(read.Value.Microvolts[1], (std::vector<double>{120, 122, 111}));
  EXPECT_EQ(read.Value.Microvolts[2], Microvolts(kZ, 0.5));
  // The checksums given as 0 disagree but the first values agree: no zeroed header.
  ASSERT_EQ(read.Value.Warnings.size(), 3u);
  EXPECT_EQ(read.Value.Warnings[0], "the header of [" + dir.File("two.hea") +
                                        "] gives the checksum 0 for signal 'X'; the data sum to -13");
}

TEST(WfdbRecords, CrLfAndZeroedChecksumsAreReadWithWarnings) {
  TempDir dir;
  WriteAll(dir.File("z.xyz"), Format16(kFrames));
  WriteAll(dir.File("z.hea"), "z 3 1000 3\r\nz.xyz 16 2000 16 0 0 0 0 vx\r\nz.xyz 16 2000 16 0 0 0 0 vy\r\n"
                              "z.xyz 16 2000 16 0 0 0 0 vz\r\n\r\n# age: 58\r\n");
  const Loaded<Recording> read = ReadRecording(dir.File("z.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Microvolts[0], Microvolts(kX, 0.5));
  EXPECT_EQ(read.Value.Patient.AgeYears, 58);
  const std::string header = "[" + dir.File("z.hea") + "]";
  EXPECT_EQ(read.Value.Warnings, (std::vector<std::string>{
                                     "CR LF line ends in the header of " + header,
                                     "zero first values and checksums in the header of " + header +
                                         ": the data were read unchecked"}));
}

TEST(WfdbRecords, AWrongFirstValueIsAWarningNotARefusal) {
  TempDir dir;
  WriteAll(dir.File("w.xyz"), Format16(kFrames));
  WriteAll(dir.File("w.hea"), "w 3 1000\n" + SignalLine("w.xyz", "16", {5, -3, -7}, "vx") +
                                  SignalLine("w.xyz", "16", kY, "vy") + SignalLine("w.xyz", "16", kZ, "vz"));
  const Loaded<Recording> read = ReadRecording(dir.File("w.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Warnings, (std::vector<std::string>{
                                     "the header of [" + dir.File("w.hea") +
                                     "] gives 5 as the first value of signal 'vx'; the data begin with -3",
                                     "the header of [" + dir.File("w.hea") +
                                     "] gives the checksum -5 for signal 'vx'; the data sum to -13"}));
}

TEST(WfdbRecords, TruncatedDataAreReadAsFarAsTheyGo) {
  TempDir dir;
  // Two whole frames and half of the third.
  WriteAll(dir.File("t.xyz"), Format16(kFrames).substr(0, 14));
  WriteAll(dir.File("t.hea"), "t 3 1000 3\n" + SignalLine("t.xyz", "16", kX, "vx") + SignalLine("t.xyz", "16", kY, "vy") +
                                  SignalLine("t.xyz", "16", kZ, "vz"));
  const Loaded<Recording> read = ReadRecording(dir.File("t.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Microvolts[2], (std::vector<double>{-9, -10}));
  EXPECT_EQ(read.Value.Warnings, (std::vector<std::string>{"the data file 't.xyz' of [" + dir.File("t.hea") +
                                                           "] ends after 2 of the 3 samples the header gives; "
                                                           "read as far as it goes"}));
}

TEST(WfdbRecords, TheOtherDataFileMissingOrShortIsWarnedWhenXyzComeFromTheirOwn) {
  TempDir dir;
  // Standard leads in m.dat (unused while the Frank leads are there), vx vy vz in m.xyz.
  const std::vector<int> standard = {10, 20, 30, 11, 21, 31, 12, 22, 32};
  WriteAll(dir.File("m.xyz"), Format16(kFrames));
  WriteAll(dir.File("m.hea"), "m 6 1000 3\n" + SignalLine("m.dat", "16", {10, 11, 12}, "i") +
                                  SignalLine("m.dat", "16", {20, 21, 22}, "ii") +
                                  SignalLine("m.dat", "16", {30, 31, 32}, "v1") + SignalLine("m.xyz", "16", kX, "vx") +
                                  SignalLine("m.xyz", "16", kY, "vy") + SignalLine("m.xyz", "16", kZ, "vz"));
  const std::string others = "; the signals read come from the header's other files";
  Loaded<Recording> read = ReadRecording(dir.File("m.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Microvolts[1], Microvolts(kY, 0.5));
  EXPECT_EQ(read.Value.Warnings,
            (std::vector<std::string>{"the header of [" + dir.File("m.hea") + "] names a data file that is missing: "
                                      "cannot open the data file 'm.dat' (No such file or directory)" + others}));

  WriteAll(dir.File("m.dat"), Format16(standard).substr(0, 12));  // two frames of three
  read = ReadRecording(dir.File("m.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Warnings,
            (std::vector<std::string>{"the data file 'm.dat' of [" + dir.File("m.hea") + "] is short: it ends after 2 "
                                      "of the 3 samples the header gives" + others}));

  WriteAll(dir.File("m.dat"), Format16(standard));
  read = ReadRecording(dir.File("m.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_TRUE(read.Value.Warnings.empty());
}

TEST(WfdbRecords, RefusalsNameTheFileAndTheReason) {
  TempDir dir;
  WriteAll(dir.File("d.xyz"), Format16(kFrames));
  const std::string frank = SignalLine("d.xyz", "16", kX, "vx") + SignalLine("d.xyz", "16", kY, "vy") +
                            SignalLine("d.xyz", "16", kZ, "vz");
  const auto refusal = [&](const std::string& name, const std::string& header, const ReadOptions& options = {}) {
    WriteAll(dir.File(name), header);
    const Loaded<Recording> read = ReadRecording(dir.File(name), options);
    EXPECT_FALSE(read.Ok) << name;
    return read.ErrorText;
  };
  const auto cannot = [&](const std::string& name, const std::string& reason) {
    return "Cannot read [" + dir.File(name) + "]: " + reason;
  };
  EXPECT_EQ(refusal("bad.hea", "this is no header\n"),
            cannot("bad.hea", "the number of signals on line 1 of the header is not a count above 0"));
  EXPECT_EQ(refusal("nodata.hea", "n 1 1000\nmissing.dat 16 200 12 0 0 0 0 X\n"),
            cannot("nodata.hea", "neither the Frank leads (vx, vy, vz or X, Y, Z) nor the standard leads I, II, "
                                 "V1-V6; found X"));
  EXPECT_EQ(refusal("missing.hea", "m 3 1000\nm.dat 16 2000 16 0 0 0 0 vx\nm.dat 16 2000 16 0 0 0 0 vy\n"
                                   "m.dat 16 2000 16 0 0 0 0 vz\n"),
            cannot("missing.hea", "cannot open the data file 'm.dat' (No such file or directory)"));
  EXPECT_EQ(refusal("escape.hea", "e 3 1000\n../d.xyz 16 2000 16 0 0 0 0 vx\n../d.xyz 16 2000 16 0 0 0 0 vy\n"
                                  "../d.xyz 16 2000 16 0 0 0 0 vz\n"),
            cannot("escape.hea", "the data file name '../d.xyz' is not a file beside the header"));
  EXPECT_EQ(refusal("diff.hea", "f 3 1000\nd.xyz 8 2000 16 0 0 0 0 vx\nd.xyz 8 2000 16 0 0 0 0 vy\n"
                                "d.xyz 8 2000 16 0 0 0 0 vz\n"),
            cannot("diff.hea", "the storage format 8 of 'd.xyz' is not supported (16, 24, 32, 61, 80, 160, 212, "
                               "310, 311 are)"));
  EXPECT_EQ(refusal("volt.hea", "v 3 1000\nd.xyz 16 2000/mmHg 16 0 0 0 0 vx\n" + frank.substr(frank.find('\n') + 1)),
            cannot("volt.hea", "signal 'vx' is in 'mmHg', not a voltage"));
  ReadOptions shortLimit;
  shortLimit.MaxSamples = 2;
  EXPECT_EQ(refusal("long.hea", "l 3 1000\n" + frank, shortLimit),
            cannot("long.hea", "the record is 3 samples long at 1000 Hz, beyond the limit of 2 samples at 1000 Hz"));
  ReadOptions named;
  named.LeadNames = std::array<std::string, 3>{"vx", "vy", "V9"};
  EXPECT_EQ(refusal("named.hea", "n 3 1000\n" + frank, named),
            cannot("named.hea", "no lead named 'V9'; found vx, vy, vz"));
}

TEST(WfdbRecords, APipeOrADirectoryInPlaceOfAFileIsRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("p.xyz").c_str(), 0600), 0);
  WriteAll(dir.File("p.hea"), "p 3 1000\np.xyz 16 2000 16 0 0 0 0 vx\np.xyz 16 2000 16 0 0 0 0 vy\n"
                              "p.xyz 16 2000 16 0 0 0 0 vz\n");
  EXPECT_EQ(ReadRecording(dir.File("p.hea")).ErrorText,
            "Cannot read [" + dir.File("p.hea") + "]: cannot open the data file 'p.xyz' (not a regular file)");
  std::filesystem::create_directory(dir.File("folder.hea"));
  const Loaded<Recording> folder = ReadRecording(dir.File("folder.hea"));
  EXPECT_EQ(folder.ErrorText, "Cannot read [" + dir.File("folder.hea") + "]: not a regular file");
  // The kind, not the path looked at again, tells the caller what failed.
  EXPECT_EQ(folder.Kind, FailureKind::NotAFile);
}

TEST(WfdbRecords, TwelveStandardLeadsGiveKorsXYZ) {
  TempDir dir;
  // PTB's order; every lead 0 and then its value, in microvolts (gain 1 adu/uV).
  const std::vector<std::string> labels = {"i", "ii", "iii", "avr", "avl", "avf", "v1", "v2", "v3", "v4", "v5", "v6"};
  const std::vector<int> values = {1000, 2000, 1000, -1500, -500, 1500, 100, 200, 300, 400, 500, 600};
  std::vector<int> frames(values.size(), 0);
  frames.insert(frames.end(), values.begin(), values.end());
  WriteAll(dir.File("s.dat"), Format16(frames));
  std::string header = "s 12 1000 2\n";
  for (std::size_t i = 0; i < labels.size(); ++i) header += "s.dat 16 1/uV 16 0 0 0 0 " + labels[i] + "\n";
  WriteAll(dir.File("s.hea"), header);
  const Loaded<Recording> read = ReadRecording(dir.File("s.hea"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Leads, LeadSource::Kors);
  // By hand from the published rows (I, II, V1..V6):
  // X = 0.38*1000 - 0.07*2000 - 0.13*100 + 0.05*200 - 0.01*300 + 0.14*400 + 0.06*500 + 0.54*600
  // Y = -0.07*1000 + 0.93*2000 + 0.06*100 - 0.02*200 - 0.05*300 + 0.06*400 - 0.17*500 + 0.13*600
  // Z = 0.11*1000 - 0.23*2000 - 0.43*100 - 0.06*200 - 0.14*300 - 0.20*400 - 0.11*500 + 0.31*600
  const double expected[3] = {644.0, 1794.0, -396.0};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    ASSERT_EQ(read.Value.Microvolts[axis].size(), 2u);
    EXPECT_NEAR(read.Value.Microvolts[axis][1], expected[axis], 1e-9) << axis;
  }
}

TEST(WfdbRecords, LeadNamesChooseAnySignalsAsXYZ) {
  TempDir dir;
  WriteAll(dir.File("n.xyz"), Format16(kFrames));
  WriteAll(dir.File("n.hea"), "n 3 1000\n" + SignalLine("n.xyz", "16", kX, "A") + SignalLine("n.xyz", "16", kY, "B") +
                                  SignalLine("n.xyz", "16", kZ, "C"));
  ReadOptions options;
  options.LeadNames = std::array<std::string, 3>{"c", "a", "b"};
  const Loaded<Recording> read = ReadRecording(dir.File("n.hea"), options);
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Leads, LeadSource::Frank);
  EXPECT_EQ(read.Value.LeadLabels, (std::array<std::string, 3>{"C", "A", "B"}));
  EXPECT_EQ(read.Value.Microvolts[0], Microvolts(kZ, 0.5));
}

}  // namespace
}  // namespace wavelet
