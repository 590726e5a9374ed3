#include <gtest/gtest.h>

#include <stdexcept>

#include "record/RecordDecoder.h"
#include "record/RecordEncoder.h"
#include "support/Records.h"

namespace wavelet {
namespace {

void PutWord(RecordBytes& bytes, std::size_t offset, std::uint8_t high, std::uint8_t low) {
  bytes[offset] = high;
  bytes[offset + 1] = low;
}

std::size_t SampleOffset(int lead, int j) { return 225 + 1600 * lead + 2 * j; }

using testing::TypicalFields;

TEST(RecordDecoding, DeltaRunsRestartPerLeadAndKeepTheirSign) {
  LoadedRecord record;
  auto& b = record.RecordBuffer;
  PutWord(b, SampleOffset(0, 0), 0x00, 100);
  PutWord(b, SampleOffset(0, 1), 0x00, 5);
  PutWord(b, SampleOffset(0, 2), 0xFF, 0xFD);  // -3
  PutWord(b, SampleOffset(0, 3), 0xFF, 0x38);  // -200
  PutWord(b, SampleOffset(0, 4), 0x00, 0xC8);  // 200
  PutWord(b, SampleOffset(0, 5), 0x80, 0x00);  // -32768
  PutWord(b, SampleOffset(1, 0), 0x00, 7);     // lead Y starts on its own value
  PutWord(b, SampleOffset(2, 0), 0xFF, 0xFF);  // lead Z: -1
  PutWord(b, SampleOffset(2, 799), 0x7F, 0xFF);
  DecodeRecordInto(record);
  const auto& x = record.LeadSignals[0];
  EXPECT_EQ(x[0], 100);
  EXPECT_EQ(x[1], 105);
  EXPECT_EQ(x[2], 102);
  EXPECT_EQ(x[3], -98);
  EXPECT_EQ(x[4], 102);
  EXPECT_EQ(x[5], 102 - 32768);
  EXPECT_EQ(x[799], 102 - 32768);
  EXPECT_EQ(record.LeadSignals[1][0], 7);
  EXPECT_EQ(record.LeadSignals[1][799], 7);
  EXPECT_EQ(record.LeadSignals[2][0], -1);
  EXPECT_EQ(record.LeadSignals[2][798], -1);
  EXPECT_EQ(record.LeadSignals[2][799], -1 + 32767);
}

TEST(RecordDecoding, CountsAndQrsAreUnsignedBigEndian) {
  LoadedRecord record;
  PutWord(record.RecordBuffer, 219, 0x01, 0x2C);
  PutWord(record.RecordBuffer, 221, 0xFF, 0xFF);
  PutWord(record.RecordBuffer, 223, 0x80, 0x01);
  DecodeRecordInto(record);
  EXPECT_EQ(record.AveragingCount, 300);
  EXPECT_EQ(record.QrsOnset, 65535);
  EXPECT_EQ(record.QrsOffset, 32769);
  EXPECT_EQ(DecodeHeaderTexts(record.RecordBuffer).AveragingCount, "300");
}

TEST(RecordDecoding, SexAndRace) {
  RecordBytes b{};
  EXPECT_EQ(DecodeHeaderTexts(b).Sex, "M");
  EXPECT_EQ(DecodeHeaderTexts(b).Race, "0");
  for (std::uint8_t sex : {0x01, 0x46, 0xFF}) {
    b[193] = sex;
    EXPECT_EQ(DecodeHeaderTexts(b).Sex, "F") << int(sex);
  }
  b[202] = 0xFF;
  EXPECT_EQ(DecodeHeaderTexts(b).Race, "-1");
  b[202] = 0x80;
  EXPECT_EQ(DecodeHeaderTexts(b).Race, "-128");
  b[202] = 2;
  EXPECT_EQ(DecodeHeaderTexts(b).Race, "2");
}

TEST(RecordDecoding, CenturyRuleAndDateTimeTexts) {
  RecordFields f = TypicalFields();
  const LeadSamples none{};
  auto dateFor = [&](const std::string& year) {
    f.Year = year;
    return DecodeHeaderTexts(EncodeRecord(f, none)).Date;
  };
  EXPECT_EQ(dateFor("07"), "2007/04/17");
  EXPECT_EQ(dateFor("79"), "2079/04/17");
  EXPECT_EQ(dateFor("80"), "1980/04/17");
  EXPECT_EQ(dateFor("98"), "1998/04/17");
  EXPECT_EQ(DecodeHeaderTexts(EncodeRecord(f, none)).Time, "09:45");

  RecordBytes b = EncodeRecord(f, none);
  b[180] = 0x80;  // a high byte is unsigned: last century
  EXPECT_EQ(DecodeHeaderTexts(b).Date.substr(0, 2), "19");
  b[180] = '0';
  b[175] = 0;  // a zero byte ends the date text where it stands
  EXPECT_EQ(DecodeHeaderTexts(b).Date, "2008/0");
  b[183] = 0;
  EXPECT_EQ(DecodeHeaderTexts(b).Time, "");
}

TEST(RecordDecoding, TextFieldsEndAtZeroAndNameOverlapsId) {
  RecordFields f = TypicalFields();
  f.PatientName = std::string(24, 'N');
  f.PatientId = "ABCDEFGHIJKL";
  const RecordHeaderTexts texts = DecodeHeaderTexts(EncodeRecord(f, LeadSamples{}));
  EXPECT_EQ(texts.PatientName, std::string(21, 'N') + "ABC");
  EXPECT_EQ(texts.PatientId, "ABCDEFGHIJKL");

  RecordBytes b = EncodeRecord(TypicalFields(), LeadSamples{});
  b[140] = 0;
  b[189] = 0;
  const RecordHeaderTexts empty = DecodeHeaderTexts(b);
  EXPECT_EQ(empty.PatientName, "");
  EXPECT_EQ(empty.Age, "");
  EXPECT_EQ(empty.Height, "171");

  b[194] = 0xE9;  // 8-bit text stays byte for byte
  EXPECT_EQ(DecodeHeaderTexts(b).Height, "\xE9" "71");
}

TEST(RecordEncoding, RoundTripsHeaderAndSamples) {
  LeadSamples samples{};
  for (int lead = 0; lead < 3; ++lead) {
    for (int j = 0; j < 800; ++j) {
      samples[lead][j] = ((j * 37 + lead * 11) % 2001) - 1000 + lead * 30000 - 30000;
    }
  }
  const RecordFields f = TypicalFields();
  LoadedRecord record;
  record.RecordBuffer = EncodeRecord(f, samples);
  DecodeRecordInto(record);
  EXPECT_EQ(record.LeadSignals, samples);
  EXPECT_EQ(record.QrsOnset, 312);
  EXPECT_EQ(record.QrsOffset, 418);
  EXPECT_EQ(record.AveragingCount, 250);
  const RecordHeaderTexts t = DecodeHeaderTexts(record.RecordBuffer);
  EXPECT_EQ(t.PatientName, "YAMADA TARO");
  EXPECT_EQ(t.PatientId, "ID-000123");
  EXPECT_EQ(t.Sex, "F");
  EXPECT_EQ(t.Age, "63");
  EXPECT_EQ(t.Height, "171");
  EXPECT_EQ(t.Weight, "68");
  EXPECT_EQ(t.Race, "-3");
  EXPECT_EQ(t.AveragingCount, "250");
  EXPECT_EQ(t.Date, "1998/04/17");
  EXPECT_EQ(t.Time, "09:45");
}

TEST(RecordEncoding, RefusesWhatTheFormatCannotHold) {
  const RecordFields f = TypicalFields();
  LeadSamples samples{};
  samples[1][10] = 32767;  // delta +32767 then -32767: fits
  EXPECT_NO_THROW(EncodeRecord(f, samples));
  samples[1][10] = 32768;
  EXPECT_THROW(EncodeRecord(f, samples), std::invalid_argument);
  samples[1][10] = 0;
  samples[2][0] = -32769;
  EXPECT_THROW(EncodeRecord(f, samples), std::invalid_argument);
  samples[2][0] = 0.5;
  EXPECT_THROW(EncodeRecord(f, samples), std::invalid_argument);
  samples[2][0] = 0;
  samples[0][5] = 20000;
  samples[0][6] = -20000;  // a step of 40000
  EXPECT_THROW(EncodeRecord(f, samples), std::invalid_argument);

  RecordFields longAge = f;
  longAge.Age = "1234";
  EXPECT_THROW(EncodeRecord(longAge, LeadSamples{}), std::invalid_argument);
  RecordFields badCount = f;
  badCount.AveragingCount = 70000;
  EXPECT_THROW(EncodeRecord(badCount, LeadSamples{}), std::invalid_argument);
}

}  // namespace
}  // namespace wavelet
