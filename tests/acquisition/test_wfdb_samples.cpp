// The storage formats, decoded from bytes packed by hand after the format descriptions.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "acquisition/WfdbSamples.h"

namespace wavelet {
namespace {

std::vector<std::int32_t> Decoded(int format, const std::vector<std::uint8_t>& bytes, std::size_t count) {
  std::vector<std::int32_t> samples(count);
  DecodeWfdbSamples(format, bytes, samples);
  return samples;
}

using Values = std::vector<std::int32_t>;

TEST(WfdbSampleFormats, WholeByteFormats) {
  EXPECT_EQ(Decoded(16, {0xfd, 0xff, 0x78, 0x00, 0x00, 0x80}, 3), (Values{-3, 120, -32768}));
  EXPECT_EQ(Decoded(61, {0xff, 0xfd, 0x00, 0x78}, 2), (Values{-3, 120}));
  EXPECT_EQ(Decoded(80, {0x00, 0x80, 0xff}, 3), (Values{-128, 0, 127}));
  EXPECT_EQ(Decoded(160, {0x00, 0x00, 0x00, 0x80, 0xff, 0xff}, 3), (Values{-32768, 0, 32767}));
  EXPECT_EQ(Decoded(24, {0xff, 0xff, 0xff, 0x00, 0x00, 0x80}, 2), (Values{-1, -8388608}));
  EXPECT_EQ(Decoded(32, {0xfe, 0xff, 0xff, 0xff, 0x01, 0x02, 0x03, 0x04}, 2), (Values{-2, 0x04030201}));
}

TEST(WfdbSampleFormats, Format212PairsTwelveBitValuesInThreeBytes) {
  // 995 = 0x3E3 and -21 = 0xFEB: low byte E3, shared byte (F << 4 | 3), then EB.
  EXPECT_EQ(Decoded(212, {0xe3, 0xf3, 0xeb}, 2), (Values{995, -21}));
  EXPECT_EQ(Decoded(212, {0xff, 0x07, 0x00, 0x00, 0x08}, 3), (Values{2047, 0, -2048}));
  // A pair cut after two bytes still holds its first value.
  EXPECT_EQ(SamplesInBytes(212, 5), 3u);
  EXPECT_EQ(SamplesInBytes(212, 4), 2u);
  EXPECT_EQ(BytesForSamples(212, 3), 5u);
  EXPECT_EQ(BytesForSamples(212, 4), 6u);
}

TEST(WfdbSampleFormats, Formats310And311PackThreeTenBitValuesInFourBytes) {
  // Values 5, -2 (0x3FE) and 300 (0x12C = low five bits 0x0C, high five bits 0x09).
  // 310: word one = 5 << 1 | 0x0C << 11, word two = 0x3FE << 1 | 0x09 << 11.
  const std::uint32_t w1 = (5u << 1) | (0x0Cu << 11);
  const std::uint32_t w2 = (0x3FEu << 1) | (0x09u << 11);
  EXPECT_EQ(Decoded(310, {static_cast<std::uint8_t>(w1), static_cast<std::uint8_t>(w1 >> 8),
                          static_cast<std::uint8_t>(w2), static_cast<std::uint8_t>(w2 >> 8)}, 3),
            (Values{5, -2, 300}));
  // 311: bits 0-9, 10-19, 20-29 of one little-endian word.
  const std::uint32_t word = 5u | (0x3FEu << 10) | (300u << 20);
  EXPECT_EQ(Decoded(311, {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                          static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)}, 3),
            (Values{5, -2, 300}));
  EXPECT_EQ(SamplesInBytes(310, 6), 4u);
  EXPECT_EQ(SamplesInBytes(311, 7), 5u);
  EXPECT_EQ(BytesForSamples(311, 5), 7u);
}

TEST(WfdbSampleFormats, OnlyKnownFormatsHaveAPacking) {
  for (int format : {16, 24, 32, 61, 80, 160, 212, 310, 311}) EXPECT_TRUE(PackingOf(format).has_value()) << format;
  for (int format : {0, 8, 508, -16}) {
    EXPECT_FALSE(PackingOf(format).has_value()) << format;
    EXPECT_EQ(SamplesInBytes(format, 100), 0u);
  }
}

}  // namespace
}  // namespace wavelet
