#include "record/RecordTag.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace wavelet {
namespace {

constexpr std::array<std::uint8_t, 8> kMagic = {0x89, 'W', 'L', 'T', 'G', 0x0D, 0x0A, 0x1A};
constexpr std::uint8_t kPlainVersion = 1;
constexpr std::uint8_t kFlagsVersion = 2;
constexpr std::size_t kVersionAt = 8;
constexpr std::size_t kUnitAt = 9;
constexpr std::size_t kRateAt = 17;
constexpr std::size_t kNameLengthAt = 21;
constexpr std::size_t kNameAt = 22;
constexpr std::size_t kChecksumAt = kRecordTagSize - 4;
static_assert(kNameAt + kRecordTagNameBytes == kChecksumAt);
// Version 2 takes the name field's last byte for its flags.
constexpr std::size_t kFlagsAt = kChecksumAt - 1;
constexpr std::uint8_t kSexNotStated = 0x01;
constexpr std::uint8_t kAveragedWithWarnings = 0x02;

std::uint64_t ReadBigEndian(const RecordBytes& bytes, std::size_t at, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
  return value;
}

void WriteBigEndian(RecordBytes& bytes, std::size_t at, std::size_t count, std::uint64_t value) {
  for (std::size_t i = count; i-- > 0;) {
    bytes[at + i] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
}

std::uint32_t Checksum(const RecordBytes& bytes) {
  return static_cast<std::uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), bytes.data(), static_cast<uInt>(kChecksumAt)));
}

bool ValidUnit(double unit) { return std::isfinite(unit) && unit > 0.0; }

// The longest prefix of `name` that fits the field without splitting a UTF-8
// character (a cut never lands before a continuation byte 10xxxxxx).
std::size_t FittingLength(const std::string& name, std::size_t field) {
  std::size_t length = std::min(name.size(), field);
  while (length > 0 && length < name.size() &&
         (static_cast<std::uint8_t>(name[length]) & 0xC0) == 0x80) {
    --length;
  }
  return length;
}

bool HeaderMatches(const RecordBytes& bytes) {
  return std::equal(kMagic.begin(), kMagic.end(), bytes.begin()) &&
         (bytes[kVersionAt] == kPlainVersion || bytes[kVersionAt] == kFlagsVersion) &&
         ReadBigEndian(bytes, kChecksumAt, 4) == Checksum(bytes);
}

}  // namespace

std::optional<RecordTag> ReadRecordTag(const RecordBytes& bytes) {
  if (!HeaderMatches(bytes)) return std::nullopt;
  const bool flagged = bytes[kVersionAt] == kFlagsVersion;
  const std::size_t nameEnd = flagged ? kFlagsAt : kChecksumAt;
  const std::size_t length = bytes[kNameLengthAt];
  const std::uint8_t flags = flagged ? bytes[kFlagsAt] : 0;
  if (length > nameEnd - kNameAt || (flags & ~(kSexNotStated | kAveragedWithWarnings)) != 0) return std::nullopt;
  if (!std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(kNameAt + length),
                   bytes.begin() + static_cast<std::ptrdiff_t>(nameEnd),
                   [](std::uint8_t b) { return b == 0; })) {
    return std::nullopt;
  }
  const double unit = std::bit_cast<double>(ReadBigEndian(bytes, kUnitAt, 8));
  const std::uint64_t rate = ReadBigEndian(bytes, kRateAt, 4);
  if (!ValidUnit(unit) || rate == 0 ||
      rate > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  RecordTag tag;
  tag.MicrovoltsPerUnit = unit;
  tag.SamplingRateHz = static_cast<int>(rate);
  tag.SourceName.assign(reinterpret_cast<const char*>(bytes.data() + kNameAt), length);
  tag.SexNotStated = (flags & kSexNotStated) != 0;
  tag.AveragedWithWarnings = (flags & kAveragedWithWarnings) != 0;
  return tag;
}

void WriteRecordTag(RecordBytes& bytes, const RecordTag& tag) {
  if (!ValidUnit(tag.MicrovoltsPerUnit) || tag.SamplingRateHz < 1) {
    throw std::invalid_argument("record tag: the unit must be above 0 and the rate at least 1 Hz");
  }
  std::fill(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kRecordTagSize), 0);
  std::copy(kMagic.begin(), kMagic.end(), bytes.begin());
  const bool flagged = tag.SexNotStated || tag.AveragedWithWarnings;
  bytes[kVersionAt] = flagged ? kFlagsVersion : kPlainVersion;
  WriteBigEndian(bytes, kUnitAt, 8, std::bit_cast<std::uint64_t>(tag.MicrovoltsPerUnit));
  WriteBigEndian(bytes, kRateAt, 4, static_cast<std::uint64_t>(tag.SamplingRateHz));
  const std::size_t length = FittingLength(tag.SourceName, (flagged ? kFlagsAt : kChecksumAt) - kNameAt);
  bytes[kNameLengthAt] = static_cast<std::uint8_t>(length);
  std::memcpy(bytes.data() + kNameAt, tag.SourceName.data(), length);
  if (flagged) {
    bytes[kFlagsAt] = static_cast<std::uint8_t>((tag.SexNotStated ? kSexNotStated : 0) |
                                                (tag.AveragedWithWarnings ? kAveragedWithWarnings : 0));
  }
  WriteBigEndian(bytes, kChecksumAt, 4, Checksum(bytes));
}

double RecordMicrovoltsPerUnit(const RecordBytes& bytes, double setting) {
  const std::optional<RecordTag> tag = ReadRecordTag(bytes);
  return tag ? tag->MicrovoltsPerUnit : setting;
}

}  // namespace wavelet
