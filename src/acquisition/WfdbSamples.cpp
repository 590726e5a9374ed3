#include "acquisition/WfdbSamples.h"

#include <array>
#include <cstring>

namespace wavelet {
namespace {

std::int32_t SignExtended(std::uint32_t value, int bits) {
  const std::uint32_t sign = 1u << (bits - 1);
  return static_cast<std::int32_t>((value ^ sign) - sign);
}

std::uint32_t Little16(const std::uint8_t* b) { return b[0] | (std::uint32_t{b[1]} << 8); }

// One group of a packed format into `out` (Samples values).
void DecodePackedGroup(int format, const std::uint8_t* b, std::int32_t* out) {
  if (format == 212) {
    out[0] = SignExtended(b[0] | ((std::uint32_t{b[1]} & 0x0F) << 8), 12);
    out[1] = SignExtended(b[2] | ((std::uint32_t{b[1]} & 0xF0) << 4), 12);
    return;
  }
  const std::uint32_t first = Little16(b);
  const std::uint32_t second = Little16(b + 2);
  if (format == 310) {
    out[0] = SignExtended((first >> 1) & 0x3FF, 10);
    out[1] = SignExtended((second >> 1) & 0x3FF, 10);
    out[2] = SignExtended(((first >> 11) & 0x1F) | (((second >> 11) & 0x1F) << 5), 10);
    return;
  }
  const std::uint32_t word = first | (second << 16);  // 311
  out[0] = SignExtended(word & 0x3FF, 10);
  out[1] = SignExtended((word >> 10) & 0x3FF, 10);
  out[2] = SignExtended((word >> 20) & 0x3FF, 10);
}

// For each value of a group, how many of the group's bytes it needs.
int BytesNeeded(int format, int index) {
  if (format == 212) return index == 0 ? 2 : 3;
  if (format == 310) return index == 0 ? 2 : 4;
  return index + 2;  // 311: 10 bits each, from bit 0 on
}

void DecodePacked(int format, const WfdbPacking& packing, std::span<const std::uint8_t> bytes,
                  std::span<std::int32_t> samples) {
  const std::size_t whole = samples.size() / static_cast<std::size_t>(packing.Samples);
  const std::uint8_t* in = bytes.data();
  std::int32_t* out = samples.data();
  for (std::size_t g = 0; g < whole; ++g, in += packing.Bytes, out += packing.Samples) {
    DecodePackedGroup(format, in, out);
  }
  const std::size_t rest = samples.size() - whole * static_cast<std::size_t>(packing.Samples);
  if (rest == 0) return;
  // The cut group, padded with zero bits that the values asked for never reach.
  std::array<std::uint8_t, 4> padded{};
  const std::size_t left = bytes.size() - whole * static_cast<std::size_t>(packing.Bytes);
  std::memcpy(padded.data(), in, left < padded.size() ? left : padded.size());
  std::array<std::int32_t, 3> group{};
  DecodePackedGroup(format, padded.data(), group.data());
  for (std::size_t i = 0; i < rest; ++i) out[i] = group[i];
}

}  // namespace

std::optional<WfdbPacking> PackingOf(int format) {
  switch (format) {
    case 80: return WfdbPacking{1, 1};
    case 16: case 61: case 160: return WfdbPacking{2, 1};
    case 24: return WfdbPacking{3, 1};
    case 32: return WfdbPacking{4, 1};
    case 212: return WfdbPacking{3, 2};
    case 310: case 311: return WfdbPacking{4, 3};
    default: return std::nullopt;
  }
}

std::uint64_t SamplesInBytes(int format, std::uint64_t bytes) {
  const std::optional<WfdbPacking> packing = PackingOf(format);
  if (!packing) return 0;
  std::uint64_t samples = bytes / packing->Bytes * packing->Samples;
  const int rest = static_cast<int>(bytes % packing->Bytes);
  for (int i = 0; i + 1 < packing->Samples; ++i) {
    if (BytesNeeded(format, i) <= rest) ++samples;
  }
  return samples;
}

std::uint64_t BytesForSamples(int format, std::uint64_t samples) {
  const std::optional<WfdbPacking> packing = PackingOf(format);
  if (!packing) return 0;
  const std::uint64_t rest = samples % packing->Samples;
  return samples / packing->Samples * packing->Bytes +
         (rest == 0 ? 0 : static_cast<std::uint64_t>(BytesNeeded(format, static_cast<int>(rest) - 1)));
}

void DecodeWfdbSamples(int format, std::span<const std::uint8_t> bytes, std::span<std::int32_t> samples) {
  const std::uint8_t* b = bytes.data();
  switch (format) {
    case 80:
      for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int32_t>(b[i]) - 128;
      return;
    case 16:
      for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = SignExtended(Little16(b + 2 * i), 16);
      return;
    case 61:
      for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = SignExtended((std::uint32_t{b[2 * i]} << 8) | b[2 * i + 1], 16);
      }
      return;
    case 160:
      for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int32_t>(Little16(b + 2 * i)) - 32768;
      return;
    case 24:
      for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint8_t* s = b + 3 * i;
        samples[i] = SignExtended(s[0] | (std::uint32_t{s[1]} << 8) | (std::uint32_t{s[2]} << 16), 24);
      }
      return;
    case 32:
      for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint8_t* s = b + 4 * i;
        samples[i] = static_cast<std::int32_t>(Little16(s) | (Little16(s + 2) << 16));
      }
      return;
    default:
      if (const std::optional<WfdbPacking> packing = PackingOf(format)) DecodePacked(format, *packing, bytes, samples);
  }
}

}  // namespace wavelet
