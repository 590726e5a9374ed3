// Real recordings: PTB records (WFDB, Frank leads in their own data file) and ECGs in
// SCP-ECG, HL7 aECG and EDF with only the standard leads, through the reader program.

#include <gtest/gtest.h>

#include <filesystem>

#include "acquisition/BiosigRecord.h"
#include "acquisition/ReaderStream.h"
#include "acquisition/Recording.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::TempDir;

const std::string kRecordings = WAVELET_SOURCE_DIR "/../shared/recordings";
const std::string kPtb = kRecordings + "/ptb/";
const std::string kOther = kRecordings + "/other/";

std::vector<double> Head(const std::vector<double>& values, std::size_t count) {
  return {values.begin(), values.begin() + static_cast<std::ptrdiff_t>(std::min(count, values.size()))};
}

TEST(PtbRecords, TheFrankLeadsOfS0010InMicrovoltsFromTheRawBytes) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  const Loaded<Recording> read = ReadRecording(kPtb + "s0010_re.hea");
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  const Recording& r = read.Value;
  EXPECT_EQ(r.Leads, LeadSource::Frank);
  EXPECT_EQ(r.LeadLabels, (std::array<std::string, 3>{"vx", "vy", "vz"}));
  EXPECT_EQ(r.SamplingHz, 1000.0);
  // s0010_re.xyz begins fd ff 78 00 ee ff | fd ff 7a 00 ec ff | f9 ff 6f 00 ef ff |
  // fc ff 6b 00 f0 ff: -3 120 -18, -3 122 -20, -7 111 -17, -4 107 -16 adu at 2000 adu/mV.
  EXPECT_EQ(Head(r.Microvolts[0], 4), (std::vector<double>{-1.5, -1.5, -3.5, -2.0}));
  EXPECT_EQ(Head(r.Microvolts[1], 4), (std::vector<double>{60, 61, 55.5, 53.5}));
  EXPECT_EQ(Head(r.Microvolts[2], 4), (std::vector<double>{-9, -10, -8.5, -8}));
  for (const auto& lead : r.Microvolts) EXPECT_EQ(lead.size(), 38400u);
  EXPECT_EQ(r.Patient.AgeYears, 81);
  EXPECT_EQ(r.Patient.Sex, "F");
  EXPECT_EQ(r.Patient.RecordingDate, "1990-10-01");
  EXPECT_EQ(r.Patient.Name, "");
  EXPECT_FALSE(r.Patient.HeightCm.has_value());
  // The original header's first values and checksums all agree with the data.
  EXPECT_TRUE(r.Warnings.empty());
}

TEST(PtbRecords, HeadersWithCrLfAndZeroedChecksumsGiveTheSameSamplesAndWarn) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  TempDir dir;
  // The zeroed header of s0010_re under its record's name, beside its data files.
  std::filesystem::copy_file(kPtb + "s0010_re.hea.zeroed-checksums", dir.File("s0010_re.hea"));
  std::filesystem::create_symlink(kPtb + "s0010_re.xyz", dir.File("s0010_re.xyz"));
  std::filesystem::create_symlink(kPtb + "s0010_re.dat", dir.File("s0010_re.dat"));
  const Loaded<Recording> zeroed = ReadRecording(dir.File("s0010_re.hea"));
  const Loaded<Recording> original = ReadRecording(kPtb + "s0010_re.hea");
  ASSERT_TRUE(zeroed.Ok) << zeroed.ErrorText;
  ASSERT_TRUE(original.Ok);
  EXPECT_EQ(zeroed.Value.Microvolts, original.Value.Microvolts);
  EXPECT_EQ(zeroed.Value.Warnings.size(), 2u);

  const Loaded<Recording> s0014 = ReadRecording(kPtb + "s0014lre.hea");
  ASSERT_TRUE(s0014.Ok) << s0014.ErrorText;
  // The true first values of vx, vy, vz (1073, -2277, 1935 adu) at half a microvolt.
  EXPECT_EQ(s0014.Value.Microvolts[0][0], 536.5);
  EXPECT_EQ(s0014.Value.Microvolts[1][0], -1138.5);
  EXPECT_EQ(s0014.Value.Microvolts[2][0], 967.5);
  EXPECT_EQ(s0014.Value.Microvolts[0].size(), 115200u);
  EXPECT_EQ(s0014.Value.Patient.RecordingDate, "1990-10-17");
  EXPECT_EQ(s0014.Value.Warnings,
            (std::vector<std::string>{"CR LF line ends in the header of [" + kPtb + "s0014lre.hea]",
                                      "zero first values and checksums in the header of [" + kPtb +
                                          "s0014lre.hea]: the data were read unchecked"}));

  const Loaded<Recording> s0015 = ReadRecording(kPtb + "s0015lre.hea");
  ASSERT_TRUE(s0015.Ok);
  EXPECT_EQ(s0015.Value.Patient.AgeYears, 58);
  EXPECT_TRUE(s0015.Value.Warnings.empty());
}

TEST(OtherRecordings, OneEcgInScpAndInTwoAecgFilesGivesTheSameKorsLeads) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  const Loaded<Recording> scp = ReadRecording(kOther + "Example.scp");
  ASSERT_TRUE(scp.Ok) << scp.ErrorText;
  const Recording& r = scp.Value;
  EXPECT_EQ(r.Leads, LeadSource::Kors);
  EXPECT_EQ(r.SamplingHz, 1000.0);
  // 5000 samples at 500 Hz.
  EXPECT_EQ(r.Microvolts[0].size(), 10000u);
  EXPECT_EQ(r.Patient.Name, "Clark");
  EXPECT_EQ(r.Patient.Id, "SBJ-123");
  EXPECT_EQ(r.Patient.Sex, "M");
  EXPECT_EQ(r.Patient.BirthDate, "1953-05-08");
  EXPECT_EQ(r.Patient.RecordingDate, "2002-11-22");
  EXPECT_EQ(r.Patient.RecordingTime, "09:10");  // the aECG twin says 20021122091000
  EXPECT_EQ(r.Patient.AgeYears, 49);
  // The same ECG as HL7 aECG, once with and once without the XML declaration.
  for (const char* name : {"Example_aECG.xml", "subject1_0.xml"}) {
    const Loaded<Recording> aecg = ReadRecording(kOther + name);
    ASSERT_TRUE(aecg.Ok) << aecg.ErrorText;
    EXPECT_EQ(aecg.Value.Microvolts, r.Microvolts) << name;
  }
}

TEST(OtherRecordings, KorsLeadsOfDemoScpFollowTheMatrixFromItsOwnStandardLeads) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  const Loaded<Recording> kors = ReadRecording(kOther + "demo.scp");
  ASSERT_TRUE(kors.Ok) << kors.ErrorText;
  // 1000 Hz already; the lead table states 10001 samples, each lead's 20000 bytes hold 10000.
  EXPECT_EQ(kors.Value.Microvolts[0].size(), 10000u);
  EXPECT_EQ(kors.Value.Patient.Name, "Patient Demo");
  EXPECT_EQ(kors.Value.Patient.HeightCm, 187);
  EXPECT_EQ(kors.Value.Patient.WeightKg, 82);
  EXPECT_EQ(kors.Value.Patient.AgeYears, 47);
  // The standard leads themselves, named three at a time.
  std::vector<std::vector<double>> leads;
  for (const std::array<std::string, 3>& names : {std::array<std::string, 3>{"I", "II", "V1"}, {"V2", "V3", "V4"},
                                                   {"V5", "V6", "V6"}}) {
    ReadOptions options;
    options.LeadNames = names;
    const Loaded<Recording> named = ReadRecording(kOther + "demo.scp", options);
    ASSERT_TRUE(named.Ok) << named.ErrorText;
    for (const auto& lead : named.Value.Microvolts) leads.push_back(lead);
  }
  const double kX[8] = {0.38, -0.07, -0.13, 0.05, -0.01, 0.14, 0.06, 0.54};
  const double kZ[8] = {0.11, -0.23, -0.43, -0.06, -0.14, -0.20, -0.11, 0.31};
  for (std::size_t n : {0u, 1234u, 9999u}) {
    double x = 0;
    double z = 0;
    for (int lead = 0; lead < 8; ++lead) {
      x += kX[lead] * leads[lead][n];
      z += kZ[lead] * leads[lead][n];
    }
    EXPECT_NEAR(kors.Value.Microvolts[0][n], x, 1e-9) << n;
    EXPECT_NEAR(kors.Value.Microvolts[2][n], z, 1e-9) << n;
  }
}

TEST(OtherRecordings, EdfAt800HzAndFilesNoReaderKnows) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  // Its V1-V6 hold the digital value 0 throughout, which its physical range makes
  // 0.015 mV: no precordial leads for Kors' regression. The limb leads come as named.
  EXPECT_EQ(ReadRecording(kOther + "0000050.ECG.edf").ErrorText,
            "Cannot read [" + kOther + "0000050.ECG.edf]: leads V1, V2, V3, V4, V5, V6 are flat, so Kors' regression "
            "cannot make X, Y and Z from the eight standard leads");
  ReadOptions limbLeads;
  limbLeads.LeadNames = std::array<std::string, 3>{"I", "II", "III"};
  const Loaded<Recording> edf = ReadRecording(kOther + "0000050.ECG.edf", limbLeads);
  ASSERT_TRUE(edf.Ok) << edf.ErrorText;
  EXPECT_EQ(edf.Value.Microvolts[1].size(), 47319u);  // 37855 samples at 800 Hz
  EXPECT_EQ(edf.Value.Patient.RecordingDate, "2020-11-16");
  EXPECT_EQ(edf.Value.Patient.RecordingTime, "21:44");

  ReadOptions shortLimit;
  shortLimit.MaxSamples = 40000;
  EXPECT_EQ(ReadRecording(kOther + "0000050.ECG.edf", shortLimit).ErrorText,
            "Cannot read [" + kOther + "0000050.ECG.edf]: the recording is longer than the limit of 40000 samples at "
            "1000 Hz");
  EXPECT_EQ(ReadRecording(kOther + "PROVENANCE.txt").ErrorText,
            "Cannot read [" + kOther + "PROVENANCE.txt]: libbiosig refuses it (ERROR BIOSIG4C++ SOPEN(read): "
            "Dataformat not known.)");
  EXPECT_EQ(ReadRecording(kOther + "PROVENANCE.txt").Kind, FailureKind::NotARecord);
  const Loaded<Recording> missing = ReadRecording(kOther + "missing.scp");
  EXPECT_EQ(missing.ErrorText, "Cannot read [" + kOther + "missing.scp]: No such file or directory");
  EXPECT_EQ(missing.Kind, FailureKind::NotFound);
}

// Every shared recording read again and again gives the same bytes: the reader program's
// stream for the files libbiosig reads (the SCP-ECG file whose lead table states more
// samples than it stores fifty times), the samples for the WFDB records.
TEST(OtherRecordings, EveryRecordingGivesTheSameBytesInEveryRun) {
  if (!std::filesystem::exists(WAVELET_SOURCE_DIR "/../shared/recordings")) {
    GTEST_SKIP() << "no recordings beside the project";
  }
  const std::string program = FindRecordingReaderProgram();
  ASSERT_FALSE(program.empty());
  const auto stream = [&](const std::string& path) {
    const ChildRun run = RunChild(program, ReaderArguments(path, {}), kReaderTimeLimit, ReaderOutputLimit({}));
    EXPECT_EQ(run.How, ChildRun::End::Exited) << path;
    return run.Output;
  };
  const std::string scp = kOther + "0000050.ECG.scp";
  const std::vector<std::string> others = ListRecordings(kOther);
  ASSERT_EQ(others.size(), 6u);
  for (const std::string& path : others) {
    const std::string first = stream(path);
    const int runs = path == scp ? 50 : 4;
    int same = 1;
    for (int run = 1; run < runs; ++run) same += stream(path) == first ? 1 : 0;
    EXPECT_EQ(same, runs) << path;
  }
  for (const std::string& path : ListRecordings(kPtb)) {
    const Loaded<Recording> first = ReadRecording(path);
    ASSERT_TRUE(first.Ok) << first.ErrorText;
    EXPECT_EQ(ReadRecording(path).Value.Microvolts, first.Value.Microvolts) << path;
  }

  // Its lead table states 37855 samples a lead; 16-bit byte counts of 65534 store 32767.
  // The leads past its limb leads hold zeros only, which Kors' regression refuses.
  const Loaded<StreamContent> decoded = DecodeReaderStream(stream(scp), 8, ReadOptions{}.MaxSamples);
  ASSERT_TRUE(decoded.Ok) << decoded.ErrorText;
  ASSERT_EQ(decoded.Value.Channels.size(), 8u);
  for (const StreamChannel& channel : decoded.Value.Channels) EXPECT_EQ(channel.Values.size(), 32767u);
  EXPECT_EQ(decoded.Value.Warnings,
            (std::vector<std::string>{"the data section of [" + scp + "] stores 32767 samples per lead (65534 bytes) "
                                      "where its lead table states 37855; read as far as the data go"}));
  EXPECT_EQ(ReadRecording(scp).ErrorText, "Cannot read [" + scp + "]: leads V1, V2, V3, V4, V5, V6 are all zero, so "
                                          "Kors' regression cannot make X, Y and Z from the eight standard leads");
}

// An EDF+ file of three Frank leads at 500 Hz: two data records of one second, each
// lead a ramp (lead k holds (k + 1) * n adu at 0.1 uV per adu).
std::string EdfPlusFrankLeads(const std::string& patient = "MCH-0234567 F 02-MAY-1951 Haagse_Harry") {
  const auto field = [](std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
  };
  const int perRecord = 500;
  std::string bytes = field("0", 8) + field(patient, 80) +
                      field("Startdate 02-MAR-2002 EMG561 BK/JOP Sony", 80) + field("02.03.02", 8) +
                      field("14.30.00", 8) + field(std::to_string(256 + 3 * 256), 8) + field("EDF+C", 44) +
                      field("2", 8) + field("1", 8) + field("3", 4);
  const std::vector<std::pair<std::string, std::size_t>> columns = {
      {"", 16}, {"", 80}, {"uV", 8}, {"-3276.8", 8}, {"3276.7", 8}, {"-32768", 8}, {"32767", 8}, {"", 80},
      {std::to_string(perRecord), 8}, {"", 32}};
  const char* labels[3] = {"vx", "vy", "vz"};
  for (std::size_t c = 0; c < columns.size(); ++c) {
    for (const char* label : labels) bytes += field(c == 0 ? label : columns[c].first, columns[c].second);
  }
  for (int record = 0; record < 2; ++record) {
    for (int lead = 0; lead < 3; ++lead) {
      for (int i = 0; i < perRecord; ++i) {
        const auto adu = static_cast<std::uint16_t>((record * perRecord + i) * (lead + 1));
        bytes.push_back(static_cast<char>(adu & 0xFF));
        bytes.push_back(static_cast<char>(adu >> 8));
      }
    }
  }
  return bytes;
}

TEST(OtherRecordings, EdfPlusFrankLeadsAt500HzWithTheirPatientFields) {
  TempDir dir;
  testing::WriteAll(dir.File("plus.edf"), EdfPlusFrankLeads());
  const Loaded<Recording> read = ReadRecording(dir.File("plus.edf"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  const Recording& r = read.Value;
  EXPECT_EQ(r.Leads, LeadSource::Frank);
  EXPECT_EQ(r.LeadLabels, (std::array<std::string, 3>{"vx", "vy", "vz"}));
  ASSERT_EQ(r.Microvolts[0].size(), 2000u);
  // Mid-ramp, away from the filter's ends: sample m at 1000 Hz is n = m / 2 at 500 Hz.
  EXPECT_NEAR(r.Microvolts[0][1000], 50.0, 0.01);
  EXPECT_NEAR(r.Microvolts[2][1001], 3 * 50.05, 0.01);
  EXPECT_EQ(r.Patient.Id, "MCH-0234567");
  EXPECT_EQ(r.Patient.Name, "Haagse_Harry");
  EXPECT_EQ(r.Patient.Sex, "F");
  EXPECT_EQ(r.Patient.BirthDate, "1951-05-02");
  EXPECT_EQ(r.Patient.RecordingDate, "2002-03-02");
  EXPECT_EQ(r.Patient.RecordingTime, "14:30");
  EXPECT_EQ(r.Patient.AgeYears, 50);
  EXPECT_TRUE(r.Warnings.empty());
}

TEST(OtherRecordings, EdfPatientPlaceholdersAreDroppedWithAWarning) {
  TempDir dir;
  testing::WriteAll(dir.File("unknown.edf"), EdfPlusFrankLeads("X X X X"));
  const Loaded<Recording> read = ReadRecording(dir.File("unknown.edf"));
  ASSERT_TRUE(read.Ok) << read.ErrorText;
  EXPECT_EQ(read.Value.Patient.Id, "");
  EXPECT_EQ(read.Value.Patient.Name, "");
  EXPECT_EQ(read.Value.Patient.Sex, "");
  const std::string file = "of [" + dir.File("unknown.edf") + "] is the EDF patient field's placeholder, not the "
                           "patient's: left blank";
  EXPECT_EQ(read.Value.Warnings,
            (std::vector<std::string>{"the patient ID 'X' " + file, "the patient name 'X' " + file}));

  // A plain EDF file whose patient field holds the birth date's template only.
  if (!std::filesystem::exists(kOther + "0000050.ECG.edf")) GTEST_SKIP() << "no recordings beside the project";
  ReadOptions limbLeads;
  limbLeads.LeadNames = std::array<std::string, 3>{"I", "II", "III"};
  const Loaded<Recording> edf = ReadRecording(kOther + "0000050.ECG.edf", limbLeads);
  ASSERT_TRUE(edf.Ok) << edf.ErrorText;
  EXPECT_EQ(edf.Value.Patient.Id, "");
  EXPECT_EQ(edf.Value.Warnings, (std::vector<std::string>{"the patient ID 'dd-MMM-yyyy' of [" + kOther +
                                                          "0000050.ECG.edf] is the EDF patient field's placeholder, "
                                                          "not the patient's: left blank"}));
}

TEST(RecordingLists, WfdbHeadersAndLibbiosigFormatsOnceEachInNameOrder) {
  TempDir dir;
  for (const char* name : {"s10.hea", "s10.dat", "s10.xyz", "s9.hea", "b.EDF", "c.scp", "d.xml", "notes.txt",
                           "P0001.R01", "s10.hea.zeroed-checksums"}) {
    testing::WriteAll(dir.File(name), "x");
  }
  std::filesystem::create_directory(dir.File("folder.edf"));
  std::filesystem::create_directory(dir.File("x.hea"));
  std::filesystem::create_directory(dir.File("y"));
  std::vector<std::string> notFiles;
  EXPECT_EQ(ListRecordings(dir.Path(), &notFiles),
            (std::vector<std::string>{dir.File("b.EDF"), dir.File("c.scp"), dir.File("d.xml"), dir.File("s9.hea"),
                                      dir.File("s10.hea")}));
  EXPECT_EQ(notFiles, (std::vector<std::string>{dir.File("folder.edf"), dir.File("x.hea")}));
  EXPECT_TRUE(ListRecordings(dir.File("absent")).empty());
}

}  // namespace
}  // namespace wavelet
