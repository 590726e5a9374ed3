// The WFDB header as records in the wild write it: every field of the record and signal
// lines, CR LF line ends, comments, and the faults that must be refused with a reason.

#include <gtest/gtest.h>

#include "acquisition/WfdbHeader.h"

namespace wavelet {
namespace {

TEST(WfdbHeaderParsing, RecordAndSignalLinesGiveEveryField) {
  const Loaded<WfdbHeader> parsed = ParseWfdbHeader(
      "# leading comment\n"
      "rec01 2 360/1000(0) 650000 10:30:05 17/10/1990\n"
      "rec01.dat 212x1:0+512 200(1024)/uV 11 1024 995 -22131 0 MLII lead\n"
      "rec01.dat 212 400 12\n"
      "# age: 69\n");
  ASSERT_TRUE(parsed.Ok) << parsed.ErrorText;
  const WfdbHeader& header = parsed.Value;
  EXPECT_EQ(header.RecordName, "rec01");
  EXPECT_EQ(header.FrameHz, 360.0);
  EXPECT_EQ(header.FrameCount, 650000u);
  EXPECT_EQ(header.BaseTime, "10:30:05");
  EXPECT_EQ(header.BaseDate, "17/10/1990");
  EXPECT_FALSE(header.CrLf);
  ASSERT_EQ(header.Signals.size(), 2u);
  const WfdbSignal& first = header.Signals[0];
  EXPECT_EQ(first.FileName, "rec01.dat");
  EXPECT_EQ(first.Format, 212);
  EXPECT_EQ(first.ByteOffset, 512u);
  EXPECT_EQ(first.Gain, 200.0);
  EXPECT_FALSE(first.Uncalibrated);
  EXPECT_EQ(first.Baseline, 1024);
  EXPECT_EQ(first.Units, "uV");
  EXPECT_EQ(first.AdcZero, 1024);
  EXPECT_EQ(first.InitialValue, 995);
  EXPECT_EQ(first.Checksum, -22131);
  EXPECT_EQ(first.Description, "MLII lead");
  // Absent fields: no baseline means the ADC zero (0), no units, no checks.
  const WfdbSignal& second = header.Signals[1];
  EXPECT_EQ(second.Gain, 400.0);
  EXPECT_EQ(second.Baseline, 0);
  EXPECT_EQ(second.Units, "");
  EXPECT_FALSE(second.InitialValue.has_value());
  EXPECT_FALSE(second.Checksum.has_value());
  EXPECT_EQ(second.Description, "");
  EXPECT_EQ(header.Comments, (std::vector<std::string>{"leading comment", "age: 69"}));
}

TEST(WfdbHeaderParsing, DefaultsAndCrLfLineEnds) {
  const Loaded<WfdbHeader> parsed = ParseWfdbHeader("r 1\r\nr.dat 16\r\n\r\n");
  ASSERT_TRUE(parsed.Ok) << parsed.ErrorText;
  EXPECT_TRUE(parsed.Value.CrLf);
  EXPECT_EQ(parsed.Value.FrameHz, 250.0);
  EXPECT_FALSE(parsed.Value.FrameCount.has_value());
  EXPECT_EQ(parsed.Value.Signals[0].Gain, 200.0);
  EXPECT_TRUE(parsed.Value.Signals[0].Uncalibrated);
  EXPECT_EQ(parsed.Value.Signals[0].FileName, "r.dat");
}

TEST(WfdbHeaderParsing, FaultsAreRefusedWithTheirReason) {
  const auto reason = [](const char* text) {
    const Loaded<WfdbHeader> parsed = ParseWfdbHeader(text);
    EXPECT_FALSE(parsed.Ok) << text;
    return parsed.ErrorText;
  };
  EXPECT_EQ(reason("# only a comment\n"), "the header has no record line");
  EXPECT_EQ(reason(""), "the header has no record line");
  EXPECT_EQ(reason("r 3 1000\nr.dat 16\n"), "the record line gives 3 signals, but 1 signal lines follow");
  EXPECT_EQ(reason("r/2 3 1000\n"), "multi-segment records are not supported");
  EXPECT_EQ(reason("r zero 1000\n"), "the number of signals on line 1 of the header is not a count above 0");
  EXPECT_EQ(reason("r 1 fast\nr.dat 16\n"), "the sampling rate 'fast' is not a positive number");
  EXPECT_EQ(reason("r 1 1000 -5\nr.dat 16\n"), "the number of samples '-5' is not a count");
  EXPECT_EQ(reason("r 99999999 1000\n"), "the header gives 99999999 signals, more than 4096");
  EXPECT_EQ(reason("r 1\nr.dat 16 200(x)/mV\n"),
            "the signal on line 2 of the header has the gain field '200(x)/mV', which is no gain(baseline)/units");
  EXPECT_EQ(reason("r 1\nr.dat 1q6\n"),
            "the signal on line 2 of the header has the format field '1q6', which this reader cannot parse");
  EXPECT_EQ(reason("r 1\nr.dat 16 200 12 0 1.5\n"),
            "the signal on line 2 of the header has the first value '1.5', which is no whole number");
}

TEST(WfdbHeaderPatient, PtbCommentsAndTheRecordLineGiveThePatientFields) {
  const Loaded<WfdbHeader> ptb =
      ParseWfdbHeader("s 1 1000 10\ns.xyz 16 2000 16 0 0 0 0 vx\n# age: 81\n# sex: female\n# ECG date: 01/10/1990\n"
                      "# Smoker: no\n# height: 170 cm\n# weight: n/a\n");
  ASSERT_TRUE(ptb.Ok);
  const RecordingPatient patient = PatientFromWfdbHeader(ptb.Value);
  EXPECT_EQ(patient.AgeYears, 81);
  EXPECT_EQ(patient.Sex, "F");
  EXPECT_EQ(patient.RecordingDate, "1990-10-01");
  EXPECT_EQ(patient.RecordingTime, "");
  EXPECT_EQ(patient.HeightCm, 170);
  EXPECT_FALSE(patient.WeightKg.has_value());
  EXPECT_EQ(patient.Name, "");

  const Loaded<WfdbHeader> timed = ParseWfdbHeader("s 1 1000 10 9:05:30.5 31/12/2001\ns.dat 16\n# sex: M\n# age: n/a\n");
  ASSERT_TRUE(timed.Ok);
  const RecordingPatient other = PatientFromWfdbHeader(timed.Value);
  EXPECT_EQ(other.RecordingDate, "2001-12-31");
  EXPECT_EQ(other.RecordingTime, "09:05");
  EXPECT_EQ(other.Sex, "M");
  EXPECT_FALSE(other.AgeYears.has_value());

  EXPECT_EQ(WfdbDateAsIso("17/10/1990"), "1990-10-17");
  EXPECT_EQ(WfdbDateAsIso("32/10/1990"), "");
  EXPECT_EQ(WfdbDateAsIso("17/13/1990"), "");
  EXPECT_EQ(WfdbDateAsIso("17-Oct-90"), "");
}

}  // namespace
}  // namespace wavelet
