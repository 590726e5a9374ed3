#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <tuple>
#include <stdexcept>

#include "record/RecordTag.h"
#include "record/SampleRecords.h"

namespace wavelet {
namespace {

RecordBytes Tagged(const RecordTag& tag) {
  RecordBytes bytes = MakeSampleRecord(1, 0);
  WriteRecordTag(bytes, tag);
  return bytes;
}

// A tag whose content is changed and whose checksum is made to match again.
RecordBytes Forged(const std::function<void(RecordBytes&)>& change) {
  RecordBytes bytes = Tagged({0.1, 1000, "P0001.R01"});
  change(bytes);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), bytes.data(), 136);
  for (int i = 0; i < 4; ++i) bytes[136 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

// Without flags the tag is version 1, byte for byte as earlier builds wrote it.
TEST(RecordTag, WritesTheStatedBytesAndReadsThemBack) {
  const RecordBytes before = MakeSampleRecord(1, 0);
  const RecordBytes bytes = Tagged({0.1, 1000, "P0001.R01"});
  const std::uint8_t head[] = {0x89, 'W', 'L', 'T', 'G', 0x0D, 0x0A, 0x1A, 1,
                               0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A,
                               0x00, 0x00, 0x03, 0xE8, 9, 'P', '0', '0', '0', '1', '.', 'R', '0', '1'};
  EXPECT_EQ(std::memcmp(bytes.data(), head, sizeof head), 0);
  for (std::size_t i = sizeof head; i < 136; ++i) EXPECT_EQ(bytes[i], 0) << i;
  // zlib.crc32 of bytes 0-135, computed apart.
  EXPECT_EQ(bytes[136] << 24 | bytes[137] << 16 | bytes[138] << 8 | bytes[139], 0x03C85562);
  EXPECT_TRUE(std::equal(bytes.begin() + 140, bytes.end(), before.begin() + 140));

  const auto tag = ReadRecordTag(bytes);
  ASSERT_TRUE(tag);
  EXPECT_EQ(tag->MicrovoltsPerUnit, 0.1);
  EXPECT_EQ(tag->SamplingRateHz, 1000);
  EXPECT_EQ(tag->SourceName, "P0001.R01");
  EXPECT_FALSE(tag->SexNotStated);
  EXPECT_FALSE(tag->AveragedWithWarnings);
  EXPECT_EQ(RecordMicrovoltsPerUnit(bytes, 0.5), 0.1);
  EXPECT_EQ(RecordMicrovoltsPerUnit(before, 0.5), 0.5);
}

TEST(RecordTag, LongNameIsCutAtACharacterBoundary) {
  const std::string fits(114, 'a');
  EXPECT_EQ(ReadRecordTag(Tagged({0.2, 2000, fits}))->SourceName, fits);
  // 113 bytes and a two-byte character: the character does not fit and goes whole.
  const std::string name = std::string(113, 'b') + "\xC3\xA9";
  EXPECT_EQ(ReadRecordTag(Tagged({0.2, 2000, name}))->SourceName, std::string(113, 'b'));
}

TEST(RecordTag, OtherBytesNeverReadAsATag) {
  RecordBytes bytes = MakeSampleRecord(1, 3);  // zeros in 0-139
  EXPECT_FALSE(ReadRecordTag(bytes));
  const char text[] = "SIGNAL AVERAGED ECG  XYZ  V2.10  1998/04/17 ";
  for (std::size_t i = 0; i < 140; ++i) bytes[i] = static_cast<std::uint8_t>(text[i % (sizeof text - 1)]);
  EXPECT_FALSE(ReadRecordTag(bytes));
  std::mt19937 random(3);
  for (int trial = 0; trial < 2000; ++trial) {
    for (std::size_t i = 0; i < 140; ++i) bytes[i] = static_cast<std::uint8_t>(random());
    ASSERT_FALSE(ReadRecordTag(bytes)) << trial;
  }
}

TEST(RecordTag, DamagedOrImplausibleTagsAreNotRead) {
  const RecordBytes good = Tagged({0.1, 1000, "P0001.R01"});
  for (int bit = 0; bit < 140 * 8; ++bit) {
    RecordBytes bytes = good;
    bytes[static_cast<std::size_t>(bit / 8)] ^= static_cast<std::uint8_t>(1 << (bit % 8));
    ASSERT_FALSE(ReadRecordTag(bytes)) << "bit " << bit;
  }
  EXPECT_TRUE(ReadRecordTag(Forged([](RecordBytes&) {})));
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[8] = 3; })));      // version
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[8] = 2; b[135] = 4; })));  // unknown flag
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[8] = 2; b[21] = 114; })));  // name over the flags
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[9] = 0xBF; })));   // unit < 0
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[9] = 0x7F; b[10] = 0xF8; })));  // NaN
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { std::fill(b.begin() + 9, b.begin() + 17, 0); })));
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[19] = b[20] = 0; })));  // rate 0
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[17] = 0x80; })));  // rate past int
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[21] = 115; })));   // name too long
  EXPECT_FALSE(ReadRecordTag(Forged([](RecordBytes& b) { b[135] = ' '; })));  // padding
}

TEST(RecordTag, FlagsMakeAVersionTwoTagAndTakeTheNameFieldsLastByte) {
  for (const auto& [sex, warned, flags] : {std::tuple{true, false, 1}, {false, true, 2}, {true, true, 3}}) {
    const RecordBytes bytes = Tagged({0.1, 1000, "P0001.R01", sex, warned});
    EXPECT_EQ(bytes[8], 2);
    EXPECT_EQ(bytes[135], flags);
    const auto tag = ReadRecordTag(bytes);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->SexNotStated, sex);
    EXPECT_EQ(tag->AveragedWithWarnings, warned);
    EXPECT_EQ(tag->SourceName, "P0001.R01");
    EXPECT_EQ(tag->MicrovoltsPerUnit, 0.1);
  }
  // The flags take the name's last byte: 114 bytes fit version 1 only.
  const std::string name(114, 'a');
  EXPECT_EQ(ReadRecordTag(Tagged({0.2, 2000, name, true, false}))->SourceName, std::string(113, 'a'));
}

TEST(RecordTag, WritingAnUnreadableTagIsRefused) {
  RecordBytes bytes{};
  EXPECT_THROW(WriteRecordTag(bytes, {0.0, 1000, ""}), std::invalid_argument);
  EXPECT_THROW(WriteRecordTag(bytes, {std::numeric_limits<double>::infinity(), 1000, ""}),
               std::invalid_argument);
  EXPECT_THROW(WriteRecordTag(bytes, {0.1, 0, ""}), std::invalid_argument);
  EXPECT_EQ(bytes, RecordBytes{});
}

}  // namespace
}  // namespace wavelet
