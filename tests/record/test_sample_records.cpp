#include <gtest/gtest.h>

#include <cmath>

#include "record/RecordDecoder.h"
#include "record/SampleRecords.h"

namespace wavelet {
namespace {

TEST(SampleRecords, DeterministicAndWithinTheStatedShapes) {
  int withLatePotentials = 0;
  bool sawMale = false, sawFemale = false, sawNegativeRace = false, sawBothCenturies[2] = {};
  for (int index = 0; index < 60; ++index) {
    SampleRecordInfo info;
    LoadedRecord record;
    record.RecordBuffer = MakeSampleRecord(7, index, &info);
    ASSERT_EQ(record.RecordBuffer, MakeSampleRecord(7, index));
    DecodeRecordInto(record);
    EXPECT_EQ(record.QrsOnset, info.QrsOnset);
    EXPECT_GE(record.QrsOnset, 290);
    EXPECT_LE(record.QrsOnset, 340);
    EXPECT_GE(record.QrsOffset - record.QrsOnset, 80);
    EXPECT_LE(record.QrsOffset - record.QrsOnset, 140);
    EXPECT_LE(record.QrsOffset, 560);
    for (const auto& lead : record.LeadSignals) {
      double peak = 0.0;
      for (double v : lead) peak = std::max(peak, std::abs(v));
      EXPECT_GT(peak, 4000.0);   // about 0.5 mV and more
      EXPECT_LT(peak, 32000.0);
    }
    withLatePotentials += info.LatePotentials;
    const RecordHeaderTexts texts = DecodeHeaderTexts(record.RecordBuffer);
    sawMale |= texts.Sex == "M";
    sawFemale |= texts.Sex == "F";
    sawNegativeRace |= texts.Race[0] == '-';
    sawBothCenturies[texts.Date.substr(0, 2) == "19"] = true;
    EXPECT_EQ(texts.Date.size(), 10u);
    EXPECT_FALSE(texts.PatientName.empty());
  }
  EXPECT_GT(withLatePotentials, 5);
  EXPECT_LT(withLatePotentials, 55);
  EXPECT_TRUE(sawMale && sawFemale && sawNegativeRace && sawBothCenturies[0] && sawBothCenturies[1]);
  EXPECT_NE(MakeSampleRecord(7, 0), MakeSampleRecord(8, 0));
  EXPECT_EQ(SampleRecordName(0), "P0001.R01");
  EXPECT_EQ(SampleRecordName(9999), "P10000.R01");
}

}  // namespace
}  // namespace wavelet
