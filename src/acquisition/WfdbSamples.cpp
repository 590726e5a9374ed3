#include "acquisition/WfdbSamples.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace wavelet {
namespace {

std::int32_t SignExtended(std::uint32_t value, int bits) {
  const std::uint32_t sign = 1u << (bits - 1);
  return static_cast<std::int32_t>((value ^ sign) - sign);
}

std::uint32_t Little16(const std::uint8_t* b) { return b[0] | (std::uint32_t{b[1]} << 8); }

// Each format's group: its Samples values from its Bytes bytes.
void Group80(const std::uint8_t* b, std::int32_t* out) { out[0] = static_cast<std::int32_t>(b[0]) - 128; }
void Group16(const std::uint8_t* b, std::int32_t* out) { out[0] = SignExtended(Little16(b), 16); }
void Group61(const std::uint8_t* b, std::int32_t* out) { out[0] = SignExtended((std::uint32_t{b[0]} << 8) | b[1], 16); }
void Group160(const std::uint8_t* b, std::int32_t* out) { out[0] = static_cast<std::int32_t>(Little16(b)) - 32768; }
void Group24(const std::uint8_t* b, std::int32_t* out) {
  out[0] = SignExtended(b[0] | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16), 24);
}
void Group32(const std::uint8_t* b, std::int32_t* out) {
  out[0] = static_cast<std::int32_t>(Little16(b) | (Little16(b + 2) << 16));
}
void Group212(const std::uint8_t* b, std::int32_t* out) {
  out[0] = SignExtended(b[0] | ((std::uint32_t{b[1]} & 0x0F) << 8), 12);
  out[1] = SignExtended(b[2] | ((std::uint32_t{b[1]} & 0xF0) << 4), 12);
}
void Group310(const std::uint8_t* b, std::int32_t* out) {
  const std::uint32_t first = Little16(b);
  const std::uint32_t second = Little16(b + 2);
  out[0] = SignExtended((first >> 1) & 0x3FF, 10);
  out[1] = SignExtended((second >> 1) & 0x3FF, 10);
  out[2] = SignExtended(((first >> 11) & 0x1F) | (((second >> 11) & 0x1F) << 5), 10);
}
void Group311(const std::uint8_t* b, std::int32_t* out) {
  const std::uint32_t word = Little16(b) | (Little16(b + 2) << 16);
  out[0] = SignExtended(word & 0x3FF, 10);
  out[1] = SignExtended((word >> 10) & 0x3FF, 10);
  out[2] = SignExtended((word >> 20) & 0x3FF, 10);
}

using GroupDecoder = void (*)(const std::uint8_t*, std::int32_t*);
using GroupsDecoder = void (*)(const std::uint8_t*, std::size_t, std::int32_t*);

// Whole groups in one loop with the group's decoder inlined: a record of millions of
// samples is decoded without a call per sample.
template <GroupDecoder Decode, int Bytes, int Samples>
void DecodeGroups(const std::uint8_t* in, std::size_t groups, std::int32_t* out) {
  for (std::size_t g = 0; g < groups; ++g, in += Bytes, out += Samples) Decode(in, out);
}

struct WfdbFormat {
  int Number = 0;
  WfdbPacking Packing;
  // For each value of a group but the last, how many of the group's bytes it needs.
  std::array<int, 2> Needed{};
  GroupDecoder Group = nullptr;
  GroupsDecoder Groups = nullptr;
};

template <GroupDecoder Decode, int Bytes, int Samples>
constexpr WfdbFormat Format(int number, std::array<int, 2> needed = {}) {
  return {number, {Bytes, Samples}, needed, Decode, &DecodeGroups<Decode, Bytes, Samples>};
}

// Every format this reader decodes, in the order the refusal lists them.
constexpr std::array kFormats = {
    Format<Group16, 2, 1>(16),   Format<Group24, 3, 1>(24),   Format<Group32, 4, 1>(32),
    Format<Group61, 2, 1>(61),   Format<Group80, 1, 1>(80),   Format<Group160, 2, 1>(160),
    Format<Group212, 3, 2>(212, {2}), Format<Group310, 4, 3>(310, {2, 4}), Format<Group311, 4, 3>(311, {2, 3}),
};

const WfdbFormat* Find(int format) {
  const auto* found = std::find_if(kFormats.begin(), kFormats.end(), [&](const WfdbFormat& f) { return f.Number == format; });
  return found == kFormats.end() ? nullptr : found;
}

}  // namespace

std::optional<WfdbPacking> PackingOf(int format) {
  const WfdbFormat* found = Find(format);
  if (found == nullptr) return std::nullopt;
  return found->Packing;
}

std::string SupportedWfdbFormats() {
  std::string text;
  for (const WfdbFormat& format : kFormats) text += (text.empty() ? "" : ", ") + std::to_string(format.Number);
  return text;
}

std::uint64_t SamplesInBytes(int format, std::uint64_t bytes) {
  const WfdbFormat* found = Find(format);
  if (found == nullptr) return 0;
  const WfdbPacking& packing = found->Packing;
  std::uint64_t samples = bytes / packing.Bytes * packing.Samples;
  const int rest = static_cast<int>(bytes % packing.Bytes);
  for (int i = 0; i + 1 < packing.Samples; ++i) {
    if (found->Needed[static_cast<std::size_t>(i)] <= rest) ++samples;
  }
  return samples;
}

std::uint64_t BytesForSamples(int format, std::uint64_t samples) {
  const WfdbFormat* found = Find(format);
  if (found == nullptr) return 0;
  const WfdbPacking& packing = found->Packing;
  const std::uint64_t rest = samples % packing.Samples;
  return samples / packing.Samples * packing.Bytes +
         (rest == 0 ? 0 : static_cast<std::uint64_t>(found->Needed[static_cast<std::size_t>(rest) - 1]));
}

void DecodeWfdbSamples(int format, std::span<const std::uint8_t> bytes, std::span<std::int32_t> samples) {
  const WfdbFormat* found = Find(format);
  if (found == nullptr) return;
  const auto groupBytes = static_cast<std::size_t>(found->Packing.Bytes);
  const auto groupSamples = static_cast<std::size_t>(found->Packing.Samples);
  const std::size_t whole = samples.size() / groupSamples;
  found->Groups(bytes.data(), whole, samples.data());
  const std::size_t rest = samples.size() - whole * groupSamples;
  if (rest == 0) return;
  // The cut group, padded with zero bits that the values asked for never reach.
  std::array<std::uint8_t, 4> padded{};
  const std::size_t left = bytes.size() - whole * groupBytes;
  std::memcpy(padded.data(), bytes.data() + whole * groupBytes, std::min(left, padded.size()));
  std::array<std::int32_t, 3> group{};
  found->Group(padded.data(), group.data());
  std::copy_n(group.begin(), rest, samples.begin() + static_cast<std::ptrdiff_t>(whole * groupSamples));
}

}  // namespace wavelet
